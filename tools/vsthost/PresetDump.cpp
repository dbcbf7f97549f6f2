#include "PresetDump.h"

#include <cstdio>

#include "ByteOrder.h"
#include "ExitCodes.h"
#include "FileBytes.h"
#include "Format.h"
#include "PresetFile.h"

namespace {

constexpr size_t kBytesPerLine = 16;

std::string withChars(uint32_t value) {
  const std::string chars = fourChars(value);
  return chars.empty() ? hex(value) : hex(value) + " " + chars;
}

std::string valueList(const std::vector<float>& values) {
  std::string out;
  for (float value : values) out += (out.empty() ? "" : " ") + number(value);
  return out.empty() ? "none" : out;
}

void printChunk(const std::vector<uint8_t>& chunk) {
  printFact("chunkSize", std::to_string(chunk.size()));
  for (size_t line = 0; line < chunk.size(); line += kBytesPerLine) {
    char text[8 + 3 * kBytesPerLine + 1];
    int used = std::snprintf(text, sizeof text, "%08zX", line);
    for (size_t i = line; i < chunk.size() && i < line + kBytesPerLine; ++i)
      used += std::snprintf(text + used, sizeof text - used, " %02X", chunk[i]);
    printFact("chunk", text);
  }
}

}  // namespace

int runPresetDump(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  PresetFile preset;
  if (!readFileBytes(path, bytes, error)) {
    std::fprintf(stderr, "vsthost: cannot read preset '%s': %s\n", path.c_str(), error.c_str());
    return kBadInput;
  }
  if (!decodePreset(bytes, preset, error)) {
    std::fprintf(stderr, "vsthost: preset '%s': %s\n", path.c_str(), error.c_str());
    return kBadInput;
  }
  const bool bank = isBank(preset.fxMagic);
  printFact("file", quoted(path));
  printFact("fileBytes", std::to_string(bytes.size()));
  printFact("magic", withChars(loadBigU32(bytes.data())));
  printFact("byteSize", std::to_string(loadBigU32(bytes.data() + 4)));
  printFact("fxMagic", withChars(preset.fxMagic));
  printFact("version", std::to_string(preset.formatVersion));
  printFact("uniqueID", hex(static_cast<uint32_t>(preset.uniqueId)) + " (" +
                            std::to_string(preset.uniqueId) + ")");
  printFact("fxVersion", std::to_string(preset.pluginVersion));
  printFact(bank ? "numPrograms" : "numParams", std::to_string(preset.count));
  if (!bank) printFact("name", quoted(preset.program.name));
  if (bank && preset.formatVersion >= 2)
    printFact("currentProgram", std::to_string(preset.currentProgram));
  if (preset.fxMagic == kProgramParams) printFact("values", valueList(preset.program.params));
  for (size_t i = 0; i < preset.programs.size(); ++i) {
    const PresetProgram& program = preset.programs[i];
    printFact("program", std::to_string(i) + " " + quoted(program.name) + " values " +
                             valueList(program.params));
  }
  if (isChunk(preset.fxMagic)) printChunk(preset.chunk);
  return kOk;
}
