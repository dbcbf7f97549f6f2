#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "PlatformValidate.h"
#include "X11DialogWatcher.h"
#include "X11Host.h"

namespace validateplatform {
namespace {

char gCheckName[256] = "validate";
char gStep[256] = "";
int gCrashExit = kCheckCrashed;
char gAltStack[1 << 16];

// Only async-signal-safe calls from here on: the plug-in may have crashed anywhere.
void writeText(const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t done = write(STDOUT_FILENO, text, left);
    if (done <= 0) return;
    text += done;
    left -= static_cast<size_t>(done);
  }
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
  _exit(gCrashExit);
}

void onFatalSignal(int signal) {
  switch (signal) {
    case SIGSEGV:
      reportAndExit("crashed (SIGSEGV, bad memory access)");
    case SIGBUS:
      reportAndExit("crashed (SIGBUS, bad memory access)");
    case SIGILL:
      reportAndExit("crashed (SIGILL, illegal instruction)");
    case SIGFPE:
      reportAndExit("crashed (SIGFPE, arithmetic fault)");
    case SIGABRT:
      reportAndExit("crashed (SIGABRT, aborted)");
    case SIGALRM:
      reportAndExit("timed out");
    default:
      reportAndExit("crashed (fatal signal)");
  }
}

std::string signalName(int signal) {
  const char* name = strsignal(signal);
  return "signal " + std::to_string(signal) + (name ? std::string(", ") + name : "");
}

void sleepMs(long ms) {
  timespec pause = {ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&pause, nullptr);
}

double nowSeconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

void installCrashReport(int exitCode) {
  gCrashExit = exitCode;
  stack_t stack = {};
  stack.ss_sp = gAltStack;
  stack.ss_size = sizeof gAltStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action = {};
  action.sa_handler = onFatalSignal;
  action.sa_flags = SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGALRM})
    sigaction(signal, &action, nullptr);
  std::set_terminate([] { reportAndExit("an exception escaped the plug-in"); });
}

void setCurrentCheck(const std::string& name) {
  std::snprintf(gCheckName, sizeof gCheckName, "%s", name.c_str());
  gStep[0] = '\0';
}

void setCurrentStep(const char* step) { std::snprintf(gStep, sizeof gStep, "%s", step); }

int runInOwnProcess(const std::string&, const std::function<int()>& body, double timeoutSeconds,
                    std::string& failure) {
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = fork();
  if (child < 0) {
    failure = std::string("could not start a process for it: ") + std::strerror(errno);
    return kCheckCrashed;
  }
  if (child == 0) {
    gCrashExit = kCheckCrashed;  // the parent reports the run; this is one check of it
    const int code = body();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
  }
  const double deadline = nowSeconds() + timeoutSeconds;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) {
      if (WIFSIGNALED(status)) {
        failure = "crashed (" + signalName(WTERMSIG(status)) + ")";
        return kCheckCrashed;
      }
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (code >= kCheckPassed && code <= kCheckCrashed) return code;
      failure = "the plug-in ended the process (exit status " + std::to_string(code) + ")";
      return kCheckCrashed;
    }
    if (done < 0 && errno != EINTR) {
      failure = std::string("lost its process: ") + std::strerror(errno);
      return kCheckCrashed;
    }
    if (nowSeconds() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      char text[64];
      std::snprintf(text, sizeof text, "timed out after %g s", timeoutSeconds);
      failure = text;
      return kCheckCrashed;
    }
    sleepMs(2);
  }
}

void armWatchdog(const std::string&, double seconds) {
  alarm(static_cast<unsigned>(seconds + 0.999));
}

void disarmWatchdog() { alarm(0); }

void watchModule(const Module&) { x11dialogs::start(x11dialogs::Answer::closeButton, false); }

std::vector<AskedBox> messageBoxesAsked() { return x11dialogs::asked(); }

GuardedBytes::GuardedBytes(const uint8_t* data, size_t size) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t dataPages = (size + page - 1) / page;
  mappingSize_ = (dataPages + 1) * page;
  void* mapping =
      mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) std::abort();
  mapping_ = mapping;
  uint8_t* guard = static_cast<uint8_t*>(mapping) + dataPages * page;
  mprotect(guard, page, PROT_NONE);
  data_ = guard - size;
  if (size) std::memcpy(data_, data, size);
}

GuardedBytes::~GuardedBytes() { munmap(mapping_, mappingSize_); }

QuietStderr::QuietStderr() {
  std::fflush(stderr);
  saved_ = dup(STDERR_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    close(null);
  }
}

QuietStderr::~QuietStderr() {
  std::fflush(stderr);
  if (saved_ >= 0) {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
}

// The host's own connection is opened first, so that it is never counted as the module's.
ModuleSpan spanOf(const Module& module) {
  ModuleSpan span;
  span.handle = module.handle();
  if (Display* display = x11host::display()) {
    for (Window window : x11host::allWindows(display)) span.windowsBefore.push_back(window);
  }
  span.socketsBefore = x11host::openSockets();
  return span;
}

// A window manager frames our host's window in windows of its own, made after the span: where the
// server tells whose connection made a window, only those of this process's other connections
// count; elsewhere every new window does.
int windowsOfModule(const ModuleSpan& span) {
  Display* display = x11host::display();
  if (!display) return 0;
  XSync(display, False);
  x11host::ProcessClients clients;
  const bool known = x11host::otherConnectionsOfThisProcess(display, clients);
  int count = 0;
  for (Window window : x11host::allWindows(display)) {
    if (x11host::isHostWindow(window)) continue;
    if (known && !clients.owns(window)) continue;
    if (std::find(span.windowsBefore.begin(), span.windowsBefore.end(), window) ==
        span.windowsBefore.end())
      ++count;
  }
  return count;
}

int connectionsOfModule(const ModuleSpan& span) {
  const int now = x11host::openSockets();
  return now > span.socketsBefore ? now - span.socketsBefore : 0;
}

}  // namespace validateplatform
