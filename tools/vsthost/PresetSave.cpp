#include "PresetSave.h"

#include <cctype>
#include <cstdio>

#include "FileBytes.h"
#include "Format.h"

namespace {

bool getChunk(const Effect& effect, bool bank, std::vector<uint8_t>& chunk, std::string& error) {
  void* data = nullptr;
  const VstIntPtr size = effect.dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
  // A chunk plug-in that gives no bytes has no such chunk (a VST 3 state has no program chunk):
  // a file with an empty chunk would load as nothing anywhere.
  if (size <= 0 || !data) {
    error = std::string("the plug-in gave no ") + (bank ? "bank" : "program") +
            " chunk (effGetChunk answered " + std::to_string(static_cast<long long>(size)) +
            (data ? ")" : " and no data)");
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  chunk.assign(bytes, bytes + size);
  return true;
}

std::vector<float> values(const Effect& effect) {
  std::vector<float> out;
  for (VstInt32 i = 0; i < effect.record().numParams; ++i) out.push_back(effect.getParameter(i));
  return out;
}

PresetProgram currentProgram(const Effect& effect) {
  return {effect.text(effGetProgramName), values(effect)};
}

}  // namespace

bool presetPathKind(const std::string& path, bool& bank) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bank = ending == ".fxb";
  return bank || ending == ".fxp";
}

bool capturePreset(const Effect& effect, bool bank, PresetFile& preset, std::string& error) {
  const AEffect& record = effect.record();
  const bool chunks = (record.flags & effFlagsProgramChunks) != 0;
  preset = PresetFile();
  preset.uniqueId = record.uniqueID;
  preset.pluginVersion = record.version;
  if (!bank) {
    preset.fxMagic = chunks ? kProgramChunk : kProgramParams;
    preset.count = record.numParams;
    preset.program = currentProgram(effect);
    if (!chunks) return true;
    preset.program.params.clear();
    return getChunk(effect, false, preset.chunk, error);
  }
  preset.fxMagic = chunks ? kBankChunk : kBankParams;
  preset.formatVersion = chunks ? 2 : 1;
  preset.count = record.numPrograms;
  preset.currentProgram = static_cast<VstInt32>(effect.dispatch(effGetProgram));
  if (chunks) return getChunk(effect, true, preset.chunk, error);
  for (VstInt32 i = 0; i < record.numPrograms; ++i) {
    effect.dispatch(effSetProgram, 0, i);
    preset.programs.push_back(currentProgram(effect));
  }
  effect.dispatch(effSetProgram, 0, preset.currentProgram);
  return true;
}

ExitCode savePreset(const Effect& effect, const std::string& path) {
  bool bank = false;
  if (!presetPathKind(path, bank)) {
    std::fprintf(stderr, "vsthost: '%s' ends in neither .fxp nor .fxb\n", path.c_str());
    return kUsage;
  }
  PresetFile preset;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!capturePreset(effect, bank, preset, error) || !encodePreset(preset, bytes, error) ||
      !writeFileBytes(path, bytes, error)) {
    std::fprintf(stderr, "vsthost: cannot write '%s': %s\n", path.c_str(), error.c_str());
    return kCannotWrite;
  }
  printFact("saved", quoted(path));
  printFact("format", presetKindName(preset.fxMagic));
  printFact("bytes", std::to_string(bytes.size()));
  printFact("program", std::to_string(effect.dispatch(effGetProgram)) + " " +
                           quoted(effect.text(effGetProgramName)));
  return kOk;
}
