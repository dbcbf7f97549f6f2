// A value shared between threads where every access is one whole aligned load or store and no
// ordering is needed: each side compares against its own copy and sees a change at its next look.
// Same size and layout as the plain value; the accesses compile to ordinary moves on x86.
#pragma once

#include <atomic>

namespace PlugCore {

template <typename T>
class Relaxed {
 public:
  constexpr Relaxed(T initial = T()) noexcept : v(initial) {}
  Relaxed(const Relaxed& other) noexcept : v(other.load()) {}
  Relaxed& operator=(const Relaxed& other) noexcept {
    store(other.load());
    return *this;
  }
  Relaxed& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  operator T() const noexcept { return load(); }
  T load() const noexcept { return v.load(std::memory_order_relaxed); }
  void store(T value) noexcept { v.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> v;
  static_assert(std::atomic<T>::is_always_lock_free, "shared parameter fields must be lock-free");
};

}  // namespace PlugCore
