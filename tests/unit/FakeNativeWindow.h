// A native window with nothing native: the editor's root runs over it as over a real one, and a
// test reads what the root asked of it.
#pragma once

#include "gui/EditorRoot.h"
#include "gui/native/NativeWindow.h"

namespace Mintwerk {

struct FakeNativeWindow : NativeWindow {
  ~FakeNativeWindow() override { delete client; }
  void attach(WindowClient* windowClient) override { client = windowClient; }
  void setTicking(bool) override {}
  void invalidate() override {}
  void grabPointer() override {}
  void releasePointer() override {}
  bool holdsPointer() override { return true; }
  bool canShowMenu() override { return true; }
  int showMenu(const std::vector<MenuEntry>&, int, int, float) override { return 0; }
  void resize(uint32_t newWidth, uint32_t newHeight) override {
    width = newWidth;
    height = newHeight;
  }
  bool confirm(const char*, const char*) override { return false; }
  void render(DXBlit::Scene&, float) override {}
  void paintBlack() override {}
  void releaseResources() override {}
  void dispose() override { delete this; }

  EditorRoot* root() const { return static_cast<EditorRoot*>(client); }
  WindowClient* client = nullptr;
  uint32_t width = 0, height = 0;  // what resize asked for
};

}  // namespace Mintwerk
