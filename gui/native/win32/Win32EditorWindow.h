// The editor's native Win32 window: a child of the host's window that turns window messages into
// reports to the editor's root (pointer events, ticks of a 10 ms timer, paints, the menu's end
// and choice, its own end) and offers the GL device, the mouse capture, menus, questions and
// repaint.
#pragma once

#include "dxblit/Device.h"
#include "gui/native/NativeWindow.h"

namespace Mintwerk {

class Win32EditorWindow : public NativeWindow {
 public:
  Win32EditorWindow(uint32_t width, uint32_t height, void* parentWindow);
  ~Win32EditorWindow() override;

  void attach(WindowClient* windowClient) override { client = windowClient; }
  void setTicking(bool on) override;
  // On the window's thread the window is destroyed at once. Another thread's window is handed to
  // the system's default procedure, which closes it on its own thread; this object is then left
  // behind rather than freed under that thread.
  void dispose() override;

  void invalidate() override;
  void grabPointer() override;
  void releasePointer() override;
  bool holdsPointer() override;
  bool canShowMenu() override { return hwnd != nullptr; }
  // Returns when the menu has closed; its choice comes afterwards as a command message.
  // The system's menu, drawn at the system's own scale.
  int showMenu(const std::vector<MenuEntry>& entries, int x, int y, float scale) override;
  // On another thread the size is posted to the window's own.
  void resize(uint32_t width, uint32_t height) override;
  bool confirm(const char* caption, const char* text) override;
  void render(DXBlit::Scene& scene, float scale) override;
  void paintBlack() override;
  void releaseResources() override;

  void* getHandle() const { return hwnd; }
  WindowClient* getClient() const { return client; }
  // The window procedure's way in: finds the object of a native window and has it handle the
  // message.
  static intptr_t receive(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);
  intptr_t handleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

 private:
  // Keeps the object while its code is on the stack: a window destroyed meanwhile (by the host
  // from one of its callbacks, or inside a menu's loop) is deleted when the outermost hold ends.
  class Hold;

  void paint();
  bool handleMouse(unsigned message, uintptr_t wParam, intptr_t lParam);
  void windowDestroyed();

  WindowClient* client = nullptr;  // owned: the editor's root, with its tree
  bool ownerGone = false;          // its end is told, or the owner let go of the window
  bool ticking = false;
  void* hwnd = nullptr;
  DXBlit::Device* device = nullptr;
  bool menuOpen = false;  // the system's menu loop runs
  int holds = 0;
  bool windowGone = false;  // the native window is destroyed; the object awaits its last hold
};

}  // namespace Mintwerk
