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
  bool processBlock(bool, const TransportInfo&, double* const*, double* const*, int32_t) override {
    return false;
  }
  void formatParameter(int32_t, char* text, float) override { *text = 0; }
};

}  // namespace PlugCore
