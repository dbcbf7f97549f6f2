// The VstEvents record handed to effProcessEvents. Its pointer array runs past the declared two
// entries, so it lives in storage we size ourselves, and stays valid until the next fill: the
// plug-in may keep the pointer until the process call that follows returns.
#pragma once

#include <vector>

#include "BlockPlan.h"
#include "plugcore/VstAbi.h"

class MidiEventList {
 public:
  VstEvents* fill(const std::vector<MidiMessage>& messages);

 private:
  std::vector<VstMidiEvent> events_;
  std::vector<VstEvents> storage_;  // VstEvents elements only for their size and alignment
};
