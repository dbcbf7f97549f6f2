// Drives a Quorl instance the way a host does (sample rate, block size, resume, blocks of audio)
// and keeps what came out.
#pragma once

#include <cmath>
#include <functional>
#include <vector>

#include "effect/Quorl.h"

struct QuorlTestRig {
  explicit QuorlTestRig(float sampleRate = 44100.0f, int block = 512) : block(block) {
    effect.setSampleRate(sampleRate);
    effect.setBlockSize(block);
  }

  void set(int index, float value) { effect.setParameter(index, value); }
  void resume() { effect.resume(); }

  // Renders `frames` samples of input(i, channel) and returns both output channels.
  std::vector<double> render(int frames, const std::function<double(int, int)>& input,
                             std::vector<double>* right = nullptr) {
    std::vector<double> outL, outR;
    std::vector<double> bufIn[2], bufOut[2];
    for (int c = 0; c < 2; ++c) bufIn[c].resize(block), bufOut[c].resize(block);
    for (int done = 0; done < frames;) {
      const int n = std::min(block, frames - done);
      for (int c = 0; c < 2; ++c)
        for (int i = 0; i < n; ++i) bufIn[c][i] = input(rendered + done + i, c);
      double* in[2] = {bufIn[0].data(), bufIn[1].data()};
      double* out[2] = {bufOut[0].data(), bufOut[1].data()};
      effect.processDoubleReplacing(in, out, n);
      outL.insert(outL.end(), bufOut[0].begin(), bufOut[0].begin() + n);
      outR.insert(outR.end(), bufOut[1].begin(), bufOut[1].begin() + n);
      done += n;
    }
    rendered += frames;
    if (right) *right = outR;
    return outL;
  }

  static double peak(const std::vector<double>& x, size_t from = 0) {
    double p = 0;
    for (size_t i = from; i < x.size(); ++i) p = std::max(p, std::fabs(x[i]));
    return p;
  }

  Quorl effect{nullptr};
  int block;
  int rendered = 0;
};
