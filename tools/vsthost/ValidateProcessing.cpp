// Audio as hosts really send it: awkward and changing block sizes, blocks longer than announced,
// empty blocks, every common sample rate and some odd ones, changes between blocks, input no
// plug-in should have to see; outputs must be written, finite and in bounds, and the same input
// must give the same output.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ValidateChecks.h"

namespace {

const VstInt32 kBlockSizes[] = {1, 2, 3, 64, 511, 512, 4096};
constexpr VstInt32 kFramesPerSize = 2048;
constexpr int kVaryingCalls = 64;
constexpr int kRateBlocks = 16;
constexpr int kCompareBlocks = 16;

// One fresh instance per case, so a failure in one case does not hide the next.
struct Setup {
  double rate;
  VstInt32 announced;
  VstInt32 capacity;
};

// A fresh instance set up as `setup` says and sent `sizes` blocks of noise; a problem goes into
// `problems` after `prefix`. False, with `result` set, when there is no instance.
bool noiseCase(const LoadedModule& module, Path path, const Setup& setup,
               const std::vector<VstInt32>& sizes, Random& random, const std::string& prefix,
               std::vector<std::string>& problems, CheckResult& result) {
  Running run;
  if (!startRunning(module, setup.rate, setup.announced, setup.capacity, run, result)) return false;
  const std::string problem =
      runBlocks(*run.instance, *run.rig, path, sizes, Signal::noise, random);
  if (!problem.empty()) problems.push_back(prefix + problem);
  return true;
}

CheckResult blockSizes(CheckContext& context) {
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    for (VstInt32 size : kBlockSizes) {
      const int calls = std::max(3, kFramesPerSize / size);
      if (!noiseCase(module, path, {kRate, size, size}, std::vector<VstInt32>(calls, size),
                     context.random, "", problems, result))
        return false;
    }
    return true;
  });
}

CheckResult varyingBlockSizes(CheckContext& context) {
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    std::vector<VstInt32> sizes;
    for (int i = 0; i < kVaryingCalls; ++i)
      sizes.push_back(i % 8 == 7 ? 0 : 1 + context.random.below(kMaxBlock));
    return noiseCase(module, path, {kRate, kMaxBlock, kMaxBlock}, sizes, context.random, "",
                     problems, result);
  });
}

// Hosts do send more than they announced (offline bounces, some on a tempo change); the plug-in
// may refuse to process it but must still leave no output unwritten.
CheckResult longerThanAnnounced(CheckContext& context) {
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    for (VstInt32 announced : {64, 512}) {
      if (!noiseCase(module, path, {kRate, announced, kMaxBlock},
                     {announced, announced + 1, 2 * announced, kMaxBlock, announced},
                     context.random, "announced " + std::to_string(announced) + ", ", problems,
                     result))
        return false;
    }
    return true;
  });
}

CheckResult zeroFrames(CheckContext& context) {
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    // An empty call first, before any audio, then between blocks.
    return noiseCase(module, path, {kRate, kBlock, kBlock}, {0, kBlock, 0, 0, kBlock, 0},
                     context.random, "", problems, result);
  });
}

std::string rateText(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%g Hz", rate);
  return text;
}

CheckResult ratesCheck(CheckContext& context, const std::vector<double>& rates) {
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    for (double rate : rates) {
      if (!noiseCase(module, path, {rate, kBlock, kBlock},
                     std::vector<VstInt32>(kRateBlocks, kBlock), context.random,
                     "at " + rateText(rate) + ", ", problems, result))
        return false;
    }
    return true;
  });
}

CheckResult sampleRates(CheckContext& context) {
  return ratesCheck(context, {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400,
                              192000, 352800, 384000});
}

// Nobody records at these, but a host can announce them (before it knows its device, or from a
// damaged project); the effect may sound odd but must not give NaN.
CheckResult oddSampleRates(CheckContext& context) {
  return ratesCheck(context, {1, 2, 3, 5, 7, 100, 1000, 768000});
}

CheckResult sampleRateChanges(CheckContext& context) {
  const double rates[] = {44100, 8000, 384000, 48000, 22050, 192000, 44100};
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    Running run;
    if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return false;
    Instance& instance = *run.instance;
    for (double rate : rates) {
      // As a host should: suspended around the change.
      instance.dispatch(effMainsChanged, 0, 0);
      instance.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
      instance.dispatch(effMainsChanged, 0, 1);
      std::string problem =
          runBlocks(instance, *run.rig, path, {kBlock, kBlock}, Signal::noise, context.random);
      if (problem.empty()) {
        // As some hosts do: changed while running.
        instance.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate * 0.5));
        problem =
            runBlocks(instance, *run.rig, path, {kBlock, kBlock}, Signal::noise, context.random);
        if (!problem.empty()) problem = "changed without suspend, " + problem;
      }
      if (!problem.empty()) {
        problems.push_back("to " + rateText(rate) + ", " + problem);
        break;
      }
    }
    return true;
  });
}

