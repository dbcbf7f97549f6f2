#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "AskedBoxes.h"
#include "PlatformValidate.h"

namespace validateplatform {
namespace {

char gCheckName[256] = "validate";
char gStep[256] = "";
UINT gCrashExit = kCheckCrashed;

// Nothing that could wait on a lock the crashed code holds: straight to the handle.
void writeText(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written,
            nullptr);
}

[[noreturn]] void reportAndExit(const char* what) {
  writeText("FAIL ");
  writeText(gCheckName);
  writeText(": ");
  writeText(what);
  if (gStep[0]) {
    writeText(" while ");
    writeText(gStep);
  }
  writeText("\n");
  TerminateProcess(GetCurrentProcess(), gCrashExit);
  ExitProcess(gCrashExit);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* pointers) {
  char text[128];
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  std::snprintf(text, sizeof text, "crashed (exception 0x%08lX at %p)",
                static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
  reportAndExit(text);
}

// --- allocation counting and message boxes, through the watched modules' import tables ---

std::atomic<bool> gCounting{false};
std::atomic<DWORD> gCountingThread{0};
std::atomic<size_t> gAllocations{0};
std::atomic<size_t> gFrees{0};
AskedBoxes gBoxes;

inline bool countingHere() {
  return gCounting.load(std::memory_order_acquire) &&
         gCountingThread.load(std::memory_order_relaxed) == GetCurrentThreadId();
}
inline void noteAllocation() {
  if (countingHere()) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
inline void noteFree(const void* p) {
  if (p && countingHere()) gFrees.fetch_add(1, std::memory_order_relaxed);
}

using MallocProc = void*(__cdecl*)(size_t);
using CallocProc = void*(__cdecl*)(size_t, size_t);
using ReallocProc = void*(__cdecl*)(void*, size_t);
using FreeProc = void(__cdecl*)(void*);
using AlignedMallocProc = void*(__cdecl*)(size_t, size_t);
using AlignedReallocProc = void*(__cdecl*)(void*, size_t, size_t);
using HeapAllocProc = LPVOID(WINAPI*)(HANDLE, DWORD, SIZE_T);
using HeapReAllocProc = LPVOID(WINAPI*)(HANDLE, DWORD, LPVOID, SIZE_T);
using HeapFreeProc = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
using VirtualAllocProc = LPVOID(WINAPI*)(LPVOID, SIZE_T, DWORD, DWORD);
using LocalAllocProc = HLOCAL(WINAPI*)(UINT, SIZE_T);
using GlobalAllocProc = HGLOBAL(WINAPI*)(UINT, SIZE_T);

MallocProc realMalloc;
CallocProc realCalloc;
ReallocProc realRealloc;
FreeProc realFree;
AlignedMallocProc realAlignedMalloc;
AlignedReallocProc realAlignedRealloc;
FreeProc realAlignedFree;
HeapAllocProc realHeapAlloc;
HeapReAllocProc realHeapReAlloc;
HeapFreeProc realHeapFree;
VirtualAllocProc realVirtualAlloc;
LocalAllocProc realLocalAlloc;
GlobalAllocProc realGlobalAlloc;

void* __cdecl hookMalloc(size_t size) {
  noteAllocation();
  return realMalloc(size);
}
void* __cdecl hookCalloc(size_t count, size_t size) {
  noteAllocation();
  return realCalloc(count, size);
}
void* __cdecl hookRealloc(void* p, size_t size) {
  noteAllocation();
  return realRealloc(p, size);
}
void __cdecl hookFree(void* p) {
  noteFree(p);
  realFree(p);
}
void* __cdecl hookAlignedMalloc(size_t size, size_t alignment) {
  noteAllocation();
  return realAlignedMalloc(size, alignment);
}
void* __cdecl hookAlignedRealloc(void* p, size_t size, size_t alignment) {
  noteAllocation();
  return realAlignedRealloc(p, size, alignment);
}
void __cdecl hookAlignedFree(void* p) {
  noteFree(p);
  realAlignedFree(p);
}
LPVOID WINAPI hookHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
  noteAllocation();
  return realHeapAlloc(heap, flags, size);
}
LPVOID WINAPI hookHeapReAlloc(HANDLE heap, DWORD flags, LPVOID p, SIZE_T size) {
  noteAllocation();
  return realHeapReAlloc(heap, flags, p, size);
}
BOOL WINAPI hookHeapFree(HANDLE heap, DWORD flags, LPVOID p) {
  noteFree(p);
  return realHeapFree(heap, flags, p);
}
LPVOID WINAPI hookVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  noteAllocation();
  return realVirtualAlloc(address, size, type, protect);
}
HLOCAL WINAPI hookLocalAlloc(UINT flags, SIZE_T size) {
  noteAllocation();
  return realLocalAlloc(flags, size);
}
HGLOBAL WINAPI hookGlobalAlloc(UINT flags, SIZE_T size) {
  noteAllocation();
  return realGlobalAlloc(flags, size);
}

// A box nobody sees, answered as a careful user would: No, else Cancel, else OK.
int answerFor(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDCANCEL;
  }
}
std::string narrow(LPCWSTR wide) {
  std::string text;
  for (; wide && *wide; ++wide) text += *wide < 0x100 ? static_cast<char>(*wide) : '?';
  return text;
}

