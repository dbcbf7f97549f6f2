// The editor's lifetime in the orders hosts close things, with the host's messages pumped between
// the steps so that a window left behind gets its timer and paint messages: it must not reach a
// closed effect or an unloaded module, and reopening must not pile up windows. The editor told
// its scale before it opens, at 1x and 2x, as on a scaled display. Then two things Linux hosts
// do: idle the editor from a thread of their own while a menu is up, and swap the process-wide X
// error handler around their calls.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "EditorScale.h"
#include "Validate.h"
#include "ValidateHost.h"

namespace {

constexpr int kFirstPaintMs = 150;
constexpr int kPumpMs = 50;
constexpr int kSettleMs = 200;
constexpr int kReopens = 4;
constexpr int kFreshParents = 3;
constexpr int kIdleEveryMs = 25;
constexpr int kMenuWaitMs = 400;
constexpr int kPollMs = 20;
constexpr int kDismissAfterMs = 300;
constexpr double kFinishSeconds = 5;
constexpr int kIdlesAfterDestroy = 10;
const char* const kIdleCheck = "editor.idleOnAnotherThread";
const char* const kSwapCheck = "editor.hostSwapsErrorHandler";
constexpr int kFrameWaitMs = 3000;
// The 2x picture shrunk by two against the 1x one, in mean levels per channel. Quorl's editor
// (340 x 190, drawn at 2x from its 2x artwork) measures 1.57 on Linux and under Wine; the same 2x
// picture one of its pixels off measures 4.9, two pixels off 7.5, and the 1x picture drawn
// unscaled into the 2x window's corner 35.
constexpr double kMaxScaledDifference = 4;

const char* gStep = "";

// One instance with its editor's size and a host window of that size.
struct EditorCase {
  LoadedModule module;
  std::unique_ptr<Instance> instance;
  EditorHost host;
  int width = 0;
  int height = 0;
  validateplatform::ModuleSpan span;

  bool start(CheckContext& context, CheckResult& result) {
    if (!startInstance(context, result)) return false;
    editorRect(width, height);
    if (width <= 0 || height <= 0) width = 400, height = 300;
    return newHost(result);
  }

  // The module loaded and one instance resumed, without a host window yet.
  bool startInstance(CheckContext& context, CheckResult& result) {
    if (!loadModule(context, module, result)) return false;
    span = validateplatform::spanOf(module.module());
    instance = newInstance(module, result);
    if (!instance) return false;
    instance->start(kRate, kBlock);
    return true;
  }

  // What effEditGetRect says now; 0 x 0 when it gives no size.
  void editorRect(int& rectWidth, int& rectHeight) const {
    ERect* rect = nullptr;
    instance->dispatch(effEditGetRect, 0, 0, &rect);
    const bool given = rect && rect->right > rect->left && rect->bottom > rect->top;
    rectWidth = given ? rect->right - rect->left : 0;
    rectHeight = given ? rect->bottom - rect->top : 0;
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

  static void step(const char* what) {
    gStep = what;
    validateplatform::setCurrentStep(what);
  }

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

// A deadlocked thread can be neither stopped nor joined: once the deadline has passed, the
// check's process ends with the check's line, saying what `state` finds.
class Deadline {
 public:
  Deadline(const char* check, double seconds, std::function<std::string()> state)
      : check_(check), state_(std::move(state)) {
    thread_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> lock(mutex_);
      const auto until = std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(static_cast<int>(seconds * 1000));
      if (done_.wait_until(lock, until, [this] { return disarmed_; })) return;
      std::printf("FAIL %s: deadlock: %s\n", check_, state_().c_str());
      std::fflush(stdout);
      std::_Exit(kCheckFailed);
    });
  }
  ~Deadline() { disarm(); }
  void disarm() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      disarmed_ = true;
    }
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  const char* check_;
  std::function<std::string()> state_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::thread thread_;
};

