// Programs and banks in and out of the host's chunks. The reader trusts nothing: every record is
// checked against the bytes that remain before it is applied.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/MessageBox.h"
#include "plugcore/ChunkFormat.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

void put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
void put16(std::vector<uint8_t>& out, uint32_t v) {
  put8(out, v & 0xFF);
  put8(out, (v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void putValue(std::vector<uint8_t>& out, uint32_t index, float value) {
  put8(out, Chunk::kValue);
  put8(out, index);
  // Multiplied in single precision and truncated toward zero: 1.0 is 64000.
  put16(out, static_cast<uint32_t>(std::fabs(value) * Chunk::kValueScale));
}

bool recordFits(uint8_t type, std::size_t remaining) {
  switch (type) {
    case Chunk::kValue:
      return remaining >= Chunk::kValueBytes;
    case Chunk::kMapping:
      return remaining >= Chunk::kMappingBytes;
    case Chunk::kProgram:
      return remaining >= Chunk::kProgramBytes;
    case Chunk::kCurrent:
      return remaining >= Chunk::kCurrentBytes;
    case Chunk::kName:
      return remaining >= Chunk::kNameBytes;
    default:
      return false;
  }
}

std::size_t recordSize(uint8_t type) {
  switch (type) {
    case Chunk::kValue:
      return Chunk::kValueBytes;
    case Chunk::kMapping:
      return Chunk::kMappingBytes;
    case Chunk::kProgram:
      return Chunk::kProgramBytes;
    case Chunk::kCurrent:
      return Chunk::kCurrentBytes;
    default:
      return Chunk::kNameBytes;
  }
}

}  // namespace

void Plug::writeChunkLocked(std::vector<uint8_t>& out, bool isPreset) {
  out.clear();
  put32(out, Chunk::kMagic);
  put16(out, static_cast<uint16_t>(Chunk::kVersion));
  put16(out, 0);

  put8(out, Chunk::kName);
  // Zero-padded to 31 bytes; a name of 31 characters or more has no terminating zero.
  uint8_t stored[Chunk::kNameBytes] = {};
  for (std::size_t i = 0; name && i < sizeof stored && name[i]; ++i)
    stored[i] = static_cast<uint8_t>(name[i]);
  out.insert(out.end(), stored, stored + sizeof stored);

  if (!isPreset) {
    for (int32_t p = 0; p < programs->count(); ++p) {
      const Program& program = (*programs)[p];
      for (uint32_t i = 0; i < params.count(); ++i) putValue(out, i, program.values[i]);
      put8(out, Chunk::kProgram);
      put8(out, static_cast<uint32_t>(p));
      out.insert(out.end(), program.name, program.name + kVstMaxProgNameLen);
    }
    put8(out, Chunk::kCurrent);
    put8(out, static_cast<uint32_t>(getProgram()));
  }

  for (uint32_t i = 0; i < params.count(); ++i) putValue(out, i, params[i].value);
  for (uint32_t i = 0; i < params.count(); ++i) {
    const int32_t key = params[i].midiKey;
    if (key == -1) continue;
    put8(out, Chunk::kMapping);
    put8(out, i);
    put16(out, static_cast<uint32_t>(key) & 0xFFFF);
  }
  if (getQuality() != Quality::normal) {
    put8(out, Chunk::kValue);
    put8(out, Chunk::kQualityIndex);
    put16(out, static_cast<uint32_t>(getQuality()));
  }
}

void Plug::writeChunk(std::vector<uint8_t>& out, bool isPreset) {
  StateHold hold(*this);
  writeChunkLocked(out, isPreset);
}

VstInt32 Plug::getChunk(void** data, bool isPreset) {
  StateHold hold(*this);
  // Each thread has a buffer of its own: a host's autosave may still copy its chunk while the
  // GUI thread asks for another.
  const uintptr_t caller = Platform::currentThreadId();
  ChunkSlot* slot = nullptr;
  for (ChunkSlot& candidate : chunkSlots)
    if (candidate.thread == caller) slot = &candidate;
  if (!slot && chunkSlots.size() < kChunkSlots) {
    chunkSlots.emplace_back();
    slot = &chunkSlots.back();
  }
  if (!slot)  // more threads than buffers: the one asked longest ago is taken over
    for (ChunkSlot& candidate : chunkSlots)
      if (!slot || candidate.lastUse < slot->lastUse) slot = &candidate;
  slot->thread = caller;
  slot->lastUse = ++chunkUses;
  writeChunkLocked(slot->bytes, isPreset);
  *data = slot->bytes.data();
  return static_cast<VstInt32>(slot->bytes.size());
}

void Plug::reportChunkError(const char* reason) {
  char caption[128], text[256];
  std::snprintf(caption, sizeof caption, "%s error", name ? name : "");
  std::snprintf(text, sizeof text, "Error loading chunk: %s", reason);
  tellUser(text, caption, Platform::kMbTaskModal | Platform::kMbIconError);
}

bool Plug::checkChunk(const uint8_t* bytes, std::size_t size) {
  if (size < static_cast<std::size_t>(Chunk::kHeaderSize)) {
    reportChunkError("No header");
    return false;
  }
  const uint32_t magic = read16(bytes) | (static_cast<uint32_t>(read16(bytes + 2)) << 16);
  if (magic != Chunk::kMagic) {
    reportChunkError("Invalid header");
    return false;
  }
  if (static_cast<int16_t>(read16(bytes + 4)) > Chunk::kVersion || read16(bytes + 6) != 0) {
    reportChunkError(
        "Program or bank was saved with a later version.\nPlease update the plugin and try "
        "again.");
    return false;
  }
  for (std::size_t at = Chunk::kHeaderSize; at < size;) {
    const uint8_t type = bytes[at++];
    if (!recordFits(type, size - at)) {
      reportChunkError("Chunk appears corrupted.");
      return false;
    }
    if (type == Chunk::kName) {
      const char* stored = reinterpret_cast<const char*>(bytes + at);
      if (std::strncmp(stored, name ? name : "", Chunk::kNameBytes) != 0) {
        char question[128];
        std::snprintf(question, sizeof question,
                      "Trying to load a preset for \"%.30s\"\nDo you want to continue?", stored);
        // Only Yes goes on: a box that could not be shown answers 0 or -1, and an instance
        // being made has nobody to ask.
        if (holdingNotices ||
            Platform::messageBox(question, name ? name : "",
                                 Platform::kMbTaskModal | Platform::kMbIconQuestion |
                                     Platform::kMbYesNo) != Platform::kIdYes)
          return false;
      }
    }
    at += recordSize(type);
  }
  return true;
}

void Plug::applyCheckedChunk(const uint8_t* bytes, std::size_t size) {
  // The records replay into a copy of the live values and mappings, so that the audio thread
  // and the host see only the final ones: a bank passes every program through the values.
  std::vector<float> values(params.count());
  std::vector<int32_t> heldKeys(params.count());
  std::vector<bool> read(params.count());
  for (uint32_t i = 0; i < params.count(); ++i) {
    values[i] = params[i].value;
    heldKeys[i] = params[i].midiKey;
  }
  std::vector<int32_t> keys = heldKeys;
  int32_t current = curProgram;
  Quality chosen = Quality::normal;  // what a chunk without the record was made with
  for (std::size_t at = Chunk::kHeaderSize; at < size;) {
    const uint8_t type = bytes[at++];
    const uint8_t* record = bytes + at;
    switch (type) {
      case Chunk::kValue:
        if (params.isValid(record[0])) {
          values[record[0]] =
              std::min(static_cast<float>(read16(record + 1)) * Chunk::kValueUnit, 1.0f);
          read[record[0]] = true;
        } else if (record[0] == Chunk::kQualityIndex && read16(record + 1) < kQualityCount) {
          chosen = static_cast<Quality>(read16(record + 1));
        }
        break;
      case Chunk::kMapping:
        if (params.isValid(record[0])) {
          const int32_t key = static_cast<int16_t>(read16(record + 1));
          for (int32_t& held : keys)
            if (held == key) held = -1;
          keys[record[0]] = key;
        }
        break;
      case Chunk::kProgram:
        if (programs->isValid(record[0])) {
          Program& program = (*programs)[record[0]];
          std::memcpy(program.name, record + 1, kVstMaxProgNameLen);
          program.name[kVstMaxProgNameLen - 1] = 0;
          for (uint32_t i = 0; i < params.count(); ++i) program.values[i] = std::fabs(values[i]);
        }
        break;
      case Chunk::kCurrent:
        if (programs->isValid(record[0])) current = record[0];
        break;
      default:
        break;
    }
    at += recordSize(type);
  }
  // Only what the chunk set is written back: a value or a learn another thread made meanwhile
  // stays. The host is not told: it set this state itself, and an echo would reach its
  // automation and undo as edits.
  for (uint32_t i = 0; i < params.count(); ++i) {
    if (read[i]) setParameter(static_cast<VstInt32>(i), values[i]);
    if (keys[i] != heldKeys[i]) params[i].midiKey = keys[i];
  }
  curProgram = current;
  setQuality(chosen);
}

VstInt32 Plug::setChunk(void* data, VstInt32 byteSize, bool) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  const std::size_t size = bytes && byteSize > 0 ? static_cast<std::size_t>(byteSize) : 0;
  // Checked whole before anything changes: a chunk is taken entirely or not at all.
  if (!checkChunk(bytes, size)) return 0;
  // The boxes above came before the lock: no other thread's state call waits on the user.
  StateHold hold(*this);
  applyCheckedChunk(bytes, size);
  return 1;
}

}  // namespace PlugCore