int WINAPI hookMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  gBoxes.note(caption ? caption : "", text ? text : "");
  return answerFor(type);
}
int WINAPI hookMessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  gBoxes.note(narrow(caption), narrow(text));
  return answerFor(type);
}
int WINAPI hookMessageBoxExA(HWND, LPCSTR text, LPCSTR caption, UINT type, WORD) {
  gBoxes.note(caption ? caption : "", text ? text : "");
  return answerFor(type);
}
int WINAPI hookMessageBoxExW(HWND, LPCWSTR text, LPCWSTR caption, UINT type, WORD) {
  gBoxes.note(narrow(caption), narrow(text));
  return answerFor(type);
}

struct Hook {
  const char* name;
  void* hook;
  void** real;  // null: the original is never called
};

template <typename Proc>
void** slot(Proc& proc) {
  return reinterpret_cast<void**>(&proc);
}

const Hook kHooks[] = {
    {"malloc", reinterpret_cast<void*>(hookMalloc), slot(realMalloc)},
    {"calloc", reinterpret_cast<void*>(hookCalloc), slot(realCalloc)},
    {"realloc", reinterpret_cast<void*>(hookRealloc), slot(realRealloc)},
    {"free", reinterpret_cast<void*>(hookFree), slot(realFree)},
    {"_aligned_malloc", reinterpret_cast<void*>(hookAlignedMalloc), slot(realAlignedMalloc)},
    {"_aligned_realloc", reinterpret_cast<void*>(hookAlignedRealloc), slot(realAlignedRealloc)},
    {"_aligned_free", reinterpret_cast<void*>(hookAlignedFree), slot(realAlignedFree)},
    {"HeapAlloc", reinterpret_cast<void*>(hookHeapAlloc), slot(realHeapAlloc)},
    {"HeapReAlloc", reinterpret_cast<void*>(hookHeapReAlloc), slot(realHeapReAlloc)},
    {"HeapFree", reinterpret_cast<void*>(hookHeapFree), slot(realHeapFree)},
    {"VirtualAlloc", reinterpret_cast<void*>(hookVirtualAlloc), slot(realVirtualAlloc)},
    {"LocalAlloc", reinterpret_cast<void*>(hookLocalAlloc), slot(realLocalAlloc)},
    {"GlobalAlloc", reinterpret_cast<void*>(hookGlobalAlloc), slot(realGlobalAlloc)},
    {"MessageBoxA", reinterpret_cast<void*>(hookMessageBoxA), nullptr},
    {"MessageBoxW", reinterpret_cast<void*>(hookMessageBoxW), nullptr},
    {"MessageBoxExA", reinterpret_cast<void*>(hookMessageBoxExA), nullptr},
    {"MessageBoxExW", reinterpret_cast<void*>(hookMessageBoxExW), nullptr},
};

