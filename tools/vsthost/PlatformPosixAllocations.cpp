// The allocation counter on Linux: this program defines malloc and its relatives, so the dynamic
// linker sends every module's calls here, the plug-in's and its C++ runtime's included; each
// counts when the counting thread makes it and hands on to the C library's own allocator.
// Sanitizer builds keep the sanitizer's allocator and count nothing.
#include <errno.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "PlatformValidate.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VALIDATE_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VALIDATE_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef VALIDATE_COUNTS_ALLOCATIONS
#define VALIDATE_COUNTS_ALLOCATIONS 1
#endif

namespace {

std::atomic<bool> gCounting{false};
pthread_t gCountingThread;
std::atomic<size_t> gAllocations{0};
std::atomic<size_t> gFrees{0};

inline bool countingHere() {
  return gCounting.load(std::memory_order_acquire) &&
         pthread_equal(pthread_self(), gCountingThread);
}

inline void noteAllocation() {
  if (countingHere()) gAllocations.fetch_add(1, std::memory_order_relaxed);
}

inline void noteFree(void* p) {
  if (p && countingHere()) gFrees.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

#if VALIDATE_COUNTS_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
void __libc_free(void* p);

__attribute__((visibility("default"))) void* malloc(size_t size) {
  noteAllocation();
  return __libc_malloc(size);
}

__attribute__((visibility("default"))) void* calloc(size_t count, size_t size) {
  noteAllocation();
  return __libc_calloc(count, size);
}

__attribute__((visibility("default"))) void* realloc(void* p, size_t size) {
  noteAllocation();
  return __libc_realloc(p, size);
}

__attribute__((visibility("default"))) void free(void* p) {
  noteFree(p);
  __libc_free(p);
}

__attribute__((visibility("default"))) void* memalign(size_t alignment, size_t size) {
  noteAllocation();
  return __libc_memalign(alignment, size);
}

__attribute__((visibility("default"))) void* aligned_alloc(size_t alignment, size_t size) {
  noteAllocation();
  return __libc_memalign(alignment, size);
}

__attribute__((visibility("default"))) int posix_memalign(void** out, size_t alignment,
                                                          size_t size) {
  noteAllocation();
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* p = __libc_memalign(alignment, size);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}

__attribute__((visibility("default"))) void* valloc(size_t size) {
  noteAllocation();
  return __libc_valloc(size);
}

__attribute__((visibility("default"))) void* pvalloc(size_t size) {
  noteAllocation();
  return __libc_pvalloc(size);
}
}
#endif

namespace validateplatform {

bool allocationCountingSupported() { return VALIDATE_COUNTS_ALLOCATIONS != 0; }

void startCountingAllocations() {
  gAllocations = 0;
  gFrees = 0;
  gCountingThread = pthread_self();
  gCounting.store(true, std::memory_order_release);
}

void stopCountingAllocations(size_t& allocations, size_t& frees) {
  gCounting.store(false, std::memory_order_release);
  allocations = gAllocations;
  frees = gFrees;
}

const char* freedMemoryFillHint() {
  return "GLIBC_TUNABLES=glibc.malloc.tcache_count=0:glibc.malloc.perturb=165";
}

}  // namespace validateplatform
