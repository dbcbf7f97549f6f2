// The editor's lifetime in the orders hosts close things, with the host's messages pumped between
// the steps so that a window left behind gets its timer and paint messages: it must not reach a
// closed effect or an unloaded module, and reopening must not pile up windows.
#include "Validate.h"

namespace {

constexpr int kFirstPaintMs = 150;
constexpr int kPumpMs = 50;
constexpr int kSettleMs = 200;
constexpr int kReopens = 4;
constexpr int kFreshParents = 3;

// One instance with its editor's size and a host window of that size.
struct EditorCase {
  LoadedModule module;
  std::unique_ptr<Instance> instance;
  EditorHost host;
  int width = 0;
  int height = 0;
  validateplatform::ModuleSpan span;

  bool start(CheckContext& context, CheckResult& result) {
    if (!loadModule(context, module, result)) return false;
    span = validateplatform::spanOf(module.module());
    instance = newInstance(module, result);
    if (!instance) return false;
    instance->start(kRate, kBlock);
    ERect* rect = nullptr;
    instance->dispatch(effEditGetRect, 0, 0, &rect);
    width = rect && rect->right > rect->left ? rect->right - rect->left : 400;
    height = rect && rect->bottom > rect->top ? rect->bottom - rect->top : 300;
    return newHost(result);
  }

  bool newHost(CheckResult& result) {
    std::string error;
    if (host.create("vsthost validate", width, height, error)) return true;
    result = CheckResult::fail("no host window: " + error);
    return false;
  }

  void open(int pumpMs = kFirstPaintMs) {
    step("in effEditOpen");
    instance->dispatch(effEditOpen, 0, 0, host.window());
    step("pumping messages after effEditOpen");
    EditorHost::pump(pumpMs);
    step("in effEditIdle");
    instance->dispatch(effEditIdle);
  }

  // Hosts that idle every effect keep calling effEditIdle after the editor has closed.
  void close() {
    step("in effEditClose");
    instance->dispatch(effEditClose);
    step("in effEditIdle after effEditClose");
    instance->dispatch(effEditIdle);
    step("pumping messages after effEditClose");
    EditorHost::pump(kPumpMs);
  }

  // effClose at once, whatever state the editor is in.
  void closeEffect() {
    step("in effClose");
    instance->close();
  }

  void destroyHost() {
    step("destroying the host's window");
    host.destroy();
    step("pumping messages after the host's window was destroyed");
    EditorHost::pump(kSettleMs);
  }

  void pump(const char* after) {
    step(after);
    EditorHost::pump(kSettleMs);
  }

  static void step(const char* what) { validateplatform::setCurrentStep(what); }

  // With everything of ours gone, nothing of the module's may remain.
  std::string leftovers() const {
    const int windows = validateplatform::windowsOfModule(span);
    const int connections = validateplatform::connectionsOfModule(span);
    std::string problem;
    if (windows) problem = std::to_string(windows) + " windows of the module left behind";
    if (connections)
      problem += (problem.empty() ? "" : ", ") + std::to_string(connections) +
                 " display connections of the module left open";
    return problem;
  }
};

std::string childrenProblem(const EditorCase& run, const std::string& when) {
  const int children = run.host.childCount();
  if (children <= 1) return "";
  return std::to_string(children) + " windows under the host's window " + when;
}

CheckResult outcome(const std::string& problem) {
  return problem.empty() ? CheckResult::pass() : CheckResult::fail(problem);
}

CheckResult reopenSameParent(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  std::string problem;
  for (int i = 0; i < kReopens && problem.empty(); ++i) {
    run.open(i == 0 ? kFirstPaintMs : kPumpMs);
    problem = childrenProblem(run, "after open " + std::to_string(i + 1));
    run.close();
  }
  run.instance->stop();
  run.closeEffect();
  run.destroyHost();
  if (problem.empty()) problem = run.leftovers();
  return outcome(problem);
}

CheckResult freshParents(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  std::string problem;
  for (int i = 0; i < kFreshParents && problem.empty(); ++i) {
    if (i > 0 && !run.newHost(result)) return result;
    run.open();
    problem = childrenProblem(run, "after opening on parent " + std::to_string(i + 1));
    run.close();
    run.destroyHost();
  }
  run.instance->stop();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  if (problem.empty()) problem = run.leftovers();
  return outcome(problem);
}

// The polite order: editor closed, effect closed, then the window goes.
CheckResult closeThenEffClose(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  run.open();
  run.close();
  run.instance->stop();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  run.destroyHost();
  return outcome(run.leftovers());
}

// The host forgets effEditClose: the effect goes with its editor open, then the window.
CheckResult effCloseWhileOpen(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  run.open();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  run.destroyHost();
  return outcome(run.leftovers());
}

// The host's window goes first, then the editor and the effect are closed.
CheckResult windowDestroyedFirst(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  run.open();
  run.destroyHost();
  run.close();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  return outcome(run.leftovers());
}

// The module is unloaded while the host's window still lives: whatever the plug-in left in it
// would run unloaded code at its next message.
CheckResult unloadBeforeWindow(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  run.open();
  run.close();
  run.closeEffect();
  run.instance.reset();
  run.step("unloading the module");
  run.module.unload();
  const std::string left = run.leftovers();
  const std::string pumping = "pumping messages after the module was unloaded" +
                              (left.empty() ? std::string() : ", with " + left);
  run.pump(pumping.c_str());
  run.destroyHost();
  if (!left.empty()) return CheckResult::fail(left + " after the module was unloaded");
  return CheckResult::pass();
}

}  // namespace

void addEditorChecks(std::vector<Check>& checks) {
  checks.push_back({"editor.reopenSameParent",
                    "open, close and reopen on one parent: at most one window under it", true,
                    reopenSameParent});
  checks.push_back({"editor.freshParents", "open and close on a new parent window each time", true,
                    freshParents});
  checks.push_back({"editor.closeThenEffClose",
                    "effEditClose, effClose, then the host's window destroyed", true,
                    closeThenEffClose});
  checks.push_back({"editor.effCloseWhileOpen",
                    "effClose with the editor open, then the host's window destroyed", true,
                    effCloseWhileOpen});
  checks.push_back({"editor.windowDestroyedFirst",
                    "the host's window destroyed, then effEditClose and effClose", true,
                    windowDestroyedFirst});
  checks.push_back({"editor.unloadBeforeWindow",
                    "the module unloaded after effClose while the host's window lives", true,
                    unloadBeforeWindow});
}
