// The editor's host window on Windows: the window, its message loop, input sent as window
// messages, and the editor's pixels read back through GL.
#include <windows.h>
// after windows.h, which defines its calling conventions
#include <GL/gl.h>

#include "Format.h"
#include "Platform.h"

namespace {

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

const char kClassName[] = "VsthostEditorHost";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 10;
constexpr UINT kMenuWaitMs = 300;
constexpr int kDragSteps = 10;
constexpr DWORD kPaintWaitMs = 50;
constexpr UINT kGetMenuHandle = 0x01E1;  // asks a menu window for its menu

// The running loop; window procedures and timer callbacks have no other way to reach it.
const std::function<bool()>* gTick = nullptr;
bool gInTick = false;
bool gDone = false;
bool* gClosedByUser = nullptr;
UINT_PTR gMenuTimer = 0;
int gAnswerMenu = 0;
// What a drag arms: a menu its press opens (a plug-in's menu corner) is closed unseen.
constexpr int kDismissQuietly = -1;

std::string lastError(const char* call) {
  return std::string(call) + " failed, GetLastError " + std::to_string(GetLastError());
}

void runTick() {
  if (!gTick || gInTick || gDone) return;
  gInTick = true;
  const bool more = (*gTick)();
  gInTick = false;
  if (!more) {
    gDone = true;
    PostQuitMessage(0);
  }
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTickTimer) {
    runTick();
    return 0;
  }
  if (message == WM_GETMINMAXINFO) {
    // The system's smallest window would be wider than a small editor's frame.
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    limits->ptMinTrackSize = {1, 1};
    return 0;
  }
  if (message == WM_CLOSE) {
    // The editor must be closed before our window goes, so the user's close only ends the loop.
    if (gClosedByUser) *gClosedByUser = true;
    gDone = true;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Lets the plug-in handle what it has been sent (a paint, its own timers) for `ms`.
void pumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // it belongs to the outer loop
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

BOOL CALLBACK findMenu(HWND window, LPARAM found) {
  char name[16] = {0};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Every item of the open menu, by position, as `menuItem N "text" [grey]`.
void printMenuItems(HWND menuWindow) {
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenuHandle, 0, 0));
  if (!menu) return;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state != static_cast<UINT>(-1) && (state & MF_SEPARATOR)) {
      printFact("menuItem", std::to_string(i + 1) + " --");
      continue;
    }
    char text[256] = {0};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    const bool grey = state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED));
    printFact("menuItem", std::to_string(i + 1) + " " + quoted(text) + (grey ? " grey" : ""));
  }
}

// Runs inside the menu's own loop, which dispatches our thread's timers and reads keys from the
// thread's queue.
void CALLBACK onMenuTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  gMenuTimer = 0;
  HWND menu = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findMenu, reinterpret_cast<LPARAM>(&menu));
  if (!menu) return;
  if (gAnswerMenu == kDismissQuietly) {
    EndMenu();
    return;
  }
  printMenuItems(menu);
  if (gAnswerMenu == 0) {
    printFact("input", "menu dismissed");
    EndMenu();
    return;
  }
  printFact("input", "menu item " + std::to_string(gAnswerMenu));
  for (int i = 0; i <= gAnswerMenu; ++i) {
    const WPARAM key = i < gAnswerMenu ? VK_DOWN : VK_RETURN;
    PostMessageA(menu, WM_KEYDOWN, key, 1);
    PostMessageA(menu, WM_KEYUP, key, 0xC0000001);
  }
}

void mouse(HWND window, UINT message, WPARAM buttons, int x, int y) {
  SendMessageA(window, message, buttons, MAKELPARAM(x, y));
}

bool allZero(const std::vector<uint32_t>& words) {
  for (uint32_t word : words)
    if (word) return false;
  return true;
}

// BGRA rows, bottom row first, from a window without GL.
bool readWithGdi(HDC dc, int width, int height, std::vector<uint32_t>& pixels, std::string& error) {
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  bool ok = BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY) != FALSE;
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up, as GL gives them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ok = ok && GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  if (!ok) error = "reading the window's pixels failed";
  return ok;
}

