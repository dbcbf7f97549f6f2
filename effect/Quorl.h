// The stereo filter effect.
#pragma once

#include "plugcore/Plug.h"

class Quorl : public PlugCore::Plug {
 public:
  static constexpr int32_t kProgramCount = 16;
  static constexpr VstInt32 kUniqueId = static_cast<VstInt32>(0xFFFFEB70);  // -5264

  explicit Quorl(audioMasterCallback host);

  void sampleRateChanged() override;
  void resetState() override;
  bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& transport,
                    double* const* inputs, double* const* outputs, int32_t frames) override;
  void formatParameter(int32_t index, char* text, float value) override;
};
