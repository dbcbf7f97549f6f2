// The effect's side of a switch of quality (QualitySwitch.h has the plan).
#include <algorithm>

#include "effect/Quorl.h"

using namespace QuorlDsp;

// The incoming quality takes the outgoing one's filter and high-pass states, which mean the same
// at either rate, so it starts close to where the sound is; its half-bands start from silence
// and settle before they are heard.
void Quorl::beginSwitch() {
  if (highActive) {
    svf = high.svf;
    highpassL = high.highpassL;
    highpassR = high.highpassR;
    oversampler = Oversampler();
    drivenL = drivenR = 0.0;
  } else {
    high.reset();
    high.svf = svf;
    high.highpassL = highpassL;
    high.highpassR = highpassR;
    normalDelay.startFromNewest();
  }
  qualitySwitch.active = true;
  qualitySwitch.toHigh = !highActive;
  qualitySwitch.position = 0;
}

// Both qualities run on the same input and noise, in short pieces (the ramps advance between
// them).
void Quorl::processSwitch(double* const* inputs, double* const* outputs, int32_t frames,
                          double qRange) {
  int32_t done = 0;
  while (done < frames && qualitySwitch.active) {
    const int32_t n = std::min(frames - done, kSwitchChunk);
    // The host may process in place: the input goes aside before any output is written.
    for (int c = 0; c < 2; ++c) std::copy(inputs[c] + done, inputs[c] + done + n, switchIn[c]);
    const bool withHigh = qualitySwitch.needsHigh(qualitySwitch.position);
    const PlugCore::NoiseGenerator start = noise;
    if (withHigh) {
      runPath(true, switchIn[0], switchIn[1], switchHigh[0], switchHigh[1], n, qRange);
      noise = start;
    }
    runPath(false, switchIn[0], switchIn[1], switchNormal[0], switchNormal[1], n, qRange);
    for (int32_t i = 0; i < n; ++i) {
      const int32_t at = qualitySwitch.position + i;
      normalDelay.push(switchNormal[0][i], switchNormal[1][i]);
      const double delay = qualitySwitch.normalDelay(at);
      for (int c = 0; c < 2; ++c)
        outputs[c][done + i] =
            qualitySwitch.mix(normalDelay.read(c, delay), withHigh ? switchHigh[c][i] : 0.0, at);
    }
    ramps.advance(static_cast<double>(n) * rampIncrement);
    qualitySwitch.position += n;
    done += n;
    if (qualitySwitch.position >= qualitySwitch.length()) {
      highActive = qualitySwitch.toHigh;
      qualitySwitch.active = false;
    }
  }
  if (done < frames) {
    double* rest[2] = {outputs[0] + done, outputs[1] + done};
    runPath(highActive, inputs[0] + done, inputs[1] + done, rest[0], rest[1], frames - done,
            qRange);
    if (!highActive) normalDelay.remember(rest[0], rest[1], frames - done);
    ramps.advance(static_cast<double>(frames - done) * rampIncrement);
  }
}
