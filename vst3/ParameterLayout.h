// The VST 3 parameters over the effect's own: its parameters keep their indices as IDs, then come
// the two the format adds (bypass and the program), then one hidden parameter per MIDI controller
// number, which the host feeds from its MIDI input through IMidiMapping. The IDs are stored in
// hosts' sessions and automation: they never change.
#pragma once

#include <cstdint>

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

constexpr Vst3::ParamID kBypassId = 100;
constexpr Vst3::ParamID kProgramId = 101;
constexpr Vst3::ParamID kFirstControllerId = 1000;
constexpr int32_t kControllerCount = 128;

// What a parameter ID stands for.
struct ParamTarget {
  enum Kind { kNone, kEffect, kBypass, kProgram, kController } kind;
  int32_t index;  // the effect's parameter, or the controller number
};

inline ParamTarget targetOf(Vst3::ParamID id, int32_t effectParams) {
  if (id < static_cast<Vst3::ParamID>(effectParams))
    return {ParamTarget::kEffect, static_cast<int32_t>(id)};
  if (id == kBypassId) return {ParamTarget::kBypass, 0};
  if (id == kProgramId) return {ParamTarget::kProgram, 0};
  if (id >= kFirstControllerId && id < kFirstControllerId + kControllerCount)
    return {ParamTarget::kController, static_cast<int32_t>(id - kFirstControllerId)};
  return {ParamTarget::kNone, -1};
}

// The ID at a position in the host's list: effect parameters, bypass, program, controllers.
inline Vst3::ParamID idAt(int32_t position, int32_t effectParams) {
  if (position < effectParams) return static_cast<Vst3::ParamID>(position);
  if (position == effectParams) return kBypassId;
  if (position == effectParams + 1) return kProgramId;
  return kFirstControllerId + static_cast<Vst3::ParamID>(position - effectParams - 2);
}

inline int32_t parameterCount(int32_t effectParams) { return effectParams + 2 + kControllerCount; }

}  // namespace Vst3Glue
