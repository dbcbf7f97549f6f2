// The stand-in effect a host gets when the real one cannot run here: it loads, has one nameless
// parameter and no editor, and produces nothing.
#pragma once

#include "plugcore/Plug.h"

namespace PlugCore {

class NullPlug : public Plug {
 public:
  explicit NullPlug(audioMasterCallback host) : Plug(host, 1, 1, "Error") {}

  void sampleRateChanged() override {}
  void resetState() override {}
  // Silence, on every entry: the float entries hand the host what lands in the work block.
  bool processBlock(bool, const TransportInfo&, double* const*, double* const* outputs,
                    int32_t frames) override {
    for (int32_t c = 0; c < 2 * outputPairs; ++c)
      for (int32_t i = 0; i < frames; ++i) outputs[c][i] = 0.0;
    return false;
  }
  void formatParameter(int32_t, char* text, float) override { *text = 0; }
};

}  // namespace PlugCore
