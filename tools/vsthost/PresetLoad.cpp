#include "PresetLoad.h"

#include <algorithm>
#include <cstdio>

#include "FileBytes.h"
#include "Format.h"

namespace {

void complain(const std::string& message) {
  std::fprintf(stderr, "vsthost: %s\n", message.c_str());
}

// Some plug-ins copy a fixed number of bytes out of the name, so it gets a buffer of that size.
void setProgramName(const Effect& effect, const std::string& name) {
  char buffer[kPresetNameBytes + 1] = {0};
  name.copy(buffer, kPresetNameBytes);
  effect.dispatch(effSetProgramName, 0, 0, buffer);
}

void setValues(const Effect& effect, const std::vector<float>& values) {
  const size_t count =
      std::min(values.size(), static_cast<size_t>(std::max(effect.record().numParams, 0)));
  for (size_t i = 0; i < count; ++i) effect.setParameter(static_cast<VstInt32>(i), values[i]);
}

void warnIfCountsDiffer(const char* what, size_t inFile, VstInt32 inPlugIn) {
  const size_t has = static_cast<size_t>(std::max(inPlugIn, 0));
  if (inFile == has) return;
  std::fprintf(stderr, "vsthost: the preset has %zu %s, the plug-in %zu; only %zu are loaded\n",
               inFile, what, has, std::min(inFile, has));
}

void applyBank(const Effect& effect, const PresetFile& preset) {
  const AEffect& record = effect.record();
  warnIfCountsDiffer("programs", preset.programs.size(), record.numPrograms);
  const VstIntPtr before = effect.dispatch(effGetProgram);
  const size_t count =
      std::min(preset.programs.size(), static_cast<size_t>(std::max(record.numPrograms, 0)));
  for (size_t i = 0; i < count; ++i) {
    effect.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(i));
    setProgramName(effect, preset.programs[i].name);
    setValues(effect, preset.programs[i].params);
  }
  const bool named = preset.formatVersion >= 2 && preset.currentProgram >= 0 &&
                     preset.currentProgram < record.numPrograms;
  effect.dispatch(effSetProgram, 0, named ? preset.currentProgram : before);
}

}  // namespace

ExitCode readPresetFor(const Effect& effect, const std::string& path, bool anyId,
                       PresetFile& preset) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readFileBytes(path, bytes, error)) {
    complain("cannot read preset '" + path + "': " + error);
    return kBadInput;
  }
  if (!decodePreset(bytes, preset, error)) {
    complain("preset '" + path + "': " + error);
    return kBadInput;
  }
  const AEffect& record = effect.record();
  if (preset.uniqueId != record.uniqueID && !anyId) {
    complain("preset '" + path + "' was made for plug-in ID " +
             hex(static_cast<uint32_t>(preset.uniqueId)) + " (this is " +
             hex(static_cast<uint32_t>(record.uniqueID)) + "); --any-id loads it anyway");
    return kBadInput;
  }
  if (isChunk(preset.fxMagic) && !(record.flags & effFlagsProgramChunks)) {
    complain("preset '" + path + "' is an opaque chunk (" + presetKindName(preset.fxMagic) +
             "), but the plug-in takes no chunks (no programChunks flag 0x20)");
    return kBadInput;
  }
  return kOk;
}

bool applyPreset(const Effect& effect, const PresetFile& preset) {
  switch (preset.fxMagic) {
    case kProgramParams:
      warnIfCountsDiffer("parameters", preset.program.params.size(), effect.record().numParams);
      setProgramName(effect, preset.program.name);
      setValues(effect, preset.program.params);
      return true;
    case kBankParams:
      applyBank(effect, preset);
      return true;
    default: {
      // A copy with room for one byte, so even an empty chunk arrives as a real pointer.
      std::vector<uint8_t> chunk(preset.chunk);
      chunk.reserve(1);
      return effect.dispatch(effSetChunk, isBank(preset.fxMagic) ? 0 : 1,
                             static_cast<VstIntPtr>(preset.chunk.size()), chunk.data()) != 0;
    }
  }
}

ExitCode loadPreset(const Effect& effect, const std::string& path, bool anyId) {
  PresetFile preset;
  if (const ExitCode code = readPresetFor(effect, path, anyId, preset)) return code;
  if (!applyPreset(effect, preset)) {
    complain("the plug-in refused preset '" + path + "' (effSetChunk answered 0)");
    return kBadInput;
  }
  printFact("preset", quoted(path) + " " + presetKindName(preset.fxMagic));
  return kOk;
}
