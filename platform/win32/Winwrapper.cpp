#include "gui/Winwrapper.h"

#include <windows.h>
// after windows.h, which it builds on
#include <commctrl.h>

#include "dxblit/Exception.h"
#include "dxblit/WindowDevice.h"
#include "gui/WinMenu.h"
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
  auto* window = reinterpret_cast<Winwrapper*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->handleMessage(message, wParam, lParam);
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

// The class goes when the module does.
struct WindowClassRelease {
  ~WindowClassRelease() {
    if (windowClassAtom) UnregisterClassA(MAKEINTATOM(windowClassAtom), moduleInstance());
  }
} windowClassRelease;

NativeWindow* createWinwrapper(IFrameController* controller, uint32_t width, uint32_t height,
                               void* parentWindow) {
  return new Winwrapper(controller, 0, 0, width, height, parentWindow);
}

}  // namespace

NativeWindowFactory platformWindowFactory() { return createWinwrapper; }

Winwrapper::Winwrapper(IFrameController* controller, int32_t, int32_t, uint32_t width,
                       uint32_t height, void* parentWindow)
    : NativeWindow(width, height), frameController(controller) {
  {
    ModuleActivationContext activation;
    if (!windowClassAtom) registerWindowClass();
    DWORD style = WS_VISIBLE;
    if (parentWindow) style |= WS_CHILD;
    hwnd = CreateWindowExA(0, MAKEINTATOM(windowClassAtom), "control", style, 0, 0,
                           static_cast<int>(width), static_cast<int>(height),
                           static_cast<HWND>(parentWindow), nullptr, moduleInstance(), nullptr);
  }
  if (hwnd)
    SetWindowLongPtrA(static_cast<HWND>(hwnd), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  else
    showError("Failed to create a control.", MB_ICONERROR);
}

Winwrapper::~Winwrapper() {
  deleteChildren();
  if (timerController) KillTimer(static_cast<HWND>(hwnd), 0);
  if (device) device->release();
}

void Winwrapper::setTimer(ITimerController* controller) {
  if (timerController) KillTimer(static_cast<HWND>(hwnd), 0);
  if (!controller) {
    timerController = nullptr;
    return;
  }
  if (SetTimer(static_cast<HWND>(hwnd), 0, 10, nullptr))
    timerController = controller;
  else
    showError("Failed to create timer.", MB_ICONERROR);
}

bool Winwrapper::confirm(const char* caption, const char* text) {
  return MessageBoxA(static_cast<HWND>(hwnd), text, caption,
                     MB_OKCANCEL | MB_ICONQUESTION | MB_TASKMODAL) == IDOK;
}

void Winwrapper::redraw() {
  RedrawWindow(static_cast<HWND>(hwnd), nullptr, nullptr, RDW_INVALIDATE);
}

void Winwrapper::releaseResources() {
  if (!device) return;
  Container::releaseResources();
  device->release();
  device = nullptr;
}

void Winwrapper::setCapture(Control* control) {
  if (captureControl && captureControl != control) captureControl->captureLost();
  captureControl = control;
  if (!control) {
    ReleaseCapture();
    return;
  }
  SetCapture(static_cast<HWND>(hwnd));
  if (hoverChild && hoverChild != control) hoverChild->mouseLeave();
  hoverChild = control;
}

bool Winwrapper::hasCapture(Control* control) {
  return control == captureControl && GetCapture() == static_cast<HWND>(hwnd);
}

Menu* Winwrapper::createMenu(Control* target) { return new WinMenu(*this, target); }

bool Winwrapper::isMenuOpenFor(Control* control) { return menuOpen && control == menuTarget; }

int Winwrapper::showMenu(WinMenu& menu, Control* target, int x, int y) {
  menuTarget = target;
  menuOpen = true;
  redraw();
  RECT bounds = {};
  GetWindowRect(static_cast<HWND>(hwnd), &bounds);
  const int result = TrackPopupMenu(
      static_cast<HMENU>(menu.getHandle()), TPM_RIGHTBUTTON | TPM_CENTERALIGN | TPM_VERPOSANIMATION,
      x + bounds.left, y + bounds.top, 0, static_cast<HWND>(hwnd), nullptr);
  // Normally the capture change at the menu's end has cleared this; where the system moves the
  // capture without telling this window, the menu is closed all the same.
  if (menuOpen) {
    menuOpen = false;
    redraw();
  }
  return result;
}

void Winwrapper::paint() {
  HWND window = static_cast<HWND>(hwnd);
  ValidateRect(window, nullptr);
  try {
    if (!device) device = DXBlit::createWindowDevice(hwnd);
    device->render(*this);
  } catch (const DXBlit::Exception&) {
    HDC dc = GetDC(window);
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window, dc);
  }
}

