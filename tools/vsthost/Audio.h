// Audio as the host handles it: planar channels of doubles at one sample rate. Sources and the
// rendered output all use it, so samples change type only at the files and at the plug-in.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// Decoded audio is capped at 2^28 samples (2 GiB of doubles), whatever a file header claims.
constexpr size_t kMaxSamples = size_t(1) << 28;
constexpr int kMaxSampleRate = 10000000;

struct Audio {
  int rate = 0;
  std::vector<std::vector<double>> channels;

  size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }

  // Channel c, or the last one when there are fewer: mono feeds every input.
  const std::vector<double>& channelFor(size_t c) const {
    return channels[std::min(c, channels.size() - 1)];
  }
};
