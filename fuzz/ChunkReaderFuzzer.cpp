// Feeds arbitrary bytes to the chunk reader of a fresh effect, as a host's setChunk would, and
// answers its questions Yes or No by the input's last byte so that both paths are explored.
#include <cstdint>
#include <cstdlib>

#include "effect/Quorl.h"
#include "platform/MessageBox.h"

namespace {

int answerBox(void* context, const char*, const char*, unsigned flags) {
  const uint8_t lastByte = *static_cast<const uint8_t*>(context);
  if ((flags & 0xF) == Platform::kMbYesNo)
    return (lastByte & 1) ? Platform::kIdYes : Platform::kIdNo;
  return Platform::kIdOk;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("XDG_CONFIG_HOME", "/nonexistent/quorl-fuzz", 1);  // no user defaults in the way
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t lastByte = size ? data[size - 1] : 0;
  Platform::setMessageBoxHandler(answerBox, &lastByte);
  Quorl effect(nullptr);
  // The host hands over its own buffer; copy so that a read past the end is caught exactly.
  uint8_t* copy = size ? static_cast<uint8_t*>(std::malloc(size)) : nullptr;
  for (size_t i = 0; i < size; ++i) copy[i] = data[i];
  effect.setChunk(copy, static_cast<VstInt32>(size), (lastByte & 2) != 0);
  // Whatever was read must write back out as a well-formed chunk.
  void* out = nullptr;
  effect.getChunk(&out, false);
  effect.getChunk(&out, true);
  std::free(copy);
  Platform::setMessageBoxHandler(nullptr, nullptr);
  return 0;
}