const IMAGE_NT_HEADERS* headersOf(HMODULE module) {
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

void patch(void** entry, void* value) {
  DWORD old = 0;
  if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old)) return;
  *entry = value;
  VirtualProtect(entry, sizeof *entry, old, &old);
}

void hookImport(const char* name, void** entry) {
  for (const Hook& hook : kHooks) {
    if (std::strcmp(hook.name, name) != 0) continue;
    if (*entry == hook.hook) return;
    // Every module we watch must reach the same allocator through a hook, or frees would cross
    // heaps; an import that resolves elsewhere is left alone.
    if (hook.real) {
      if (!*hook.real) *hook.real = *entry;
      if (*hook.real != *entry) return;
    }
    patch(entry, hook.hook);
    return;
  }
}

}  // namespace

void installCrashReport(int exitCode) {
  gCrashExit = static_cast<UINT>(exitCode);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(onUnhandledException);
  std::set_terminate([] { reportAndExit("an exception escaped the plug-in"); });
}

void setCurrentCheck(const std::string& name) {
  std::snprintf(gCheckName, sizeof gCheckName, "%s", name.c_str());
  gStep[0] = '\0';
}

void setCurrentStep(const char* step) { std::snprintf(gStep, sizeof gStep, "%s", step); }

int runInOwnProcess(const std::string& name, const std::function<int()>&, double timeoutSeconds,
                    std::string& failure) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::string command = std::string(GetCommandLineA()) + " --run-one " + name;
  // A process whose system libraries failed to initialise never ran the check (seen under Wine
  // on a loaded machine): it gets one more start before its end counts as the check's.
  constexpr DWORD kSystemInitFailed = 0xC0000142;
  for (int attempt = 1;; ++attempt) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
      failure =
          "could not start a process for it (GetLastError " + std::to_string(GetLastError()) + ")";
      return kCheckCrashed;
    }
    CloseHandle(process.hThread);
    const DWORD waited =
        WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutSeconds * 1000));
    DWORD code = 0;
    if (waited != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, kCheckCrashed);
      WaitForSingleObject(process.hProcess, INFINITE);
      CloseHandle(process.hProcess);
      char text[64];
      std::snprintf(text, sizeof text, "timed out after %g s", timeoutSeconds);
      failure = text;
      return kCheckCrashed;
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (code == kSystemInitFailed && attempt == 1) continue;
    if (code <= kCheckCrashed) return static_cast<int>(code);
    char text[80];
    std::snprintf(text, sizeof text, "crashed (process ended with 0x%08lX)",
                  static_cast<unsigned long>(code));
    failure = text;
    return kCheckCrashed;
  }
}

namespace {
HANDLE gWatchdogStop = nullptr;
double gWatchdogSeconds = 0;

DWORD WINAPI watchdog(void* stop) {
  if (WaitForSingleObject(stop, static_cast<DWORD>(gWatchdogSeconds * 1000)) == WAIT_TIMEOUT)
    reportAndExit("timed out");
  CloseHandle(stop);
  return 0;
}
}  // namespace

void armWatchdog(const std::string&, double seconds) {
  disarmWatchdog();
  gWatchdogSeconds = seconds;
  gWatchdogStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (HANDLE thread = CreateThread(nullptr, 0, watchdog, gWatchdogStop, 0, nullptr))
    CloseHandle(thread);
}

void disarmWatchdog() {
  if (gWatchdogStop) SetEvent(gWatchdogStop);
  gWatchdogStop = nullptr;
}

bool allocationCountingSupported() { return true; }

void startCountingAllocations() {
  gAllocations = 0;
  gFrees = 0;
  gCountingThread = GetCurrentThreadId();
  gCounting.store(true, std::memory_order_release);
}

void stopCountingAllocations(size_t& allocations, size_t& frees) {
  gCounting.store(false, std::memory_order_release);
  allocations = gAllocations;
  frees = gFrees;
}

