// Whether freed memory is overwritten at once: the validator's close-order checks only prove
// something when a dangling pointer into freed memory finds garbage there.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "PlatformValidate.h"

namespace validateplatform {

namespace {
// Kept out of line and its pointer laundered, so the compiler cannot see the read after free.
__attribute__((noinline)) size_t bytesSurvivingFree(unsigned char fill, unsigned char& found) {
  constexpr size_t kSize = 96;
  auto* block = static_cast<unsigned char*>(std::malloc(kSize));
  // Written through volatile: a fill just before free is otherwise a dead store to the compiler.
  volatile unsigned char* filled = block;
  for (size_t i = 0; i < kSize; ++i) filled[i] = fill;
  volatile uintptr_t address = reinterpret_cast<uintptr_t>(block);
  std::free(block);
  // The allocator keeps its own links in the first bytes of a free block.
  const volatile unsigned char* freed = reinterpret_cast<const volatile unsigned char*>(address);
  size_t surviving = 0;
  for (size_t i = 32; i < kSize; ++i) surviving += freed[i] == fill;
  found = freed[kSize / 2];
  return surviving;
}
}  // namespace

bool freedMemoryIsOverwritten(std::string& how) {
  unsigned char found = 0;
  const size_t surviving = bytesSurvivingFree(0x5A, found);
  char text[160];
  if (surviving == 0)
    std::snprintf(text, sizeof text, "freed memory is overwritten (with 0x%02X)", found);
  else
    std::snprintf(text, sizeof text, "freed memory keeps its bytes (set %s)",
                  freedMemoryFillHint());
  how = text;
  return surviving == 0;
}

}  // namespace validateplatform
