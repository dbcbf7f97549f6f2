#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "Format.h"
#include "Platform.h"

namespace {

constexpr UINT kAnswerDelayMs = 10;

MessageBoxButton gAnswer = kNoAnswer;
HHOOK gHook = nullptr;
HWND gAnswered = nullptr;  // a box can be activated again before our click reaches it

std::string windowText(HWND window) {
  char text[2048] = {0};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool hasClass(HWND window, const char* name) {
  char className[64] = {0};
  GetClassNameA(window, className, sizeof className);
  return lstrcmpiA(className, name) == 0;
}

// The box's message is its first visible static control that is not the icon. Control ids differ
// between Windows and Wine, so it is found by class and style; the style's WS_VISIBLE is read
// because the box itself may not be shown yet, which makes IsWindowVisible say no.
BOOL CALLBACK findText(HWND control, LPARAM context) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  if (!hasClass(control, "Static") || !(style & WS_VISIBLE) || (style & SS_TYPEMASK) == SS_ICON)
    return TRUE;
  *reinterpret_cast<std::string*>(context) = windowText(control);
  return FALSE;
}

// Runs in the box's own message loop, once it has set up its controls.
void CALLBACK answerBox(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  if (box == gAnswered) return;
  gAnswered = box;
  std::string text;
  EnumChildWindows(box, findText, reinterpret_cast<LPARAM>(&text));
  printFact("messageBox", quoted(windowText(box)) + " " + quoted(text));
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(gAnswer, BN_CLICKED), 0);
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (hasClass(window, "#32770")) SetTimer(window, 1, kAnswerDelayMs, answerBox);
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

}  // namespace

Module::~Module() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

bool Module::load(const std::string& path, std::string& error) {
  // A broken module must fail with a message, not stop an unattended run with a dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const bool bare = path.find_first_of("/\\:") == std::string::npos;
  const std::string file = bare ? ".\\" + path : path;
  handle_ = LoadLibraryA(file.c_str());
  if (handle_) return true;

  const DWORD code = GetLastError();
  char text[512] = {0};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string reason = text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  char head[48];
  std::snprintf(head, sizeof head, "GetLastError %lu", static_cast<unsigned long>(code));
  error = reason.empty() ? head : std::string(head) + ": " + reason;
  return false;
}

Module::Symbol Module::find(const char* name) const {
  return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string vst3BinaryInBundle(const std::string& bundle, const std::string& name) {
  return bundle + "\\Contents\\x86_64-win\\" + name + ".vst3";
}

// Both calls are optional on Windows: a module without them needs no start.
bool enterVst3Module(const Module& module, std::string& error) {
  using Entry = bool (*)();
  const auto entry = reinterpret_cast<Entry>(module.find("InitDll"));
  if (!entry || entry()) return true;
  error = "InitDll answered false";
  return false;
}

void leaveVst3Module(const Module& module) {
  using Exit = bool (*)();
  if (const auto exit = reinterpret_cast<Exit>(module.find("ExitDll"))) exit();
}

bool descriptorReadable(int) { return false; }

void useUnixLineEndings() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

namespace {
// User and kernel time of a GetProcessTimes/GetThreadTimes answer, in seconds.
double seconds(const FILETIME& kernel, const FILETIME& user) {
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}
}  // namespace

double processCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  return seconds(kernel, user);
}

double threadCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  return seconds(kernel, user);
}

void answerMessageBoxes(MessageBoxButton button) {
  gAnswer = button;
  if (button != kNoAnswer && !gHook)
    gHook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}