template <typename Deliver>
void Winwrapper::deliverMouse(intptr_t lParam, Deliver deliver) {
  const int32_t x = static_cast<int16_t>(lParam & 0xFFFF);
  const int32_t y = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
  if (captureControl)
    deliver(*captureControl, x - captureControl->absoluteX(), y - captureControl->absoluteY());
  else
    deliver(static_cast<Control&>(*this), x, y);
}

intptr_t Winwrapper::handleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
  HWND window = static_cast<HWND>(hwnd);
  const int modifiers = static_cast<int>((wParam >> 2) & 3);  // MK_SHIFT, MK_CONTROL
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
      return 0;
    case WM_CLOSE:
      if (frameController && frameController->canClose()) DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:
      if (frameController) frameController->windowDestroyed();
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      delete this;
      return 0;
    case WM_COMMAND:
      if (menuTarget) {
        Control* target = menuTarget;
        menuTarget = nullptr;
        target->menuCommand(static_cast<int>(static_cast<uint32_t>(wParam)));
      }
      return 0;
    case WM_TIMER:
      if (timerController) timerController->onTimer();
      return 0;
    case WM_MOUSEMOVE: {
      deliverMouse(lParam, [&](Control& c, int32_t x, int32_t y) { c.mouseMove(x, y, modifiers); });
      TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      const int button = message == WM_LBUTTONDOWN ? 1 : 2;
      deliverMouse(lParam,
                   [&](Control& c, int32_t x, int32_t y) { c.mouseDown(x, y, button, modifiers); });
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      const int button = message == WM_LBUTTONUP ? 1 : 2;
      deliverMouse(lParam,
                   [&](Control& c, int32_t x, int32_t y) { c.mouseUp(x, y, button, modifiers); });
      return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
      const int button = message == WM_LBUTTONDBLCLK ? 1 : 2;
      deliverMouse(lParam, [&](Control& c, int32_t x, int32_t y) {
        c.mouseDoubleClick(x, y, button, modifiers);
      });
      return 0;
    }
    case WM_MOUSEWHEEL: {
      // The wheel comes in screen coordinates and in 120ths of a detent.
      RECT bounds = {};
      GetWindowRect(window, &bounds);
      const float delta =
          static_cast<float>(static_cast<int16_t>((wParam >> 16) & 0xFFFF)) * 0.008333334f;
      const int32_t screenX = static_cast<int16_t>(lParam & 0xFFFF);
      const int32_t screenY = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
      const intptr_t client =
          ((screenX - bounds.left) & 0xFFFF) | (((screenY - bounds.top) & 0xFFFF) << 16);
      deliverMouse(client,
                   [&](Control& c, int32_t x, int32_t y) { c.mouseWheel(x, y, delta, modifiers); });
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (captureControl) {
        Control* lost = captureControl;
        captureControl = nullptr;
        lost->captureLost();
      }
      if (menuOpen) {
        menuOpen = false;
        redraw();
      }
      return 0;
    case WM_MOUSELEAVE:
      mouseLeave();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace Mintwerk