// Under Wine a GL child window draws into an offscreen drawable that the screen never shows, so
// the pixels are read through a context of ours on the plug-in's own pixel format.
bool readWithGl(HDC dc, int format, int width, int height, std::vector<uint32_t>& pixels,
                std::string& error) {
  PIXELFORMATDESCRIPTOR description = {};
  DescribePixelFormat(dc, format, sizeof description, &description);
  if (!(description.dwFlags & PFD_SUPPORT_OPENGL))
    return readWithGdi(dc, width, height, pixels, error);
  HGLRC context = wglCreateContext(dc);
  if (!context) {
    error = lastError("wglCreateContext");
    return false;
  }
  HDC previousDc = wglGetCurrentDC();
  HGLRC previousContext = wglGetCurrentContext();
  if (!wglMakeCurrent(dc, context)) {
    error = lastError("wglMakeCurrent");
    wglDeleteContext(context);
    return false;
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const auto read = [&](GLenum buffer) {
    glReadBuffer(buffer);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  };
  // After a swap the back buffer may be undefined; an all-zero read means nothing is there.
  const bool doubleBuffered = (description.dwFlags & PFD_DOUBLEBUFFER) != 0;
  read(doubleBuffered ? GL_BACK : GL_FRONT);
  if (doubleBuffered && allZero(pixels)) read(GL_FRONT);
  const GLenum glError = glGetError();
  wglMakeCurrent(previousDc, previousContext);
  wglDeleteContext(context);
  if (glError != GL_NO_ERROR) {
    error = "glReadPixels failed, GL error " + hex(glError, false);
    return false;
  }
  return true;
}

}  // namespace

bool EditorHost::supported() { return true; }

bool EditorHost::realInputSupported() { return false; }

void EditorHost::useRealInput(bool) {}

EditorHost::~EditorHost() { destroy(); }

bool EditorHost::create(const std::string& title, int width, int height, std::string& error) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  static ATOM windowClass = 0;
  if (!windowClass) {
    WNDCLASSEXA description = {};
    description.cbSize = sizeof description;
    description.lpfnWndProc = hostProcedure;
    description.hInstance = instance;
    description.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
    description.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    description.lpszClassName = kClassName;
    windowClass = RegisterClassExA(&description);
    if (!windowClass) {
      error = lastError("RegisterClassEx");
      return false;
    }
  }
  // A fixed size, since the editor's is; the children clipped so our background never covers it.
  const DWORD style = (WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME) | WS_CLIPCHILDREN;
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND window = CreateWindowExA(0, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  if (!window) {
    error = lastError("CreateWindowEx");
    return false;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  window_ = window;
  return true;
}

void* EditorHost::editorWindow() const {
  return window_ ? GetWindow(static_cast<HWND>(window_), GW_CHILD) : nullptr;
}

bool EditorHost::resize(int width, int height, std::string& error) {
  HWND window = static_cast<HWND>(window_);
  if (!window) {
    error = "no window";
    return false;
  }
  // The frame around a client area of the size asked for; measured again after the move, since
  // a caption that wraps or a system's own frame can make it differ from what AdjustWindowRectEx
  // says.
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
  int nowWidth = 0, nowHeight = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
      error = lastError("SetWindowPos");
      return false;
    }
    clientSize(nowWidth, nowHeight);
    if (nowWidth == width && nowHeight == height) return true;
    outerWidth += width - nowWidth;
    outerHeight += height - nowHeight;
  }
  error = "still " + std::to_string(nowWidth) + "x" + std::to_string(nowHeight);
  return false;
}

bool EditorHost::clientSize(int& width, int& height) const {
  RECT client = {};
  if (!window_ || !GetClientRect(static_cast<HWND>(window_), &client)) return false;
  width = client.right;
  height = client.bottom;
  return true;
}

