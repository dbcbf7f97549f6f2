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

// Clears the list and turns the transport off. With answerVersion false the host claims no
// version at all, which is how we check that a plug-in refuses such a host.
void reset(bool answerVersion);

// Turns on what a rendering host reports: time info (tempo 120, position at sample 0), the sample
// rate and the block size. Without it those queries are answered with 0, as `info` expects.
void startTransport(double sampleRate, VstInt32 blockSize, bool playing);

// Moves the reported position to `samplePos`; called before every block.
void moveTransport(double samplePos);

// Passed to the entry point. The callback has no user pointer and may be called before the
// effect record exists, so its state is process-wide.
VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

const std::vector<CallbackCall>& calls();

}  // namespace hostcallback