// +60 dBFS: a thousand times full scale, more than any plug-in's gain gives real audio. Output
// above it after bad input is the bad input let through, and would reach the speakers so.
constexpr double kLoudestOutput = 1000;

std::string dbfs(double linear) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.0f dBFS", 20 * std::log10(linear));
  return text;
}

// runBlocks, keeping the peak of every output sample.
std::string runMeasured(Running& run, Path path, const std::vector<VstInt32>& sizes, Signal signal,
                        Random& random, double& peak) {
  for (VstInt32 size : sizes) {
    const std::string problem = runBlocks(*run.instance, *run.rig, path, {size}, signal, random);
    if (!problem.empty()) return problem;
    for (VstInt32 c = 0; c < run.instance->record()->numOutputs; ++c)
      for (double sample : run.rig->output(path, c, size)) peak = std::max(peak, std::fabs(sample));
  }
  return "";
}

CheckResult badInput(CheckContext& context) {
  const Signal signals[] = {
      Signal::silence,          Signal::noise, Signal::nan,      Signal::infinity,
      Signal::negativeInfinity, Signal::huge,  Signal::denormal, Signal::mixed};
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  std::vector<std::string> problems;
  double loudest = 0;
  Signal loudestIn = Signal::silence;
  for (Path path : replacingPaths(context.facts)) {
    for (Signal signal : signals) {
      Running run;
      if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return result;
      double peak = 0;
      std::string problem =
          runMeasured(run, path, {kBlock, kBlock, 17}, signal, context.random, peak);
      // And back to plain noise: the effect must recover, not stay stuck on NaN.
      if (problem.empty()) {
        problem = runMeasured(run, path, {kBlock, kBlock}, Signal::noise, context.random, peak);
        if (!problem.empty()) problem = "noise after it, " + problem;
      }
      if (problem.empty() && peak > kLoudestOutput)
        problem = std::string(pathName(path)) + ": output peaks at " + dbfs(peak) + ", over " +
                  dbfs(kLoudestOutput);
      if (!problem.empty()) problems.push_back(std::string(signalName(signal)) + " in: " + problem);
      if (peak > loudest) {
        loudest = peak;
        loudestIn = signal;
      }
    }
  }
  if (!problems.empty()) return CheckResult::fail(joinProblems(problems));
  if (loudest == 0) return CheckResult::pass("silent throughout");
  return CheckResult::pass("loudest output " + dbfs(loudest) + ", for " + signalName(loudestIn) +
                           " in");
}

// Two instances fed alike, one block each in turn: any state they share, or any randomness of
// their own, shows as a difference.
CheckResult twoInstancesAgree(CheckContext& context) {
  const auto body = [&](const LoadedModule& module, Path path, std::vector<std::string>& problems,
                        CheckResult& result) {
    Running runs[2];
    const uint64_t paramSeed = context.random.next();
    const uint64_t audioSeed = context.random.next();
    Random audio[2] = {Random(audioSeed), Random(audioSeed)};
    for (Running& run : runs) {
      if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return false;
      Random params(paramSeed);
      run.instance->dispatch(effMainsChanged, 0, 0);
      run.instance->randomize(params);
      run.instance->dispatch(effMainsChanged, 0, 1);
    }
    std::string problem;
    for (int block = 0; block < kCompareBlocks && problem.empty(); ++block) {
      std::vector<double> outs[2];
      for (int i = 0; i < 2 && problem.empty(); ++i) {
        problem = runs[i].rig->process(path, kBlock, Signal::noise, audio[i]);
        runs[i].rig->appendOutputs(path, kBlock, outs[i]);
      }
      if (problem.empty()) {
        const std::string difference = firstDifference(outs[0], outs[1]);
        if (!difference.empty())
          problem = "block " + std::to_string(block + 1) + " differs, " + difference;
      }
    }
    if (!problem.empty()) problems.push_back(std::string(pathName(path)) + ": " + problem);
    return true;
  };
  return forEachPath(context, body, "bit for bit");
}

// One instance after the other, each from its resume: state shared between instances is
// twoInstancesAgree's business, not these checks'.
std::vector<double> inPlaceRun(const LoadedModule& module, Path path, bool inPlace, uint64_t seed,
                               std::string& problem, CheckResult& result) {
  std::vector<double> out;
  Running run;
  if (startRunning(module, kRate, kBlock, kBlock, run, result))
    recordNoise(*run.rig, path, kCompareBlocks, seed, inPlace, out, problem);
  return out;
}

CheckResult inPlace(CheckContext& context) {
  if (context.facts.numInputs < 1 || context.facts.numOutputs < 1)
    return CheckResult::skip("no inputs or no outputs");
  return forEachPath(context, [&](const LoadedModule& module, Path path,
                                  std::vector<std::string>& problems, CheckResult& result) {
    const uint64_t seed = context.random.next();
    std::string problem;
    const std::vector<double> apart = inPlaceRun(module, path, false, seed, problem, result);
    if (result.code != kCheckPassed) return false;
    if (problem.empty()) {
      const std::vector<double> shared = inPlaceRun(module, path, true, seed, problem, result);
      if (result.code != kCheckPassed) return false;
      const std::string difference = firstDifference(apart, shared);
      if (!difference.empty()) problem = "in place the output differs, " + difference;
    }
    if (!problem.empty()) problems.push_back(std::string(pathName(path)) + ": " + problem);
    return true;
  });
}