void EditorHost::run(const std::function<bool()>& tick) {
  gTick = &tick;
  gInTick = false;
  gDone = false;
  gClosedByUser = &closedByUser_;
  SetTimer(static_cast<HWND>(window_), kTickTimer, kTickMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  KillTimer(static_cast<HWND>(window_), kTickTimer);
  gTick = nullptr;
  gClosedByUser = nullptr;
}

void EditorHost::click(int x, int y) {
  HWND target = static_cast<HWND>(editorWindow());
  mouse(target, WM_MOUSEMOVE, 0, x, y);
  mouse(target, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  mouse(target, WM_LBUTTONUP, 0, x, y);
}

void EditorHost::doubleClick(int x, int y) {
  HWND target = static_cast<HWND>(editorWindow());
  mouse(target, WM_MOUSEMOVE, 0, x, y);
  mouse(target, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  mouse(target, WM_LBUTTONUP, 0, x, y);
  mouse(target, WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
  mouse(target, WM_LBUTTONUP, 0, x, y);
}

void EditorHost::drag(int x, int y, int dx, int dy) {
  HWND target = static_cast<HWND>(editorWindow());
  // A menu's own loop would keep the press's send from returning until someone closes it.
  gAnswerMenu = kDismissQuietly;
  gMenuTimer = SetTimer(nullptr, 0, kMenuWaitMs, onMenuTimer);
  mouse(target, WM_MOUSEMOVE, 0, x, y);
  mouse(target, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  for (int step = 1; step <= kDragSteps; ++step)
    mouse(target, WM_MOUSEMOVE, MK_LBUTTON, x + dx * step / kDragSteps, y + dy * step / kDragSteps);
  mouse(target, WM_LBUTTONUP, 0, x + dx, y + dy);
  if (gMenuTimer) KillTimer(nullptr, gMenuTimer);
  gMenuTimer = 0;
}

void EditorHost::wheel(int x, int y, int notches) {
  HWND target = static_cast<HWND>(editorWindow());
  POINT point = {x, y};
  ClientToScreen(target, &point);
  SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA),
               MAKELPARAM(point.x, point.y));
}

void EditorHost::rightClick(int x, int y, int answerMenu) {
  HWND target = static_cast<HWND>(editorWindow());
  gAnswerMenu = answerMenu;
  // Armed first: a menu opened by either button message keeps its send from returning.
  gMenuTimer = SetTimer(nullptr, 0, kMenuWaitMs, onMenuTimer);
  mouse(target, WM_MOUSEMOVE, 0, x, y);
  mouse(target, WM_RBUTTONDOWN, MK_RBUTTON, x, y);
  mouse(target, WM_RBUTTONUP, 0, x, y);
  // Back before the timer: no menu stayed open, and none must be closed later by mistake.
  if (gMenuTimer) KillTimer(nullptr, gMenuTimer);
  gMenuTimer = 0;
}

namespace {

// The plug-in's window as it is now, as top-down RGB bytes.
bool readEditor(HWND target, std::vector<uint8_t>& rgb, int& width, int& height,
                std::string& error) {
  RECT client = {};
  GetClientRect(target, &client);
  width = client.right;
  height = client.bottom;
  if (width <= 0 || height <= 0) {
    error = "the plug-in's window is empty";
    return false;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC dc = GetDC(target);
  // The plug-in set its pixel format when it first painted; a window without one has no GL.
  const int format = GetPixelFormat(dc);
  const bool ok = format ? readWithGl(dc, format, width, height, pixels, error)
                         : readWithGdi(dc, width, height, pixels, error);
  ReleaseDC(target, dc);
  if (!ok) return false;
  // Bottom-up BGRA words to top-down RGB bytes.
  rgb.resize(pixels.size() * 3);
  uint8_t* out = rgb.data();
  for (int row = height - 1; row >= 0; --row) {
    for (int column = 0; column < width; ++column) {
      const uint32_t word = pixels[static_cast<size_t>(row) * width + column];
      *out++ = static_cast<uint8_t>(word >> 16);
      *out++ = static_cast<uint8_t>(word >> 8);
      *out++ = static_cast<uint8_t>(word);
    }
  }
  return true;
}

}  // namespace

bool EditorHost::capture(std::vector<uint8_t>& rgb, int& width, int& height, std::string& error) {
  HWND target = static_cast<HWND>(editorWindow());
  if (!target) {
    error = "the plug-in has no window in ours";
    return false;
  }
  RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  pumpFor(kPaintWaitMs);
  return readEditor(target, rgb, width, height, error);
}

bool EditorHost::hasFrame() {
  HWND target = static_cast<HWND>(editorWindow());
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;
  std::string error;
  if (!target || !readEditor(target, rgb, width, height, error)) return false;
  for (size_t i = 3; i + 2 < rgb.size(); i += 3)
    if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2]) return true;
  return false;
}

// A Win32 host cannot see another window's drawing; the count stays unknown.
bool EditorHost::xembed(bool, long&, long&) { return false; }

void EditorHost::countFrames() {}
int EditorHost::framesCounted() const { return -1; }

void EditorHost::destroy() {
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  window_ = nullptr;
}

void EditorHost::pump(int ms) { pumpFor(static_cast<DWORD>(ms)); }

int EditorHost::childCount() const {
  int count = 0;
  for (HWND child = window_ ? GetWindow(static_cast<HWND>(window_), GW_CHILD) : nullptr; child;
       child = GetWindow(child, GW_HWNDNEXT))
    ++count;
  return count;
}
