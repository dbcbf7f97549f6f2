#include "MidiEventList.h"

#include <cstddef>
#include <cstring>

VstEvents* MidiEventList::fill(const std::vector<MidiMessage>& messages) {
  events_.assign(messages.size(), VstMidiEvent());
  for (size_t i = 0; i < messages.size(); ++i) {
    VstMidiEvent& event = events_[i];
    std::memset(&event, 0, sizeof event);
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = messages[i].deltaFrames;
    for (int b = 0; b < 3; ++b) event.midiData[b] = static_cast<char>(messages[i].bytes[b]);
  }

  const size_t bytes = offsetof(VstEvents, events) + messages.size() * sizeof(VstEvent*);
  storage_.assign(bytes / sizeof(VstEvents) + 1, VstEvents());
  VstEvents* list = storage_.data();
  list->numEvents = static_cast<VstInt32>(messages.size());
  list->reserved = 0;
  // Through a plain pointer: indexing `events` past its declared two entries is not C++.
  auto* slots =
      reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(list) + offsetof(VstEvents, events));
  for (size_t i = 0; i < events_.size(); ++i) slots[i] = reinterpret_cast<VstEvent*>(&events_[i]);
  return list;
}
