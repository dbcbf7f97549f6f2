#include "gui/native/win32/Win32EditorWindow.h"

#include <windows.h>
// after windows.h, which it builds on
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "dxblit/WindowDevice.h"
#include "platform/MessageBox.h"
#include "platform/ModuleHandle.h"

namespace Mintwerk {

namespace {

ATOM windowClassAtom = 0;

// The module the window class belongs to (a program linking the toolkit directly has no handle
// stored by the library's entry point).
HINSTANCE moduleInstance() {
  void* handle = Platform::moduleHandle();
  return handle ? static_cast<HINSTANCE>(handle) : GetModuleHandleA(nullptr);
}

// The resource id under which a module's own manifest is looked up for isolation.
constexpr WORD kModuleManifestId = 2;

// Window class registration, window creation and the common controls run inside the activation
// context of the module's manifest, as the controls of a plug-in must (the host has its own).
class ModuleActivationContext {
 public:
  ModuleActivationContext() {
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = moduleInstance();
    request.lpResourceName = MAKEINTRESOURCEA(kModuleManifestId);
    context = CreateActCtxA(&request);
    if (context != INVALID_HANDLE_VALUE && !ActivateActCtx(context, &cookie)) cookie = 0;
  }
  ~ModuleActivationContext() {
    if (cookie) DeactivateActCtx(0, cookie);
    if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
  }

 private:
  HANDLE context = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie = 0;
};

void initCommonControls() {
  using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  HMODULE library = LoadLibraryA("comctl32.dll");
  if (!library) return;
  auto init = reinterpret_cast<InitProc>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (init) {
    INITCOMMONCONTROLSEX controls = {8, 0xFF};
    init(&controls);
  }
}

void showError(const char* text, UINT icon) { Platform::messageBox(text, "Error!", icon); }

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Win32EditorWindow::receive(hwnd, message, wParam, lParam);
}

// The native windows of this module that exist, each with its object: their procedure lives in
// the module, so none may outlive it.
SRWLOCK liveWindowsLock = SRWLOCK_INIT;
std::vector<HWND> liveWindows;

void rememberWindow(HWND window) {
  AcquireSRWLockExclusive(&liveWindowsLock);
  liveWindows.push_back(window);
  ReleaseSRWLockExclusive(&liveWindowsLock);
}

void forgetWindow(HWND window) {
  AcquireSRWLockExclusive(&liveWindowsLock);
  liveWindows.erase(std::remove(liveWindows.begin(), liveWindows.end(), window), liveWindows.end());
  ReleaseSRWLockExclusive(&liveWindowsLock);
}

// From here on the system's default procedure handles the window, and nothing of ours runs for
// it again.
void handToSystem(HWND window) {
  forgetWindow(window);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

bool isOnThisThread(HWND window) {
  return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// True while the process ends, rather than the module being unloaded from a running host: the
// host's windows then go anyway and must be sent nothing more.
bool processIsEnding() {
  using Query = BOOLEAN(NTAPI*)();
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto query = ntdll ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                           GetProcAddress(ntdll, "RtlDllShutdownInProgress")))
                     : nullptr;
  return query && query();
}

void registerWindowClass() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = moduleInstance();
  windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hIconSm = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.lpszClassName = "MintwerkWinwrapper";
  windowClassAtom = RegisterClassExA(&windowClass);
  if (!windowClassAtom) showError("Couldn't create a wrapper windowclass.", MB_ICONWARNING);
  initCommonControls();
}

// The class goes when the module does. A window still alive then belongs to an editor the host
// never closed: it is handed to the system before its procedure is unmapped (its objects stay
// behind, as their code goes), and destroyed where this thread may, so that the class can go
// too. When the whole process ends, nothing is destroyed: the host's own windows would be told.
struct WindowClassRelease {
  ~WindowClassRelease() {
    AcquireSRWLockExclusive(&liveWindowsLock);
    const std::vector<HWND> remaining = liveWindows;
    ReleaseSRWLockExclusive(&liveWindowsLock);
    const bool ending = processIsEnding();
    for (HWND window : remaining) {
      if (!IsWindow(window) || GetClassLongPtrA(window, GCW_ATOM) != windowClassAtom) continue;
      handToSystem(window);
      if (ending) continue;
      if (isOnThisThread(window))
        DestroyWindow(window);
      else
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (windowClassAtom) UnregisterClassA(MAKEINTATOM(windowClassAtom), moduleInstance());
  }
} windowClassRelease;

NativeWindow* createWin32Window(uint32_t width, uint32_t height, void* parentWindow) {
  auto* window = new Win32EditorWindow(width, height, parentWindow);
  if (window->getHandle()) return window;
  delete window;  // the error box has said so; no window means no editor
  return nullptr;
}

}  // namespace

