#pragma once

#include <xmmintrin.h>

namespace QuorlDsp {

// The effect's arithmetic mode for one processing call: flush-to-zero and denormals-are-zero
// (decaying states never turn slow), all exceptions masked, rounding toward zero. The host's
// mode comes back afterwards, with the exception flags raised meanwhile cleared.
class ScopedAudioFpuMode {
 public:
  static constexpr unsigned kAudioMode = 0xFFC0;
  ScopedAudioFpuMode() : saved(_mm_getcsr()) { _mm_setcsr(kAudioMode); }
  ~ScopedAudioFpuMode() { _mm_setcsr(saved & ~0x3Fu); }
  ScopedAudioFpuMode(const ScopedAudioFpuMode&) = delete;
  ScopedAudioFpuMode& operator=(const ScopedAudioFpuMode&) = delete;

 private:
  unsigned saved;
};

}  // namespace QuorlDsp
