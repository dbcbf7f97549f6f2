#include "FreedMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace FreedMemory {

bool isOverwritten() {
  const size_t size = 96;
  auto* block = static_cast<unsigned char*>(std::malloc(size));
  std::memset(block, 0x5A, size);
  volatile uintptr_t address = reinterpret_cast<uintptr_t>(block);
  std::free(block);
  // Read back through the system so that the compiler has no say in a read after free.
  unsigned char seen[size] = {};
  SIZE_T read = 0;
  ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<void*>(address), seen, size, &read);
  int kept = 0;
  for (size_t i = 16; i < read; ++i) kept += seen[i] == 0x5A;
  return read == size && kept == 0;
}

std::string damagedHeaps() {
  std::vector<HANDLE> heaps(64);
  const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  std::string damaged;
  for (DWORD i = 0; i < count && i < heaps.size(); ++i)
    if (!HeapValidate(heaps[i], 0, nullptr)) {
      char line[64];
      std::snprintf(line, sizeof line, "heap %p is damaged; ", heaps[i]);
      damaged += line;
    }
  return damaged;
}

}  // namespace FreedMemory

void pumpMessages(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  do {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  } while (GetTickCount() < end);
}

namespace {

// A crash must fail the run at once: Wine would otherwise start its debugger and wait.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "\ncrashed: exception %08lx at %p\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

class FreedMemoryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetUnhandledExceptionFilter(reportCrash);
    ASSERT_TRUE(FreedMemory::isOverwritten())
        << "freed memory keeps its contents: run with WINEDEBUG=warn+heap";
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new FreedMemoryEnvironment);

}  // namespace
