// The host side of the callback: answers what a plain command-line host can answer and keeps a
// list of every call, so a run can show exactly what the plug-in asked of its host.
#pragma once

#include <functional>
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

// Clears the list, turns the transport off and leaves no window to resize. With answerVersion false
// the host claims no version at all, which is how we check that a plug-in refuses such a host.
void reset(bool answerVersion);

// Turns on what a rendering host reports: time info (tempo 120, position at sample 0), the sample
// rate and the block size. Without it those queries are answered with 0, as `info` expects.
void startTransport(double sampleRate, VstInt32 blockSize, bool playing);

// Moves the reported position to `samplePos`; called before every block.
void moveTransport(double samplePos);

// What audioMasterGetCurrentProcessLevel answers from now on: 4 for a host rendering offline; 0
// (unknown, as after reset) otherwise.
void answerProcessLevel(VstIntPtr level);

// canDo "sizeWindow" from now on: 1 for a host that resizes its editor's window, -1 for one that
// refuses; 0, as every capability, for a host without a window.
void announceSizeWindow(VstIntPtr canDo);
// What answers audioMasterSizeWindow from now on: it gets the size asked for and gives the answer
// (1 when the window has that size now). Without it the request is answered 0.
using SizeWindow = std::function<VstIntPtr(VstIntPtr width, VstIntPtr height)>;
void onSizeWindow(SizeWindow resize);

// Passed to the entry point. The callback has no user pointer and may be called before the
// effect record exists, so its state is process-wide.
VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

const std::vector<CallbackCall>& calls();

}  // namespace hostcallback
