// MIDI input and MIDI learn. Events are dispatched on the audio thread from inside the processing
// frame; the learn requests come from the editor's thread and meet here through learnIndex.
#include "plugcore/AEffEditor.h"
#include "plugcore/IParamNotify.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

constexpr int32_t kControllerStatus = 0xB000;
constexpr float kControllerScale = 0.007874016f;  // 1/127 in single precision

// A controller key is the 16-bit value 0xB000 + controller number, held sign-extended.
int32_t controllerKey(int32_t controller) {
  return static_cast<int16_t>(static_cast<uint16_t>(kControllerStatus + controller));
}

}  // namespace

VstInt32 Plug::processEvents(VstEvents* events) {
  pendingEvents.store(events);
  return 1;
}

int32_t Plug::dispatchMidiEvents(int32_t start) {
  const int32_t count = callEvents ? callEvents->numEvents : 0;
  if (start < 0 || start >= count) return count;
  const VstEvent* first = callEvents->events[start];
  dispatchMidiEvent(first);
  int32_t next = start + 1;
  if (first) {
    for (; next < count; ++next) {
      const VstEvent* event = callEvents->events[next];
      if (event && event->deltaFrames > first->deltaFrames) break;
      dispatchMidiEvent(event);
    }
  }
  return next;
}

void Plug::dispatchMidiEvent(const VstEvent* event) {
  if (!event || event->type != kVstMidiType) return;
  const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
  const int32_t status = static_cast<uint8_t>(midi->midiData[0]);
  const int32_t d1 = static_cast<uint8_t>(midi->midiData[1]);
  const int32_t d2 = static_cast<uint8_t>(midi->midiData[2]);
  if (d1 > 0x7F || d2 > 0x7F) return;  // data bytes never have the top bit: malformed
  switch (status & 0xF0) {
    case 0x80:
      noteOff(d1, d2);
      break;
    case 0x90:
      if (d2 > 0)
        noteOn(d1, d2);
      else
        noteOff(d1, 100);
      break;
    case 0xB0:
      handleController(controllerKey(d1), d2);
      break;
    case 0xE0: {
      const double range = (pitchBendRange >> 7) + (pitchBendRange & 0x7F) * 0.01;
      pitchBend = ((d1 + 128 * d2) * (1.0 / 16383.0) * 2.0 - 1.0) * range;
      break;
    }
    default:
      break;
  }
}

void Plug::handleController(int32_t key, int32_t value) {
  const int32_t controller = key & 0xFF;
  if (controller == 0 || (controller >= 32 && controller <= 63 && controller != 38) ||
      (controller >= 96 && controller <= 99))
    return;
  switch (controller) {
    case 100:
      registeredParameter = static_cast<uint16_t>((registeredParameter & 0x3F80) | (value & 0x7F));
      break;
    case 101:
      registeredParameter =
          static_cast<uint16_t>((registeredParameter & 0x7F) | ((value & 0x7F) << 7));
      break;
    case 6:
      if (registeredParameter == 0) pitchBendRange = static_cast<uint16_t>(value * 128);
      return;
    case 120:
      resetState();
      return;
    case 121:
    case 122:
      return;
    case 123:
    case 124:
    case 125:
    case 126:
    case 127:
      for (int32_t note = 0; note < 128; ++note) noteOff(note, 100);
      return;
    default:
      break;
  }

  learnController(key);

  const float normalized = static_cast<float>(value) * kControllerScale;
  for (uint32_t i = 0; i < params.count(); ++i) {
    if (params[i].midiKey == key) {
      setParameter(static_cast<VstInt32>(i), normalized);
      paramsPending = true;
      return;
    }
  }
  controllerChanged(key & 0xFFFF, normalized);
}

// Learning comes before mapping, so the message that completes a learn already moves its
// parameter. The editor may ask for another parameter meanwhile; that request survives.
void Plug::learnController(int32_t key) {
  int32_t learning = learnIndex.load();
  if (learning == -1) return;
  if (params.isValid(learning)) {
    for (uint32_t i = 0; i < params.count(); ++i)
      if (params[i].midiKey == key) params[i].midiKey = -1;
    params[static_cast<uint32_t>(learning)].midiKey = key;
    if (auto* notify = dynamic_cast<IParamNotify*>(editor)) notify->mappingChanged(learning);
  }
  learnIndex.compare_exchange_strong(learning, -1);
}

void Plug::startLearn(int32_t index) {
  if (params.isValid(index)) learnIndex.store(index);
}

int32_t Plug::getMapping(int32_t index) const {
  return params.isValid(index) ? params[static_cast<uint32_t>(index)].midiKey.load() : -1;
}

void Plug::unlearn(int32_t index) {
  if (params.isValid(index)) params[static_cast<uint32_t>(index)].midiKey = -1;
  learnIndex.store(-1);
}

}  // namespace PlugCore