void watchModule(const Module& module) {
  HMODULE handle = static_cast<HMODULE>(module.handle());
  const IMAGE_NT_HEADERS* nt = handle ? headersOf(handle) : nullptr;
  if (!nt) return;
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!directory.VirtualAddress) return;
  auto* base = reinterpret_cast<uint8_t*>(handle);
  for (auto* imports = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       imports->Name; ++imports) {
    if (!imports->OriginalFirstThunk) continue;  // no names to go by
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imports->OriginalFirstThunk);
    auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imports->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      hookImport(reinterpret_cast<const char*>(byName->Name),
                 reinterpret_cast<void**>(&entries->u1.Function));
    }
  }
}

std::vector<AskedBox> messageBoxesAsked() { return gBoxes.list(); }

GuardedBytes::GuardedBytes(const uint8_t* data, size_t size) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const size_t page = system.dwPageSize;
  const size_t dataPages = (size + page - 1) / page;
  mappingSize_ = (dataPages + 1) * page;
  mapping_ = VirtualAlloc(nullptr, mappingSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!mapping_) std::abort();
  uint8_t* guard = static_cast<uint8_t*>(mapping_) + dataPages * page;
  DWORD old = 0;
  VirtualProtect(guard, page, PAGE_NOACCESS, &old);
  data_ = guard - size;
  if (size) std::memcpy(data_, data, size);
}

GuardedBytes::~GuardedBytes() { VirtualFree(mapping_, 0, MEM_RELEASE); }

QuietStderr::QuietStderr() {
  std::fflush(stderr);
  saved_ = _dup(2);
  const int null = _open("NUL", _O_WRONLY);
  if (null >= 0) {
    _dup2(null, 2);
    _close(null);
  }
}

QuietStderr::~QuietStderr() {
  std::fflush(stderr);
  if (saved_ >= 0) {
    _dup2(saved_, 2);
    _close(saved_);
  }
}

const char* freedMemoryFillHint() { return "WINEDEBUG=warn+heap under Wine"; }

ModuleSpan spanOf(const Module& module) {
  ModuleSpan span;
  span.handle = module.handle();
  if (const IMAGE_NT_HEADERS* nt =
          span.handle ? headersOf(static_cast<HMODULE>(span.handle)) : nullptr) {
    span.base = reinterpret_cast<uintptr_t>(span.handle);
    span.size = nt->OptionalHeader.SizeOfImage;
  }
  return span;
}

namespace {
struct WindowSearch {
  const ModuleSpan* span;
  int found;
};

bool belongsTo(HWND window, const ModuleSpan& span) {
  const auto classModule = static_cast<uintptr_t>(GetClassLongPtrA(window, GCLP_HMODULE));
  const auto procedure = static_cast<uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  return classModule == reinterpret_cast<uintptr_t>(span.handle) ||
         (procedure >= span.base && procedure < span.base + span.size);
}

BOOL CALLBACK countChild(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (belongsTo(window, *search->span)) ++search->found;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM context) {
  countChild(window, context);
  EnumChildWindows(window, countChild, context);
  return TRUE;
}
}  // namespace

int windowsOfModule(const ModuleSpan& span) {
  if (!span.handle) return 0;
  WindowSearch search = {&span, 0};
  EnumThreadWindows(GetCurrentThreadId(), countTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int connectionsOfModule(const ModuleSpan&) { return 0; }

// Windows hosts have one way to run an editor's window: these patterns are X11's.
bool hostPatternsHere(std::string& why) {
  why = "a pattern of X11 hosts";
  return false;
}
void rightPress(void*, int, int) {}
std::vector<unsigned long> popupsOfModule(const ModuleSpan&) { return {}; }
std::string dismissPopup(unsigned long) { return ""; }
HostErrorHandlers::HostErrorHandlers() {}
HostErrorHandlers::~HostErrorHandlers() {}
void HostErrorHandlers::beginCall() {}
void HostErrorHandlers::endCall() {}
int HostErrorHandlers::foreignErrors(std::string&) const { return 0; }

}  // namespace validateplatform
