// Cost of a whole processing call, per stereo sample, at 44.1 kHz in blocks of 512: with the
// parameters settled and with all seven continuous parameters moving every block, through the
// 64-bit and the 32-bit entry, in Normal and in High quality.
#include <benchmark/benchmark.h>

#include <vector>

#include "effect/Quorl.h"

namespace {

constexpr int kBlock = 512;

struct Rig {
  Quorl effect{nullptr};
  std::vector<double> in[2], out[2];
  std::vector<float> inF[2], outF[2];
  double* inPtr[2];
  double* outPtr[2];
  float* inPtrF[2];
  float* outPtrF[2];

  Rig(bool everySample, bool high) {
    effect.setEvaluateEverySample(everySample);
    effect.useHighQuality(high);
    effect.setSampleRate(44100.0f);
    effect.setBlockSize(kBlock);
    effect.setParameter(2, 0.8f);  // some resonance, so that the filter does real work
    effect.resume();
    for (int c = 0; c < 2; ++c) {
      in[c].resize(kBlock);
      out[c].resize(kBlock);
      inF[c].resize(kBlock);
      outF[c].resize(kBlock);
      for (int i = 0; i < kBlock; ++i) {
        in[c][i] = 0.3 * ((i * (c + 3)) % 97) / 97.0 - 0.15;
        inF[c][i] = static_cast<float>(in[c][i]);
      }
      inPtr[c] = in[c].data();
      outPtr[c] = out[c].data();
      inPtrF[c] = inF[c].data();
      outPtrF[c] = outF[c].data();
    }
    for (int b = 0; b < 200; ++b) processDouble();  // let the ramps settle
  }
  void processDouble() { effect.processDoubleReplacing(inPtr, outPtr, kBlock); }
  void processFloat() { effect.processReplacing(inPtrF, outPtrF, kBlock); }
  void moveParameters(int64_t block) {
    const float phase = (block % 2) ? 0.3f : 0.6f;
    for (int p = 0; p < 7; ++p) effect.setParameter(p, phase + 0.01f * p);
  }
};

void report(benchmark::State& state) {
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One processing call per iteration; with moving parameters all seven get new targets first.
void run(benchmark::State& state, bool floatPath, bool everySample, bool moveParameters,
         bool high = false) {
  Rig rig(everySample, high);
  int64_t block = 0;
  for (auto _ : state) {
    if (moveParameters) rig.moveParameters(block++);
    if (floatPath)
      rig.processFloat();
    else
      rig.processDouble();
    benchmark::DoNotOptimize(rig.out[0].data());
    benchmark::DoNotOptimize(rig.outF[0].data());
  }
  report(state);
}

void SettledDouble(benchmark::State& s) { run(s, false, false, false); }
void SettledFloat(benchmark::State& s) { run(s, true, false, false); }
void SettledDoubleEverySample(benchmark::State& s) { run(s, false, true, false); }
void MovingDouble(benchmark::State& s) { run(s, false, false, true); }
void MovingFloat(benchmark::State& s) { run(s, true, false, true); }
void HighSettledDouble(benchmark::State& s) { run(s, false, false, false, true); }
void HighMovingDouble(benchmark::State& s) { run(s, false, false, true, true); }

BENCHMARK(SettledDouble);
BENCHMARK(SettledFloat);
BENCHMARK(SettledDoubleEverySample);
BENCHMARK(MovingDouble);
BENCHMARK(MovingFloat);
BENCHMARK(HighSettledDouble);
BENCHMARK(HighMovingDouble);

}  // namespace

BENCHMARK_MAIN();