// A plug-in whose X error reaches Xlib's default handler ends the host with exit(): that still
// gives the check its line.
const char* gGuardedCheck = nullptr;
void reportExit() {
  if (!gGuardedCheck) return;
  std::printf("FAIL %s: the process was ended by exit() while %s\n", gGuardedCheck, gStep);
  std::fflush(stdout);
}
struct ExitGuard {
  explicit ExitGuard(const char* check) {
    static const bool registered = std::atexit(reportExit) == 0;
    (void)registered;
    gGuardedCheck = check;
  }
  ~ExitGuard() { gGuardedCheck = nullptr; }
};

// effEditIdle from a thread of the host's own, every 25 ms, until told to stop.
class IdleThread {
 public:
  explicit IdleThread(Instance& instance) : instance_(instance) {
    thread_ = std::thread([this] { run(); });
  }
  ~IdleThread() { stop(); }
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool inCall() const { return inCall_; }

 private:
  void run() {
    while (!stop_) {
      inCall_ = true;
      instance_.dispatch(effEditIdle);
      inCall_ = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(kIdleEveryMs));
    }
  }

  Instance& instance_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> inCall_{false};
  std::thread thread_;
};

// Right presses where controls are likeliest (the middle first, then a grid) until one opens a
// popup of the module's; 0 when none did. The idle thread runs the menu.
unsigned long openMenu(EditorCase& run) {
  void* editor = run.host.editorWindow();
  if (!editor) return 0;
  const int fx[] = {4, 2, 6, 1, 3, 5, 7};
  const int fy[] = {4, 2, 6};
  for (int y : fy) {
    for (int x : fx) {
      run.step("right press on the editor");
      validateplatform::rightPress(editor, run.width * x / 8, run.height * y / 8);
      for (int waited = 0; waited < kMenuWaitMs; waited += kPollMs) {
        EditorHost::pump(kPollMs);
        const std::vector<unsigned long> popups = validateplatform::popupsOfModule(run.span);
        if (!popups.empty()) return popups.front();
      }
    }
  }
  return 0;
}

// The editor opened on the host's GUI thread and idled from another; with a menu of the editor's
// up, the host destroys its window and calls effEditClose on the GUI thread, the menu is then
// dismissed, and both threads must come back.
CheckResult idleOnAnotherThread(CheckContext& context) {
  std::string why;
  if (!validateplatform::hostPatternsHere(why)) return CheckResult::skip(why);
  ExitGuard guard(kIdleCheck);
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  run.step("in effEditOpen");
  run.instance->dispatch(effEditOpen, 0, 0, run.host.window());
  IdleThread idle(*run.instance);
  run.pump("pumping messages while the other thread idles the editor");
  const unsigned long menu = openMenu(run);
  run.step("destroying the host's window with the editor open");
  run.host.destroy();
  std::atomic<bool> closeReturned{false};
  std::string dismissed;
  std::atomic<bool> dismissing{false};
  std::thread user;
  if (menu) {
    user = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(kDismissAfterMs));
      dismissed = validateplatform::dismissPopup(menu);
      dismissing = true;
    });
  }
  Deadline deadline(kIdleCheck, kFinishSeconds, [&] {
    std::string stuck;
    if (!closeReturned) stuck = "effEditClose on the GUI thread";
    if (idle.inCall())
      stuck += (stuck.empty() ? "" : " and ") + std::string("effEditIdle on the idle thread");
    if (stuck.empty()) stuck = "the idle thread";
    char when[64];
    std::snprintf(when, sizeof when, "%g s after effEditClose", kFinishSeconds);
    std::string how = " (no menu appeared)";
    if (menu)
      how = dismissing ? " (the menu dismissed by " + dismissed + ")" : " (the menu still up)";
    return when + (", " + stuck) + " not returned" + how;
  });
  run.step(menu ? "in effEditClose with a menu up" : "in effEditClose");
  run.instance->dispatch(effEditClose);
  closeReturned = true;
  run.step("waiting for the idle thread");
  idle.stop();
  if (user.joinable()) user.join();
  deadline.disarm();
  run.instance->stop();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  const std::string left = run.leftovers();
  if (!left.empty()) return CheckResult::fail(left);
  return CheckResult::pass(menu ? "" : "no menu appeared");
}