NativeWindowFactory platformWindowFactory() { return createWin32Window; }

class Win32EditorWindow::Hold {
 public:
  explicit Hold(Win32EditorWindow& held) : window(held) { ++window.holds; }
  ~Hold() {
    if (--window.holds == 0 && window.windowGone) delete &window;
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  Win32EditorWindow& window;
};

intptr_t Win32EditorWindow::receive(void* handle, unsigned message, uintptr_t wParam,
                                    intptr_t lParam) {
  HWND hwnd = static_cast<HWND>(handle);
  auto* window = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  Hold hold(*window);
  return window->handleMessage(message, wParam, lParam);
}

Win32EditorWindow::Win32EditorWindow(uint32_t width, uint32_t height, void* parentWindow) {
  {
    ModuleActivationContext activation;
    if (!windowClassAtom) registerWindowClass();
    DWORD style = WS_VISIBLE;
    if (parentWindow) style |= WS_CHILD;
    hwnd = CreateWindowExA(0, MAKEINTATOM(windowClassAtom), "control", style, 0, 0,
                           static_cast<int>(width), static_cast<int>(height),
                           static_cast<HWND>(parentWindow), nullptr, moduleInstance(), nullptr);
  }
  if (hwnd) {
    SetWindowLongPtrA(static_cast<HWND>(hwnd), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    rememberWindow(static_cast<HWND>(hwnd));
  } else {
    showError("Failed to create a control.", MB_ICONERROR);
  }
}

Win32EditorWindow::~Win32EditorWindow() {
  delete client;  // the root and its tree, while the device still exists
  client = nullptr;
  HWND window = static_cast<HWND>(hwnd);
  if (ticking && window) KillTimer(window, 0);
  if (device) device->release();
  // Deleted while its window still exists: the window must not find this object any more.
  if (window) handToSystem(window);
}

void Win32EditorWindow::dispose() {
  HWND window = static_cast<HWND>(hwnd);
  ownerGone = true;
  setTicking(false);
  if (!window) {
    if (!windowGone) delete this;  // never had a window; otherwise the last hold deletes it
    return;
  }
  if (isOnThisThread(window)) {
    // A menu of ours still up (the host closed the editor from inside its loop) goes with it.
    if (menuOpen) EndMenu();
    DestroyWindow(window);  // its WM_NCDESTROY lets go of this object
    return;
  }
  if (menuOpen) PostMessageA(window, WM_CANCELMODE, 0, 0);
  // That thread may be painting or ticking this window right now, and only it may destroy it.
  handToSystem(window);
  PostMessageA(window, WM_CLOSE, 0, 0);
}

void Win32EditorWindow::setTicking(bool on) {
  HWND window = static_cast<HWND>(hwnd);
  if (ticking && window) KillTimer(window, 0);
  ticking = false;
  if (!on || !window) return;  // without a window SetTimer would tick the whole thread instead
  if (SetTimer(window, 0, 10, nullptr))
    ticking = true;
  else
    showError("Failed to create timer.", MB_ICONERROR);
}

bool Win32EditorWindow::confirm(const char* caption, const char* text) {
  if (!hwnd) return false;  // the window is gone: nobody to ask
  return MessageBoxA(static_cast<HWND>(hwnd), text, caption,
                     MB_OKCANCEL | MB_ICONQUESTION | MB_TASKMODAL) == IDOK;
}

void Win32EditorWindow::invalidate() {
  if (hwnd) RedrawWindow(static_cast<HWND>(hwnd), nullptr, nullptr, RDW_INVALIDATE);
}

void Win32EditorWindow::releaseResources() {
  if (!device) return;
  if (client) client->releaseResources();
  device->release();
  device = nullptr;
}

void Win32EditorWindow::grabPointer() {
  if (hwnd) SetCapture(static_cast<HWND>(hwnd));
}

void Win32EditorWindow::releasePointer() { ReleaseCapture(); }

bool Win32EditorWindow::holdsPointer() { return hwnd && GetCapture() == static_cast<HWND>(hwnd); }

int Win32EditorWindow::showMenu(const std::vector<MenuEntry>& entries, int x, int y, float) {
  if (!hwnd) return 0;
  // The host may destroy the window while the menu's loop runs (from a timer, say): the object
  // then stays until the menu has returned.
  Hold hold(*this);
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.separator)
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(menu, (entry.enabled ? MF_STRING : MF_GRAYED) | (entry.checked ? MF_CHECKED : 0),
                  static_cast<UINT_PTR>(entry.id), entry.text.c_str());
  }
  RECT bounds = {};
  GetWindowRect(static_cast<HWND>(hwnd), &bounds);
  menuOpen = true;
  const int result =
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_CENTERALIGN | TPM_VERPOSANIMATION, x + bounds.left,
                     y + bounds.top, 0, static_cast<HWND>(hwnd), nullptr);
  menuOpen = false;
  DestroyMenu(menu);
  // The choice, if any, comes as a command message; the menu's look ends now.
  if (client) client->menuEnded();
  return result;
}

