// The Windows side of the recorder: a CBT hook sees the message box window as it activates,
// reads its caption and text, works out the flags from what the box shows, and presses a button.
#include <windows.h>

#include "MessageBoxRecorder.h"

namespace {

MessageBoxRecorder* activeRecorder = nullptr;
HWND witness = nullptr;  // a top-level window of this thread: a task-modal box disables it

std::string windowText(HWND window) {
  char text[2048] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// What the box shows, read from its child controls. Control ids differ between Windows versions
// and Wine, so the controls are recognised by class and style instead.
struct BoxContents {
  std::string text;
  HICON icon = nullptr;
  bool visibleButton[16] = {};
};

BOOL CALLBACK readControl(HWND control, LPARAM context) {
  auto* contents = reinterpret_cast<BoxContents*>(context);
  char className[64] = {};
  GetClassNameA(control, className, sizeof className);
  const std::string kind = className;
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  if (!(style & WS_VISIBLE)) return TRUE;  // the box itself may not be shown yet
  if (kind == "Static" || kind == "STATIC") {
    if ((style & SS_TYPEMASK) == SS_ICON)
      contents->icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    else if (contents->text.empty())
      contents->text = windowText(control);
  } else if (kind == "Button" || kind == "BUTTON") {
    const int id = GetDlgCtrlID(control);
    if (id > 0 && id < 16) contents->visibleButton[id] = true;
  }
  return TRUE;
}

unsigned iconFlags(HICON shown) {
  // Message boxes show the shared system icons; compare handles.
  if (!shown) return 0;
  if (shown == LoadIcon(nullptr, IDI_HAND)) return MB_ICONERROR;
  if (shown == LoadIcon(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
  if (shown == LoadIcon(nullptr, IDI_EXCLAMATION)) return MB_ICONWARNING;
  if (shown == LoadIcon(nullptr, IDI_ASTERISK)) return MB_ICONINFORMATION;
  return 0;
}

unsigned buttonFlags(const BoxContents& contents) {
  const bool* shown = contents.visibleButton;
  if (shown[IDYES] && shown[IDNO]) return shown[IDCANCEL] ? MB_YESNOCANCEL : MB_YESNO;
  if (shown[IDOK] && shown[IDCANCEL]) return MB_OKCANCEL;
  return MB_OK;
}

// Runs inside the box's own message loop, once the box has set up its controls.
void CALLBACK answerBox(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  if (!activeRecorder) return;
  BoxContents contents;
  EnumChildWindows(box, readControl, reinterpret_cast<LPARAM>(&contents));
  unsigned flags = buttonFlags(contents) | iconFlags(contents.icon);
  if (witness && !IsWindowEnabled(witness)) flags |= MB_TASKMODAL;
  int button = activeRecorder->answer(contents.text, windowText(box), flags);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && activeRecorder) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char className[64] = {};
    GetClassNameA(box, className, sizeof className);
    if (std::string(className) == "#32770") SetTimer(box, 1, 10, answerBox);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder() {
  activeRecorder = this;
  witness = CreateWindowExA(0, "STATIC", "witness", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}

MessageBoxRecorder::~MessageBoxRecorder() {
  if (hook) UnhookWindowsHookEx(static_cast<HHOOK>(hook));
  if (witness) DestroyWindow(witness);
  witness = nullptr;
  activeRecorder = nullptr;
}
