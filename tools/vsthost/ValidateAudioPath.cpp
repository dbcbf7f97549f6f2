// The audio thread's rules: no allocation inside a process call (counted, with parameters moving
// and MIDI arriving as in a real session), and how long the slowest call takes.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "MidiEventList.h"
#include "Validate.h"

namespace {

constexpr int kCountedBlocks = 200;
constexpr int kTimedBlocks = 400;
// However slow the plug-in, the timing stops after this, with enough calls for a median.
constexpr double kTimedSeconds = 1;
constexpr int kMinTimedBlocks = 16;
// Nine calls in ten within the budget: a busy machine preempts a few, a slow plug-in most.
constexpr int kTypicalPercent = 90;
// Fresh runs that time again the blocks over budget.
constexpr int kReruns = 2;

// Blocks of noise with what a playing session brings between them: automation every few blocks
// and, for a plug-in that takes MIDI, controller and note messages inside them.
void session(Instance& instance, AudioRig& rig, Path path, int blocks, Random& random,
             std::string& problem, double maxSeconds = 0) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const bool midi = instance.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")) > 0;
  const VstInt32 params = instance.record()->numParams;
  MidiEventList events;
  for (int block = 0; block < blocks && problem.empty(); ++block) {
    if (maxSeconds > 0 && block >= kMinTimedBlocks &&
        std::chrono::duration<double>(Clock::now() - start).count() > maxSeconds)
      return;
    if (params > 0 && block % 4 == 0) instance.set(random.below(params), random.parameter());
    if (midi && block % 8 == 0) {
      const uint8_t controller = static_cast<uint8_t>(random.below(120));
      const uint8_t value = static_cast<uint8_t>(random.below(128));
      instance.dispatch(effProcessEvents, 0, 0,
                        events.fill({{0, {0xB0, controller, value}},
                                     {kBlock / 2, {0x90, 60, 100}},
                                     {kBlock - 1, {0x80, 60, 0}}}));
    }
    problem = rig.process(path, kBlock, Signal::noise, random);
  }
}

CheckResult allocations(CheckContext& context) {
  if (!validateplatform::allocationCountingSupported())
    return CheckResult::skip("allocations cannot be counted in this build");
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  std::vector<std::string> problems;
  size_t calls = 0;
  for (Path path : replacingPaths(context.facts)) {
    auto instance = newInstance(module, result);
    if (!instance) return result;
    // Announced before the resume, as hosts do: a plug-in set up for one sample size may set
    // itself up again when the other arrives.
    instance->dispatch(effSetProcessPrecision, 0, path == Path::float64 ? 1 : 0);
    instance->start(kRate, kBlock);
    AudioRig rig(*instance->record(), kBlock);
    rig.countAllocations(true);
    std::string problem;
    // From the very first call: a plug-in that allocates lazily does it on the audio thread.
    session(*instance, rig, path, kCountedBlocks, context.random, problem);
    calls += kCountedBlocks;
    if (!problem.empty()) return CheckResult::fail(problem);
    if (rig.allocations() || rig.frees())
      problems.push_back(std::to_string(rig.allocations()) + " allocations and " +
                         std::to_string(rig.frees()) + " frees in " +
                         std::to_string(kCountedBlocks) + " " + pathName(path) + " calls");
  }
  if (!problems.empty()) return CheckResult::fail(joinProblems(problems));
  return CheckResult::pass("none in " + std::to_string(calls) + " calls");
}

// One timed session from scratch: a fresh instance and the same random sequence each time, so
// that block i of one run is block i of the next.
bool timedRun(const LoadedModule& module, Path path, uint64_t seed, std::vector<double>& micros,
              std::string& problem, CheckResult& result) {
  auto instance = newInstance(module, result);
  if (!instance) return false;
  instance->start(kRate, kBlock);
  AudioRig rig(*instance->record(), kBlock);
  Random random(seed);
  session(*instance, rig, path, kTimedBlocks, random, problem, kTimedSeconds);
  micros = rig.callMicroseconds();
  return true;
}

CheckResult timing(CheckContext& context) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  const std::vector<Path> paths = replacingPaths(context.facts);
  if (paths.empty()) return CheckResult::skip("no replacing entry");
  const uint64_t seed = context.random.next();
  std::vector<double> micros;
  std::string problem;
  if (!timedRun(module, paths[0], seed, micros, problem, result)) return result;
  if (!problem.empty()) return CheckResult::fail(problem);
  std::vector<double> sorted = micros;
  std::sort(sorted.begin(), sorted.end());
  const double budget = kBlock / kRate * 1e6;
  const double median = sorted[sorted.size() / 2];
  const double typical = sorted[sorted.size() * kTypicalPercent / 100];
  char text[256];
  std::snprintf(text, sizeof text,
                "slowest block %.0f us, %d%% within %.0f us, median %.0f us of %zu, of %.0f us "
                "for %d frames at %.0f Hz",
                sorted.back(), kTypicalPercent, typical, median, sorted.size(), budget, kBlock,
                kRate);
  if (typical > budget) return CheckResult::fail(std::string(text) + ": slower than real time");

  // Every block: one over budget is timed again in fresh runs. A call preempted on a busy machine
  // does not come back at the same place; one the plug-in makes slow does, in every run.
  std::vector<size_t> over;
  for (size_t i = 0; i < micros.size(); ++i)
    if (micros[i] > budget) over.push_back(i);
  const size_t overOnce = over.size();
  std::vector<std::vector<double>> runs = {micros};
  for (int rerun = 0; rerun < kReruns && !over.empty(); ++rerun) {
    std::vector<double> again;
    if (!timedRun(module, paths[0], seed, again, problem, result)) return result;
    if (!problem.empty()) return CheckResult::fail(problem);
    std::vector<size_t> still;
    for (size_t i : over)
      if (i < again.size() && again[i] > budget) still.push_back(i);
    over.swap(still);
    runs.push_back(std::move(again));
  }
  if (!over.empty()) {
    std::string times;
    for (const std::vector<double>& run : runs)
      times += (times.empty() ? "" : ", ") + std::to_string(static_cast<int>(run[over[0]])) + " us";
    return CheckResult::fail(std::string(text) + ": block " + std::to_string(over[0] + 1) +
                             " over budget in each of " + std::to_string(runs.size()) + " runs (" +
                             times + ")");
  }
  std::string detail = text;
  if (overOnce)
    detail += "; " + std::to_string(overOnce) + " over budget once, not again in a fresh run";
  return CheckResult::pass(detail);
}

}  // namespace

void addAudioPathChecks(std::vector<Check>& checks) {
  checks.push_back({"audioPath.allocations",
                    "no allocation or free inside process calls, MIDI and automation included",
                    false, allocations});
  checks.push_back({"audioPath.time",
                    "the time of every process call; fails when one in ten is slower than real "
                    "time, or one block is so at the same place in three runs",
                    false, timing});
}