// The host swaps its own process-wide error handler for a temporary one around effEditOpen and
// effEditIdle, then destroys its window under the open editor, idles and closes it, and opens it
// again on the destroyed window's id: errors of the plug-in's connections must reach neither
// handler, and the process must live on.
CheckResult hostSwapsErrorHandler(CheckContext& context) {
  std::string why;
  if (!validateplatform::hostPatternsHere(why)) return CheckResult::skip(why);
  ExitGuard guard(kSwapCheck);
  // The host's own handler is there before the module is loaded.
  validateplatform::HostErrorHandlers handlers;
  EditorCase run;
  CheckResult result;
  if (!run.start(context, result)) return result;
  auto wrapped = [&](VstInt32 opcode, void* ptr) {
    handlers.beginCall();
    run.instance->dispatch(opcode, 0, 0, ptr);
    handlers.endCall();
  };
  run.step("in effEditOpen inside the host's temporary handler");
  wrapped(effEditOpen, run.host.window());
  for (int waited = 0; waited < kFirstPaintMs; waited += kPumpMs) {
    run.step("in effEditIdle inside the host's temporary handler");
    wrapped(effEditIdle, nullptr);
    EditorHost::pump(kPumpMs);
  }
  void* const stale = run.host.window();
  run.step("destroying the host's window with the editor open");
  run.host.destroy();
  for (int i = 0; i < kIdlesAfterDestroy; ++i) {
    run.step("in effEditIdle after the host's window was destroyed");
    wrapped(effEditIdle, nullptr);
    EditorHost::pump(kPollMs);
  }
  run.close();
  // A host that keeps the handle of the window it destroyed: the plug-in's requests on it fail
  // on the plug-in's own connection, whatever it answers.
  run.step("in effEditOpen on the destroyed window inside the host's temporary handler");
  wrapped(effEditOpen, stale);
  run.step("in effEditIdle after the open on the destroyed window");
  wrapped(effEditIdle, nullptr);
  run.close();
  run.instance->stop();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  std::string first;
  if (const int foreign = handlers.foreignErrors(first))
    return CheckResult::fail(std::to_string(foreign) +
                             " X errors of a connection other than the host's reached the host's "
                             "handler (first: " +
                             first + ")");
  return CheckResult::pass();
}

// What one open of the editor at a scale showed.
struct ScaledOpen {
  VstIntPtr answer = 0;
  int askedWidth = 0, askedHeight = 0;    // effEditGetRect before the open: our window's size
  int rectWidth = 0, rectHeight = 0;      // effEditGetRect with the editor open
  int windowWidth = 0, windowHeight = 0;  // our window as the system has it
  editorscale::Picture picture;           // the editor's own window at its own size
};

// Idles the open editor until it shows a picture (one of a single colour may never count as
// one) and a little longer, so the picture has settled, then reads the sizes and the pixels.
std::string readScaled(EditorCase& run, ScaledOpen& out) {
  for (int waited = 0; waited < kFrameWaitMs && !run.host.hasFrame(); waited += kPollMs) {
    run.step("in effEditIdle waiting for the first frame");
    run.instance->dispatch(effEditIdle);
    EditorHost::pump(kPollMs);
  }
  for (int waited = 0; waited < kSettleMs; waited += kPollMs) {
    run.step("in effEditIdle after the first frame");
    run.instance->dispatch(effEditIdle);
    EditorHost::pump(kPollMs);
  }
  run.step("reading the editor back");
  run.editorRect(out.rectWidth, out.rectHeight);
  run.host.clientSize(out.windowWidth, out.windowHeight);
  std::string error;
  if (!run.host.capture(out.picture.rgb, out.picture.width, out.picture.height, error))
    return "reading the editor back failed: " + error;
  return "";
}

// Tells the plug-in `factor`, makes our window as large as effEditGetRect says, opens the editor
// in it, reads it back and closes it again. Empty, or what went wrong.
std::string openScaled(EditorCase& run, double factor, ScaledOpen& out) {
  run.step("in effVendorSpecific telling the editor's scale");
  out.answer = editorscale::notify(*run.instance, factor);
  run.step("in effEditGetRect");
  run.editorRect(out.askedWidth, out.askedHeight);
  if (out.askedWidth <= 0) return "no editor size from effEditGetRect";
  run.width = out.askedWidth;
  run.height = out.askedHeight;
  CheckResult result;
  if (!run.newHost(result)) return result.detail;
  validatehost::resizeWith(&run.host);
  run.step("in effEditOpen");
  run.instance->dispatch(effEditOpen, 0, 0, run.host.window());
  const std::string problem = readScaled(run, out);
  run.close();
  validatehost::resizeWith(nullptr);
  run.destroyHost();
  return problem;
}

