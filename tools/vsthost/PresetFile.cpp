#include "PresetFile.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Format.h"

namespace {

constexpr uint64_t kProgramHeaderBytes = 56;
constexpr uint64_t kBankHeaderBytes = 156;
constexpr size_t kReservedBytes = 128;
// Sizes are stored as 32-bit numbers that some readers take as signed.
constexpr uint64_t kMaxStoredSize = 0x7FFFFFFF;

std::string describe(uint32_t value) {
  const std::string chars = fourChars(value);
  return chars.empty() ? hex(value) : hex(value) + " " + chars;
}

void appendName(std::vector<uint8_t>& out, const std::string& name) {
  // At most 27 characters, so readers that expect a terminator find one.
  const size_t length = std::min(name.size(), kPresetNameBytes - 1);
  out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
  out.insert(out.end(), kPresetNameBytes - length, 0);
}

void appendFloats(std::vector<uint8_t>& out, const std::vector<float>& values) {
  for (float value : values) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendBigU32(out, bits);
  }
}

// CcnK, a size left as zero for finishRecord to fill in, and the fields every file starts with.
size_t startRecord(std::vector<uint8_t>& out, uint32_t fxMagic, VstInt32 version,
                   const PresetFile& preset, VstInt32 count) {
  const size_t start = out.size();
  appendBigU32(out, kPresetMagic);
  appendBigU32(out, 0);
  appendBigU32(out, fxMagic);
  appendBigU32(out, static_cast<uint32_t>(version));
  appendBigU32(out, static_cast<uint32_t>(preset.uniqueId));
  appendBigU32(out, static_cast<uint32_t>(preset.pluginVersion));
  appendBigU32(out, static_cast<uint32_t>(count));
  return start;
}

bool finishRecord(std::vector<uint8_t>& out, size_t start, std::string& error) {
  const uint64_t byteSize = out.size() - start - 8;
  if (byteSize > kMaxStoredSize) {
    error = "the preset would need " + std::to_string(byteSize) + " bytes, more than fit";
    return false;
  }
  storeBigU32(&out[start + 4], static_cast<uint32_t>(byteSize));
  return true;
}

bool appendChunk(std::vector<uint8_t>& out, const std::vector<uint8_t>& chunk, std::string& error) {
  if (chunk.size() > kMaxStoredSize) {
    error = "a chunk of " + std::to_string(chunk.size()) + " bytes does not fit a preset file";
    return false;
  }
  appendBigU32(out, static_cast<uint32_t>(chunk.size()));
  out.insert(out.end(), chunk.begin(), chunk.end());
  return true;
}

bool appendParamsProgram(std::vector<uint8_t>& out, const PresetFile& preset,
                         const PresetProgram& program, std::string& error) {
  const size_t start =
      startRecord(out, kProgramParams, 1, preset, static_cast<VstInt32>(program.params.size()));
  appendName(out, program.name);
  appendFloats(out, program.params);
  return finishRecord(out, start, error);
}

// The bytes of one record: its CcnK header said how many, and the caller made sure they are there.
class Record {
 public:
  Record(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}

  uint64_t size() const { return size_; }
  uint32_t u32(uint64_t offset) const { return loadBigU32(data_ + offset); }
  const uint8_t* at(uint64_t offset) const { return data_ + offset; }

  // False, with the message, when the record is shorter than `needed` bytes.
  bool holds(uint64_t needed, const std::string& what, std::string& error) const {
    if (needed <= size_) return true;
    error = "truncated: " + std::to_string(needed) + " bytes needed for " + what +
            ", header says " + std::to_string(size_);
    return false;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
};

std::string readName(const Record& record) {
  const char* name = reinterpret_cast<const char*>(record.at(28));
  const void* end = std::memchr(name, 0, kPresetNameBytes);
  return std::string(name, end ? static_cast<const char*>(end) - name : kPresetNameBytes);
}

bool readCount(const Record& record, const char* what, VstInt32& count, std::string& error) {
  count = static_cast<VstInt32>(record.u32(24));
  if (count >= 0) return true;
  error = std::string("bad ") + what + " count " + std::to_string(count);
  return false;
}

bool readFloats(const Record& record, uint64_t offset, VstInt32 count, std::vector<float>& values,
                std::string& error) {
  if (!record.holds(offset + 4 * uint64_t(count), std::to_string(count) + " parameters", error))
    return false;
  values.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < values.size(); ++i) {
    const uint32_t bits = record.u32(offset + 4 * i);
    std::memcpy(&values[i], &bits, sizeof bits);
  }
  return true;
}

bool readChunk(const Record& record, uint64_t offset, std::vector<uint8_t>& chunk,
               std::string& error) {
  if (!record.holds(offset + 4, "the chunk size", error)) return false;
  const uint64_t size = record.u32(offset);
  if (offset + 4 + size > record.size()) {
    error = "chunk of " + std::to_string(size) +
            " bytes does not fit: " + std::to_string(record.size() - offset - 4) +
            " bytes follow its size";
    return false;
  }
  chunk.assign(record.at(offset + 4), record.at(offset + 4 + size));
  return true;
}

