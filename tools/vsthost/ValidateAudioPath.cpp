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

CheckResult timing(CheckContext& context) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  const std::vector<Path> paths = replacingPaths(context.facts);
  if (paths.empty()) return CheckResult::skip("no replacing entry");
  auto instance = newInstance(module, result);
  if (!instance) return result;
  instance->start(kRate, kBlock);
  AudioRig rig(*instance->record(), kBlock);
  std::string problem;
  session(*instance, rig, paths[0], kTimedBlocks, context.random, problem, kTimedSeconds);
  if (!problem.empty()) return CheckResult::fail(problem);
  std::vector<double> micros = rig.callMicroseconds();
  std::sort(micros.begin(), micros.end());
  const double budget = kBlock / kRate * 1e6;
  const double median = micros[micros.size() / 2];
  char text[192];
  std::snprintf(text, sizeof text,
                "slowest block %.0f us, median %.0f us of %zu, of %.0f us for %d frames at %.0f Hz",
                micros.back(), median, micros.size(), budget, kBlock, kRate);
  // The median, not the slowest: one preempted call on a busy machine says nothing about the
  // plug-in, a typical call over budget does.
  if (median > budget) return CheckResult::fail(std::string(text) + ": slower than real time");
  return CheckResult::pass(text);
}

}  // namespace

void addAudioPathChecks(std::vector<Check>& checks) {
  checks.push_back({"audioPath.allocations",
                    "no allocation or free inside process calls, MIDI and automation included",
                    false, allocations});
  checks.push_back({"audioPath.time",
                    "the time of every process call; fails when a typical one is slower than "
                    "real time",
                    false, timing});
}
