// What `validate` needs from the system beyond Platform.h: each check in a process of its own, so
// that a crash or a hang in the plug-in becomes a failed check; the allocations made on the audio
// thread; memory that faults right behind a buffer; and a plug-in's chatter kept off stderr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Platform.h"

// How one check's run ends; a check run in its own process exits with it.
enum CheckCode { kCheckPassed = 0, kCheckFailed = 1, kCheckSkipped = 2, kCheckCrashed = 3 };

namespace validateplatform {

// From now on a crash (or an exception nobody caught) prints `FAIL NAME: crashed (WHAT)` for the
// check last named by setCurrentCheck, and ends the process with `exitCode`.
void installCrashReport(int exitCode);
void setCurrentCheck(const std::string& name);
// What the check is doing, added to a crash report as "while STEP"; empty for nothing.
void setCurrentStep(const char* step);

// Runs one check in a process of its own: on Linux a fork that calls `body`; on Windows this
// program again, with `--run-one NAME` added to its command line (`body` is not used there). The
// child prints its own line and exits with a CheckCode. A crash the child could not report, or a
// run longer than `timeoutSeconds`, gives kCheckCrashed with the reason in `failure` for the
// caller to print.
int runInOwnProcess(const std::string& name, const std::function<int()>& body,
                    double timeoutSeconds, std::string& failure);

// Ends this process after `seconds` unless disarmed: a hung check run in the validator's own
// process still reports itself.
void armWatchdog(const std::string& name, double seconds);
void disarmWatchdog();

// Counts the allocations (malloc and its relatives; operator new goes through them) and frees
// made by the calling thread between start and stop. Linux counts every module's calls; Windows
// counts those of the modules given to watchModule.
bool allocationCountingSupported();
void startCountingAllocations();
void stopCountingAllocations(size_t& allocations, size_t& frees);

// To call right after loading a plug-in: its message boxes are answered from now on as a careful
// user would (No, else Cancel, else OK), so no check waits for a user. On Windows its imported
// allocation functions are routed through the counter, and its boxes are answered at once without
// being shown. On X11 a watcher closes each dialog of this process with its close button as soon
// as it is up; without a display the plug-in answers its boxes itself.
void watchModule(const Module& module);
// What the boxes answered in this process asked.
std::vector<AskedBox> messageBoxesAsked();

// `size` bytes whose last one lies right before memory that cannot be read, so a reader that runs
// one byte past them crashes rather than reading garbage.
class GuardedBytes {
 public:
  GuardedBytes(const uint8_t* data, size_t size);
  ~GuardedBytes();
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  uint8_t* data() const { return data_; }

 private:
  void* mapping_ = nullptr;
  size_t mappingSize_ = 0;
  uint8_t* data_ = nullptr;
};

// While alive, stderr goes nowhere: a plug-in that prints a line per refused chunk would bury the
// report under thousands of them.
class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

// True when memory this process frees is overwritten at once, so that a dangling pointer into it
// cannot pass by luck; `how` says what was found.
bool freedMemoryIsOverwritten(std::string& how);
// The setting that makes this platform's allocator overwrite what it frees.
const char* freedMemoryFillHint();

// A module's address range and handle, kept to recognise its windows once it is unloaded. On X11
// what was on the display and which sockets were open when it was taken, since windows there
// belong to connections rather than to code.
struct ModuleSpan {
  void* handle = nullptr;
  uintptr_t base = 0;
  size_t size = 0;
  std::vector<unsigned long> windowsBefore;
  int socketsBefore = 0;
};
ModuleSpan spanOf(const Module& module);

// The windows of this thread whose class or window procedure belongs to the module, which may be
// unloaded already: after FreeLibrary any such window is a crash waiting for its next message. On
// X11 the windows on the display that are neither ours nor there when the span was taken.
int windowsOfModule(const ModuleSpan& span);

// X11: display connections opened since the span was taken and still open, each with whatever
// windows and GL contexts the server keeps for it. Elsewhere 0.
int connectionsOfModule(const ModuleSpan& span);

// --- What Linux hosts do to an editor that Windows hosts cannot (X11 only) ---

// Whether the editor checks can replay them here; false with the reason (on Windows, or without
// an X display).
bool hostPatternsHere(std::string& why);

// A right press and release at (x, y) of the plug-in's window, as a user's mouse gives it (XTEST
// where the server has it, else sent events).
void rightPress(void* editorWindow, int x, int y);

// The popup windows of the module on screen now: shown override-redirect windows on the root, of
// the module's own connections where the server says whose a window is, else new since the span.
std::vector<unsigned long> popupsOfModule(const ModuleSpan& span);

// Closes a popup as a user would, on a display connection of its own so that any thread may call
// it: Escape through XTEST, then sent to the popup, at last the popup destroyed. What it took.
std::string dismissPopup(unsigned long popup);

// The host's own process-wide X error handler and the temporary one it swaps in around its calls
// into the plug-in; both record the errors that reach them. Errors of connections other than the
// host's own are the plug-in's, which must never arrive there. One at a time; elsewhere inert.
class HostErrorHandlers {
 public:
  HostErrorHandlers();   // installs the host's own
  ~HostErrorHandlers();  // puts back the handler that was there before
  HostErrorHandlers(const HostErrorHandlers&) = delete;
  HostErrorHandlers& operator=(const HostErrorHandlers&) = delete;
  void beginCall();  // the temporary one
  void endCall();    // the host's own again
  // How many errors of other connections arrived; `first` describes the first of them.
  int foreignErrors(std::string& first) const;
};

}  // namespace validateplatform
