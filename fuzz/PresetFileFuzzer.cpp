// Feeds arbitrary bytes to the host tool's .fxp/.fxb reader, as a file from anywhere would come,
// and checks that whatever it accepts writes out as a file that reads in again and writes out
// the same bytes (a name that filled its whole field comes back one character shorter, once).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "PresetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly as large as the input, so that a read one byte past it is caught.
  const std::vector<uint8_t> bytes(data, data + size);
  PresetFile preset;
  std::string error;
  if (!decodePreset(bytes, preset, error)) {
    if (error.empty()) std::abort();  // a refusal says why
    return 0;
  }
  std::vector<uint8_t> written, rewritten;
  PresetFile again;
  if (!encodePreset(preset, written, error) || !decodePreset(written, again, error) ||
      again.fxMagic != preset.fxMagic || !encodePreset(again, rewritten, error) ||
      rewritten != written)
    std::abort();
  return 0;
}