bool decodeRecord(const uint8_t* data, uint64_t available, bool inBank, PresetFile& preset,
                  uint64_t& used, std::string& error);

bool readBankPrograms(const Record& record, PresetFile& preset, std::string& error) {
  uint64_t offset = kBankHeaderBytes;
  for (VstInt32 i = 0; i < preset.count; ++i) {
    PresetFile program;
    uint64_t used = 0;
    if (!decodeRecord(record.at(offset), record.size() - offset, true, program, used, error)) {
      error = "program " + std::to_string(i) + ": " + error;
      return false;
    }
    preset.programs.push_back(program.program);
    offset += used;
  }
  return true;
}

bool readBody(const Record& record, PresetFile& preset, std::string& error) {
  switch (preset.fxMagic) {
    case kProgramParams:
    case kProgramChunk:
      if (!record.holds(kProgramHeaderBytes, "the program header", error) ||
          !readCount(record, "parameter", preset.count, error))
        return false;
      preset.program.name = readName(record);
      if (preset.fxMagic == kProgramChunk)
        return readChunk(record, kProgramHeaderBytes, preset.chunk, error);
      return readFloats(record, kProgramHeaderBytes, preset.count, preset.program.params, error);
    case kBankParams:
    case kBankChunk:
      if (!record.holds(kBankHeaderBytes, "the bank header", error) ||
          !readCount(record, "program", preset.count, error))
        return false;
      if (preset.formatVersion >= 2) preset.currentProgram = static_cast<VstInt32>(record.u32(28));
      if (preset.fxMagic == kBankChunk)
        return readChunk(record, kBankHeaderBytes, preset.chunk, error);
      return readBankPrograms(record, preset, error);
    default:
      error = "unknown preset kind " + describe(preset.fxMagic) +
              "; expected 'FxCk', 'FPCh', 'FxBk' or 'FBCh'";
      return false;
  }
}

// One CcnK record at `data`, of which `available` bytes may be read; `used` is its whole length.
// Inside a bank only programs of values may stand.
bool decodeRecord(const uint8_t* data, uint64_t available, bool inBank, PresetFile& preset,
                  uint64_t& used, std::string& error) {
  if (available >= 4 && loadBigU32(data) != kPresetMagic) {
    error = "not a preset file (magic " + describe(loadBigU32(data)) + ", expected 'CcnK')";
    return false;
  }
  if (available < 8) {
    error = "truncated: " + std::to_string(available) + " bytes, too few for a preset header";
    return false;
  }
  used = uint64_t(loadBigU32(data + 4)) + 8;
  if (used > available) {
    error = "truncated: header says " + std::to_string(used) + " bytes, " +
            (inBank ? "bank has " : "file has ") + std::to_string(available);
    return false;
  }
  const Record record(data, used);
  if (!record.holds(24, "the header", error)) return false;
  preset.fxMagic = record.u32(8);
  preset.formatVersion = static_cast<VstInt32>(record.u32(12));
  preset.uniqueId = static_cast<VstInt32>(record.u32(16));
  preset.pluginVersion = static_cast<VstInt32>(record.u32(20));
  if (inBank && preset.fxMagic != kProgramParams) {
    error = "is " + describe(preset.fxMagic) + "; a bank of values holds 'FxCk' programs only";
    return false;
  }
  return readBody(record, preset, error);
}

}  // namespace

const char* presetKindName(uint32_t fxMagic) {
  switch (fxMagic) {
    case kProgramParams:
      return "FxCk";
    case kProgramChunk:
      return "FPCh";
    case kBankParams:
      return "FxBk";
    case kBankChunk:
      return "FBCh";
    default:
      return "?";
  }
}

bool encodePreset(const PresetFile& preset, std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  switch (preset.fxMagic) {
    case kProgramParams:
      return appendParamsProgram(out, preset, preset.program, error);
    case kProgramChunk: {
      const size_t start = startRecord(out, kProgramChunk, 1, preset, preset.count);
      appendName(out, preset.program.name);
      return appendChunk(out, preset.chunk, error) && finishRecord(out, start, error);
    }
    case kBankParams:
    case kBankChunk: {
      const bool chunk = preset.fxMagic == kBankChunk;
      const VstInt32 count = chunk ? preset.count : static_cast<VstInt32>(preset.programs.size());
      const size_t start = startRecord(out, preset.fxMagic, preset.formatVersion, preset, count);
      size_t reserved = kReservedBytes;
      if (preset.formatVersion >= 2) {
        appendBigU32(out, static_cast<uint32_t>(preset.currentProgram));
        reserved -= 4;
      }
      out.insert(out.end(), reserved, 0);
      if (chunk) return appendChunk(out, preset.chunk, error) && finishRecord(out, start, error);
      for (const PresetProgram& program : preset.programs)
        if (!appendParamsProgram(out, preset, program, error)) return false;
      return finishRecord(out, start, error);
    }
    default:
      error = "unknown preset kind " + describe(preset.fxMagic);
      return false;
  }
}

bool decodePreset(const std::vector<uint8_t>& bytes, PresetFile& preset, std::string& error) {
  preset = PresetFile();
  uint64_t used = 0;
  return decodeRecord(bytes.data(), bytes.size(), false, preset, used, error);
}
