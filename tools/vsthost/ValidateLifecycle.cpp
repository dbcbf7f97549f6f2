// Lifecycle orders hosts really send: many instances made and closed, closing a running effect,
// suspend and resume in every state, audio before the first resume, and the module unloaded and
// loaded again.
#include "ValidateChecks.h"
#include "ValidateHost.h"

namespace {

constexpr int kManyInstances = 16;
constexpr int kAliveAtOnce = 4;
constexpr int kBlocks = 8;

CheckResult openCloseMany(CheckContext& context) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  // Made, opened and closed without ever being resumed, as a host scanning its plug-ins does.
  for (int i = 0; i < kManyInstances; ++i) {
    Instance instance(module);
    if (!instance.ok())
      return CheckResult::fail("instance " + std::to_string(i + 1) + ": " + instance.error());
  }
  // Several alive at once, each running, closed in the order they were made.
  std::vector<Running> alive(kAliveAtOnce);
  for (Running& run : alive)
    if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return result;
  for (int i = 0; i < kAliveAtOnce; ++i) {
    for (Path path : replacingPaths(*alive[i].instance->record())) {
      const std::string problem = runBlocks(*alive[i].instance, *alive[i].rig, path, {kBlock},
                                            Signal::noise, context.random);
      if (!problem.empty())
        return CheckResult::fail("instance " + std::to_string(i + 1) + " of " +
                                 std::to_string(kAliveAtOnce) + " alive: " + problem);
    }
  }
  return CheckResult::pass(std::to_string(kManyInstances) + " opened and closed, " +
                           std::to_string(kAliveAtOnce) + " alive at once");
}

CheckResult closeWithoutSuspend(CheckContext& context) {
  return withInstance(context, [&](std::unique_ptr<Instance>& instance) {
    instance->start(kRate, kBlock);
    AudioRig rig(*instance->record(), kBlock);
    for (Path path : replacingPaths(*instance->record())) {
      const std::string problem = runBlocks(*instance, rig, path, std::vector<VstInt32>(4, kBlock),
                                            Signal::noise, context.random);
      if (!problem.empty()) return CheckResult::fail(problem);
    }
    // Straight to effClose: no effStopProcess, no effMainsChanged 0.
    instance->close();
    return CheckResult::pass();
  });
}

CheckResult suspendResume(CheckContext& context) {
  return withInstance(context, [&](std::unique_ptr<Instance>& instance) {
    const AEffect& record = *instance->record();
    AudioRig rig(record, kMaxBlock);
    const std::vector<Path> paths = replacingPaths(record);
    std::string problem;
    const auto audio = [&](const char* state, VstInt32 frames) {
      for (Path path : paths) {
        if (!problem.empty()) return;
        problem = runBlocks(*instance, rig, path, {frames, frames}, Signal::noise, context.random);
        if (!problem.empty()) problem = std::string(state) + ": " + problem;
      }
    };
    const auto mains = [&](VstIntPtr on) { instance->dispatch(effMainsChanged, 0, on); };

    instance->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    instance->dispatch(effSetBlockSize, 0, kBlock);
    mains(0);  // suspended before it was ever resumed
    mains(0);
    mains(1);
    mains(1);  // resumed twice in a row
    audio("after two resumes", kBlock);
    mains(0);
    audio("while suspended", kBlock);
    instance->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    instance->dispatch(effSetBlockSize, 0, kMaxBlock);
    mains(1);
    audio("resumed at a new rate and block size", kMaxBlock);
    // Hosts that skip the suspend: rate and size changed while running.
    instance->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    instance->dispatch(effSetBlockSize, 0, 256);
    audio("rate and block size changed while resumed", 256);
    mains(0);
    mains(1);
    audio("suspended and resumed again", 256);
    mains(0);
    if (!problem.empty()) return CheckResult::fail(problem);
    return CheckResult::pass();
  });
}

// The first kBlocks blocks of noise through a fresh instance, resumed first or not.
std::vector<double> firstBlocks(const LoadedModule& module, bool resume, Path path, uint64_t seed,
                                std::string& problem, CheckResult& result) {
  std::vector<double> out;
  auto instance = newInstance(module, result);
  if (!instance) return out;
  validatehost::setTransport(kRate, kBlock);
  instance->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  instance->dispatch(effSetBlockSize, 0, kBlock);
  if (resume) instance->dispatch(effMainsChanged, 0, 1);
  AudioRig rig(*instance->record(), kBlock);
  recordNoise(rig, path, kBlocks, seed, false, out, problem);
  if (resume) instance->dispatch(effMainsChanged, 0, 0);
  return out;
}

CheckResult processBeforeResume(CheckContext& context) {
  if (context.facts.vst3)
    return CheckResult::skip(
        "a VST 3 plug-in processes only while active; before that the "
        "adapter writes silence");
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    const uint64_t seed = context.random.next();
    std::string problem;
    const std::vector<double> early = firstBlocks(module, false, path, seed, problem, result);
    if (result.code != kCheckPassed) return false;
    if (!problem.empty()) {
      problems.push_back(std::string(pathName(path)) + ": " + problem);
      return true;
    }
    const std::vector<double> resumed = firstBlocks(module, true, path, seed, problem, result);
    if (result.code != kCheckPassed) return false;
    if (problem.empty() && allZero(early) && !allZero(resumed))
      problems.push_back(std::string(pathName(path)) +
                         ": silent until the first resume, though it sounds once resumed");
    return true;
  });
}

CheckResult reload(CheckContext& context) {
  std::vector<double> runs[2];
  VstInt32 params[2] = {0, 0};
  const uint64_t seed = context.random.next();
  for (int run = 0; run < 2; ++run) {
    LoadedModule module;
    CheckResult result;
    if (!loadModule(context, module, result)) return result;
    auto instance = newInstance(module, result);
    if (!instance) return CheckResult::fail("after reloading: " + result.detail);
    params[run] = instance->record()->numParams;
    instance->start(kRate, kBlock);
    AudioRig rig(*instance->record(), kBlock);
    const std::vector<Path> paths = replacingPaths(*instance->record());
    std::string problem;
    if (!paths.empty()) recordNoise(rig, paths[0], kBlocks, seed, false, runs[run], problem);
    if (!problem.empty()) return CheckResult::fail((run ? "after reloading: " : "") + problem);
    instance.reset();
    module.unload();
  }
  if (params[0] != params[1])
    return CheckResult::fail("the reloaded module has " + std::to_string(params[1]) +
                             " parameters, not " + std::to_string(params[0]));
  const std::string difference = firstDifference(runs[0], runs[1]);
  if (!difference.empty())
    return CheckResult::fail("the reloaded module sounds different: " + difference);
  return CheckResult::pass();
}

}  // namespace

void addLifecycleChecks(std::vector<Check>& checks) {
  checks.push_back({"lifecycle.openCloseMany",
                    "instances made and closed many times, and several running at once", false,
                    openCloseMany});
  checks.push_back({"lifecycle.closeWithoutSuspend",
                    "effClose while resumed and processing, with no effMainsChanged 0", false,
                    closeWithoutSuspend});
  checks.push_back({"lifecycle.suspendResume",
                    "suspend and resume twice in a row, before any resume, with rate and size "
                    "changes, and audio in each state",
                    false, suspendResume});
  checks.push_back({"lifecycle.processBeforeResume",
                    "audio sent before the first resume is written, finite, and not silent "
                    "where the resumed effect sounds",
                    false, processBeforeResume});
  checks.push_back({"lifecycle.reload",
                    "the module unloaded and loaded again gives an effect that sounds the same",
                    false, reload});
}