// What the outputs hold before an accumulating call, the same for every run with one seed.
std::vector<std::vector<double>> heldOutputs(size_t outputs, Random& random) {
  std::vector<std::vector<double>> held(outputs, std::vector<double>(kBlock));
  for (auto& channel : held)
    for (double& sample : channel) sample = static_cast<float>(random.signedUnit() / 2);
  return held;
}

CheckResult accumulate(CheckContext& context) {
  if (!context.facts.accumulating) return CheckResult::skip("no accumulating entry");
  if (!context.facts.replacing) return CheckResult::skip("no replacing entry to compare with");
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  const size_t outputs = static_cast<size_t>(std::max(context.facts.numOutputs, 0));
  const uint64_t audioSeed = context.random.next();
  std::vector<std::vector<std::vector<double>>> replaced;  // block, output, sample
  {
    Running run;
    if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return result;
    Random audio(audioSeed);
    for (int block = 0; block < kCompareBlocks; ++block) {
      const std::string problem = run.rig->process(Path::float32, kBlock, Signal::noise, audio);
      if (!problem.empty()) return CheckResult::fail("replacing: " + problem);
      replaced.emplace_back();
      for (size_t c = 0; c < outputs; ++c)
        replaced.back().push_back(run.rig->output(Path::float32, static_cast<VstInt32>(c), kBlock));
    }
  }
  Running run;
  if (!startRunning(module, kRate, kBlock, kBlock, run, result)) return result;
  Random audio(audioSeed);
  Random held(context.random.next());
  for (int block = 0; block < kCompareBlocks; ++block) {
    const std::vector<std::vector<double>> before = heldOutputs(outputs, held);
    run.rig->fillInputs(Path::accumulating, Signal::noise, audio, kBlock);
    run.rig->setOutputs(before);
    run.rig->call(Path::accumulating, kBlock);
    const std::string problem = run.rig->inspect(Path::accumulating, kBlock);
    if (!problem.empty()) return CheckResult::fail("accumulating: " + problem);
    for (size_t c = 0; c < outputs; ++c) {
      const std::vector<double> added =
          run.rig->output(Path::accumulating, static_cast<VstInt32>(c), kBlock);
      for (VstInt32 i = 0; i < kBlock; ++i) {
        const double wrote = replaced[block][c][i];
        const double expected = static_cast<float>(wrote + before[c][i]);
        const double tolerance = 1e-6 * std::max(1.0, std::fabs(wrote) + std::fabs(before[c][i]));
        if (std::fabs(added[i] - expected) <= tolerance) continue;
        char text[160];
        std::snprintf(text, sizeof text,
                      "block %d, output %zu, sample %d: %.9g, but replacing gave %.9g and the "
                      "output held %.9g",
                      block + 1, c, i, added[i], wrote, before[c][i]);
        return CheckResult::fail(text);
      }
    }
  }
  return CheckResult::pass();
}

}  // namespace

void addProcessingChecks(std::vector<Check>& checks) {
  checks.push_back({"processing.blockSizes",
                    "blocks of 1, 2, 3, 64, 511, 512 and 4096 frames, each as announced", false,
                    blockSizes});
  checks.push_back({"processing.varyingBlockSizes",
                    "a different block size in every call, empty ones among them", false,
                    varyingBlockSizes});
  checks.push_back({"processing.longerThanAnnounced",
                    "blocks longer than effSetBlockSize announced still get every output written",
                    false, longerThanAnnounced});
  checks.push_back(
      {"processing.zeroFrames", "calls with no frames write nothing", false, zeroFrames});
  checks.push_back(
      {"processing.sampleRates", "every rate from 8000 to 384000 Hz", false, sampleRates});
  checks.push_back({"processing.oddSampleRates", "rates from 1 Hz to 768000 Hz give finite output",
                    false, oddSampleRates});
  checks.push_back({"processing.sampleRateChanges",
                    "the rate changed between blocks, with and without a suspend", false,
                    sampleRateChanges});
  checks.push_back({"processing.badInput",
                    "silence, noise, NaN, infinities, 1e30 and denormals in, finite out within "
                    "+60 dBFS, and "
                    "recovery after them",
                    false, badInput});
  checks.push_back({"processing.twoInstancesAgree",
                    "two instances given the same parameters and input give the same output", false,
                    twoInstancesAgree});
  checks.push_back({"processing.inPlace",
                    "outputs that are the input buffers give what separate buffers give", false,
                    inPlace});
  checks.push_back({"processing.accumulate",
                    "the accumulating entry adds what the replacing one writes", false,
                    accumulate});
}
