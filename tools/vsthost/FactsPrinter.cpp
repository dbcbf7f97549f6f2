#include "FactsPrinter.h"

#include <cstring>

#include "Format.h"
#include "HostCallback.h"

namespace {

constexpr VstInt32 kMaxPins = 16;

const char* const kCapabilities[] = {
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass",
};

struct FlagName {
  VstInt32 bit;
  const char* name;
};

const FlagName kFlagNames[] = {
    {effFlagsHasEditor, "hasEditor"},
    {effFlagsHasClip, "hasClip"},
    {effFlagsHasVu, "hasVu"},
    {effFlagsCanMono, "canMono"},
    {effFlagsCanReplacing, "canReplacing"},
    {effFlagsProgramChunks, "programChunks"},
    {effFlagsIsSynth, "isSynth"},
    {effFlagsNoSoundInStop, "noSoundInStop"},
    {effFlagsCanDoubleReplacing, "canDoubleReplacing"},
};

std::string withChars(uint32_t value) {
  const std::string chars = fourChars(value);
  return chars.empty() ? hex(value) : hex(value) + " " + chars;
}

std::string bounded(const char* text, size_t size) {
  const void* end = std::memchr(text, 0, size);
  return std::string(text, end ? static_cast<const char*>(end) - text : size);
}

void printPins(const Effect& effect, bool input) {
  const char* key = input ? "input" : "output";
  for (VstInt32 i = 0; i < kMaxPins; ++i) {
    VstPinProperties pin;
    if (!effect.pinProperties(input, i, pin)) {
      printFact(key, std::to_string(i) + " none");
      return;
    }
    printFact(key, std::to_string(i) + " " + quoted(bounded(pin.label, sizeof pin.label)) +
                       " flags " + hex(static_cast<uint32_t>(pin.flags), false));
  }
}

}  // namespace

std::string effectFlagNames(VstInt32 flags) {
  uint32_t rest = static_cast<uint32_t>(flags);
  std::string out;
  for (const FlagName& flag : kFlagNames) {
    if (!(rest & static_cast<uint32_t>(flag.bit))) continue;
    out += (out.empty() ? "" : "|") + std::string(flag.name);
    rest &= ~static_cast<uint32_t>(flag.bit);
  }
  if (rest) out += (out.empty() ? "" : "|") + hex(rest, false);
  return out.empty() ? "none" : out;
}

void printEffectFacts(const Effect& effect) {
  const AEffect& e = effect.record();
  printFact("magic", withChars(static_cast<uint32_t>(e.magic)));
  printFact("numPrograms", std::to_string(e.numPrograms));
  printFact("numParams", std::to_string(e.numParams));
  printFact("numInputs", std::to_string(e.numInputs));
  printFact("numOutputs", std::to_string(e.numOutputs));
  printFact("flags", hex(static_cast<uint32_t>(e.flags)) + " " + effectFlagNames(e.flags));
  printFact("initialDelay", std::to_string(e.initialDelay));
  printFact("realQualities", std::to_string(e.realQualities));
  printFact("offQualities", std::to_string(e.offQualities));
  printFact("ioRatio", number(e.ioRatio));
  printFact("uniqueID",
            hex(static_cast<uint32_t>(e.uniqueID)) + " (" + std::to_string(e.uniqueID) + ")");
  printFact("version", std::to_string(e.version));

  printFact("vstVersion", std::to_string(effect.dispatch(effGetVstVersion)));
  printFact("identify", withChars(static_cast<uint32_t>(effect.dispatch(effIdentify))));
  printFact("effectName", quoted(effect.text(effGetEffectName)));
  printFact("vendor", quoted(effect.text(effGetVendorString)));
  printFact("product", quoted(effect.text(effGetProductString)));
  printFact("vendorVersion", std::to_string(effect.dispatch(effGetVendorVersion)));
  printFact("category", std::to_string(effect.dispatch(effGetPlugCategory)));
  printFact("numProgramCategories", std::to_string(effect.dispatch(effGetNumProgramCategories)));
  const VstIntPtr program = effect.dispatch(effGetProgram);
  printFact("program", std::to_string(program) + " " + quoted(effect.text(effGetProgramName)));
  // Every program's name, as a host's program list shows them.
  for (VstInt32 i = 0; i < e.numPrograms; ++i) {
    VstIntPtr answered = 0;
    const std::string name = effect.text(effGetProgramNameIndexed, i, &answered);
    printFact("programName", std::to_string(i) + " " + (answered ? quoted(name) : "not answered"));
  }

  for (const char* capability : kCapabilities)
    printFact("canDo", std::string(capability) + " " + std::to_string(effect.canDo(capability)));

  printPins(effect, true);
  printPins(effect, false);

  printParams(effect);
}

void printParams(const Effect& effect) {
  for (VstInt32 i = 0; i < effect.record().numParams; ++i) {
    const std::string name = effect.text(effGetParamName, i);
    const std::string label = effect.text(effGetParamLabel, i);
    const std::string display = effect.text(effGetParamDisplay, i);
    printFact("param", std::to_string(i) + " name " + quoted(name) + " label " + quoted(label) +
                           " display " + quoted(display) + " value " +
                           number(effect.getParameter(i)));
  }
}

void printSetParameter(const Effect& effect, VstInt32 index, float value) {
  effect.setParameter(index, value);
  const float readBack = effect.getParameter(index);
  printFact("set", std::to_string(index) + " " + number(value) + " -> " + number(readBack));
}

void printCallbacks() {
  const auto& calls = hostcallback::calls();
  for (const CallbackCall& call : calls) {
    printFact("callback", "opcode=" + std::to_string(call.opcode) +
                              " index=" + std::to_string(call.index) +
                              " value=" + std::to_string(static_cast<long long>(call.value)) +
                              " ptr=" + (call.hasPtr ? "1" : "0") + " opt=" + number(call.opt));
  }
  printFact("callbacks", std::to_string(calls.size()));
}