// Every size of one open the same; else all of them.
std::string sizesDisagree(const ScaledOpen& open, const char* label) {
  using editorscale::sizeText;
  const std::string rect = sizeText(open.rectWidth, open.rectHeight);
  if (sizeText(open.askedWidth, open.askedHeight) == rect &&
      sizeText(open.windowWidth, open.windowHeight) == rect &&
      sizeText(open.picture.width, open.picture.height) == rect)
    return "";
  return std::string(label) + ": effEditGetRect " + sizeText(open.askedWidth, open.askedHeight) +
         " before the open and " + rect + " with it open, the host's window " +
         sizeText(open.windowWidth, open.windowHeight) + ", the pixels read back " +
         sizeText(open.picture.width, open.picture.height);
}

// The editor opened at 1x and at 2x, each time told its scale first, as hosts with a scaled
// display do: effEditGetRect, our window, the editor's window and the pixels read back agree;
// at 2x the size is twice 1x's (unchanged where the plug-in does not take the scale), and the
// picture shrunk back to 1x is the 1x picture but for what drawing at a finer size changes.
CheckResult scaledOpens(CheckContext& context) {
  EditorCase run;
  CheckResult result;
  if (!run.startInstance(context, result)) return result;
  ScaledOpen one, two;
  std::string problem = openScaled(run, 1, one);
  if (problem.empty()) problem = openScaled(run, 2, two);
  run.instance->stop();
  run.closeEffect();
  run.pump("pumping messages after effClose");
  if (!problem.empty()) return CheckResult::fail(problem);
  if (!(problem = sizesDisagree(one, "at 1x")).empty()) return CheckResult::fail(problem);
  if (!(problem = sizesDisagree(two, "at 2x")).empty()) return CheckResult::fail(problem);

  using editorscale::sizeText;
  const bool takes = two.answer == 1;
  const int factor = takes ? 2 : 1;
  const std::string expected = sizeText(editorscale::scaled(one.rectWidth, factor),
                                        editorscale::scaled(one.rectHeight, factor));
  const std::string got = sizeText(two.rectWidth, two.rectHeight);
  const std::string answered = "answered " + std::to_string(two.answer);
  if (got != expected)
    return CheckResult::fail("at 2x (" + answered + ") the editor is " + got + ", not " + expected);
  const double difference =
      editorscale::meanDifference(editorscale::shrink(two.picture, factor), one.picture);
  char figure[160];
  std::snprintf(figure, sizeof figure, "%.2f levels per channel from the 1x one (at most %g)",
                difference, kMaxScaledDifference);
  const std::string compared =
      std::string(takes ? "the 2x picture shrunk by 2 is " : "the 2x picture is ") + figure;
  if (difference > kMaxScaledDifference) return CheckResult::fail(compared);
  const std::string sizes =
      takes ? "1x " + sizeText(one.rectWidth, one.rectHeight) + ", 2x " + got
            : "the plug-in does not take a scale (" + answered + "): 2x unchanged at " + got;
  return CheckResult::pass(sizes + "; effEditGetRect, the windows and the pixels agree; " +
                           compared);
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
  checks.push_back({"editor.scaledOpens",
                    "told 1x, then 2x, before opening: effEditGetRect, the windows and the "
                    "pixels agree, 2x is twice the size and shrunk looks like 1x",
                    true, scaledOpens});
  checks.push_back({kIdleCheck,
                    "effEditIdle from a second thread; window destroyed and effEditClose with a "
                    "menu up: both threads come back",
                    true, idleOnAnotherThread});
  checks.push_back({kSwapCheck,
                    "the host's temporary X error handler around open and idle: no error of the "
                    "plug-in reaches the host's",
                    true, hostSwapsErrorHandler});
}
