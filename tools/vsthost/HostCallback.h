// The host side of the callback: answers what a plain command-line host can answer and keeps a
// list of every call, so a run can show exactly what the plug-in asked of its host.
#pragma once

#include <vector>

#include "plugcore/VstAbi.h"

struct CallbackCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  bool hasPtr;
  float opt;
};

namespace hostcallback {

// Clears the list. With answerVersion false the host claims no version at all, which is how we
// check that a plug-in refuses such a host.
void reset(bool answerVersion);

// Passed to the entry point. The callback has no user pointer and may be called before the
// effect record exists, so its state is process-wide.
VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

const std::vector<CallbackCall>& calls();

}  // namespace hostcallback
