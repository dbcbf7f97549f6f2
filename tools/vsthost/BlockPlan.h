// How a render is cut into process calls, as a real host does it: buffers of the announced size,
// each split where a parameter change falls so that the change starts a block (and so lands on its
// exact sample), with the MIDI events of each block and their offsets into it.
#pragma once

#include <cstdint>
#include <vector>

#include "Schedule.h"

struct ParamWrite {
  VstInt32 index;
  float value;
};

struct MidiMessage {
  VstInt32 deltaFrames;
  uint8_t bytes[3];
};

struct Block {
  int64_t start = 0;
  VstInt32 length = 0;
  std::vector<ParamWrite> params;  // set just before the block: sweeps first, then events
  std::vector<MidiMessage> midi;   // sent just before the block, in position order
};

// A sweep's value at `pos`: linear from `from` at sample 0 to `to` at the last sample.
double sweepValue(const ParamSweep& sweep, int64_t pos, int64_t frames);

// Every parameter must be resolved. Events at or past `frames` are left out.
std::vector<Block> planBlocks(int64_t frames, VstInt32 blockSize,
                              const std::vector<ScheduledEvent>& events,
                              const std::vector<ParamSweep>& sweeps);
