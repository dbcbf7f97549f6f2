#include "effect/Quorl.h"

#include "effect/QuorlParameters.h"

Quorl::Quorl(audioMasterCallback host)
    : Plug(host, kProgramCount, QuorlParams::kParamCount, "Quorl") {
  setUniqueID(kUniqueId);
  hasEditor(editor != nullptr);  // the editor joins with the window toolkit
  for (int32_t i = 0; i < QuorlParams::kParamCount; ++i) {
    PlugCore::ParamRecord& record = params[static_cast<uint32_t>(i)];
    const QuorlParams::ParamInfo& info = QuorlParams::kParamTable[i];
    record.name = info.name;
    record.label = info.label;
    record.defaultValue = info.defaultValue;
    record.value = info.defaultValue;
    record.flags = 0;
  }
}

void Quorl::sampleRateChanged() {}

void Quorl::resetState() {}

bool Quorl::processBlock(bool, const PlugCore::TransportInfo&, double* const*, double* const*,
                         int32_t) {
  return false;
}

void Quorl::formatParameter(int32_t index, char* text, float value) {
  QuorlParams::formatParameterValue(index, value, text, 64);
}