void Win32EditorWindow::paint() {
  ValidateRect(static_cast<HWND>(hwnd), nullptr);
  if (client) client->paint();
}

void Win32EditorWindow::render(DXBlit::Scene& scene, float scale) {
  if (!device) device = DXBlit::createWindowDevice(hwnd);
  device->render(scene, scale);
}

namespace {
// A size asked for on another thread: wParam width, lParam height.
constexpr UINT kResizeMessage = WM_APP + 0x51;
// Sent to top-level windows that moved to a monitor of another scale, and to child windows
// after their parent did.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;
}  // namespace

void Win32EditorWindow::resize(uint32_t width, uint32_t height) {
  HWND window = static_cast<HWND>(hwnd);
  if (!window) return;
  // Sending to a window of another thread would wait for it; the size is posted instead.
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    PostMessageA(window, kResizeMessage, width, static_cast<LPARAM>(height));
    return;
  }
  SetWindowPos(window, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A smaller window is not invalidated by the system, and the scene changes its scale.
  InvalidateRect(window, nullptr, FALSE);
}

void Win32EditorWindow::paintBlack() {
  HWND window = static_cast<HWND>(hwnd);
  HDC dc = GetDC(window);
  RECT client = {};
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(window, dc);
}

// A mouse message as a pointer event for the root: true when the message was one.
bool Win32EditorWindow::handleMouse(unsigned message, uintptr_t wParam, intptr_t lParam) {
  HWND window = static_cast<HWND>(hwnd);
  PointerEvent event;
  event.modifiers = static_cast<int>((wParam >> 2) & 3);  // MK_SHIFT, MK_CONTROL
  event.x = static_cast<int16_t>(lParam & 0xFFFF);
  event.y = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
  switch (message) {
    case WM_MOUSEMOVE: {
      // A drag whose release never reached us ends here: a move with no button held moves no
      // value.
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) client->dragEnded();
      event.kind = PointerEvent::kMove;
      client->pointer(event);
      TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
      TrackMouseEvent(&track);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      event.kind = PointerEvent::kDown;
      event.button = message == WM_LBUTTONDOWN ? 1 : 2;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      event.kind = PointerEvent::kUp;
      event.button = message == WM_LBUTTONUP ? 1 : 2;
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      event.kind = PointerEvent::kDoubleClick;
      event.button = message == WM_LBUTTONDBLCLK ? 1 : 2;
      break;
    case WM_MOUSEWHEEL: {
      // The wheel comes in screen coordinates and in 120ths of a detent.
      RECT bounds = {};
      GetWindowRect(window, &bounds);
      event.kind = PointerEvent::kWheel;
      event.delta =
          static_cast<float>(static_cast<int16_t>((wParam >> 16) & 0xFFFF)) * 0.008333334f;
      event.x = static_cast<int16_t>((event.x - bounds.left) & 0xFFFF);
      event.y = static_cast<int16_t>((event.y - bounds.top) & 0xFFFF);
      break;
    }
    case WM_CAPTURECHANGED:
      client->pointerTaken();
      return true;
    case WM_MOUSELEAVE:
      client->pointerLeft();
      return true;
    default:
      return false;
  }
  client->pointer(event);
  return true;
}

void Win32EditorWindow::windowDestroyed() {
  HWND window = static_cast<HWND>(hwnd);
  // A disposed window has no owner left to tell: only the current one ends its editor.
  const bool tell = !ownerGone;
  ownerGone = true;
  if (tell && client) client->windowEnded();
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  forgetWindow(window);
  hwnd = nullptr;
  ticking = false;    // the timer went with the window
  windowGone = true;  // the last hold deletes the object, with its tree
}

intptr_t Win32EditorWindow::handleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
  HWND window = static_cast<HWND>(hwnd);
  if (client && handleMouse(message, wParam, lParam)) return 0;
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
      return 0;
    case WM_CLOSE:
      if (client && !ownerGone && client->canClose()) DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:
      windowDestroyed();
      return 0;
    case WM_COMMAND:
      if (client) client->menuChosen(static_cast<int>(static_cast<uint32_t>(wParam)));
      return 0;
    case WM_TIMER:
      if (ticking && client) client->tick();
      return 0;
    case kResizeMessage:
      resize(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
      return 0;
    case kDpiChanged:
    case kDpiChangedAfterParent:
      // The editor asks the host for its new size; the suggested rectangle is the host's.
      if (client && !ownerGone) client->desktopScaleChanged();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace Mintwerk
