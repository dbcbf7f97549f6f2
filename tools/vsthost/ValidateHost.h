// The host side of the callback while validating. Unlike the recording host of the other
// commands it is called from the audio thread and the editor's thread at once, so it keeps only
// counters and one time record: no allocation, no lock.
#pragma once

#include <cstddef>

#include "Platform.h"
#include "plugcore/VstAbi.h"

namespace validatehost {

// Zeroes the counters and reports a stopped transport at 44100 Hz, blocks of 512.
void reset();

// What audioMasterGetTime, GetSampleRate and GetBlockSize report from now on: a playing transport
// at 120 beats per minute. Called by the audio thread between process calls only.
void setTransport(double sampleRate, VstInt32 blockSize);
void moveTransport(double samplePos);

// While a host window is given, audioMasterSizeWindow resizes it and canDo "sizeWindow" answers
// 1; without one (null) both are answered 0. Only for checks that call the plug-in from the
// window's own thread alone.
void resizeWith(EditorHost* host);

VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

struct Counts {
  size_t automate = 0;
  size_t beginEdit = 0;
  size_t endEdit = 0;
  size_t getTime = 0;
  size_t total = 0;
};
Counts counts();

}  // namespace validatehost
