// The editor's root frame: the window's only child, covering it. It is the controls' view of the
// plug-in, polls the parameters every tick, draws the background and owns the textures and
// fonts the controls draw with; its bottom-right corner opens the defaults menu.
#pragma once

#include "gui/Control.h"
#include "gui/IPlugData.h"
#include "gui/ITimerController.h"

namespace PlugCore {
class Plug;
}

namespace Mintwerk {

class PlugEditVST;

class PlugFrame : public Container, public IPlugData, public ITimerController {
 public:
  static constexpr const char* kWebAddress = "https://harrowmint.example/quorl";

  PlugFrame(Container* window, PlugEditVST& editor);
  // Releases its resources, then deletes its children while it still answers them.
  ~PlugFrame() override;

  bool hitTest(int32_t, int32_t) override { return true; }
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseWheel(int32_t x, int32_t y, float delta, int modifiers) override;
  void menuCommand(int id) override;
  void releaseResources() override;
  void draw(DXBlit::Context& context) override;

  void onTimer() override;

  void setEditing(int32_t index, bool begin) override;
  void setValue(int32_t index, float value) override;
  void resetToDefault(int32_t index) override;
  void getDefaultText(int32_t index, char* text) override;
  void startLearn(int32_t index) override;
  void unlearn(int32_t index) override;
  void cancelLearn() override;
  int32_t getMapping(int32_t index) override;
  bool isLearning(int32_t index) override;
  float getValue(int32_t index, char* text) override;
  DXBlit::StaticTexture* getSpriteTexture() override { return spriteTexture; }
  Font* getFont(int which) override { return which == 1 ? largeFont : smallFont; }
  uint32_t getTextColour() override;

  PlugEditVST& getEditor() const { return editor; }
  void setShowLogo(bool show) { showLogo = show; }

 private:
  PlugCore::Plug* plug() const;
  float defaultOf(int32_t index) const;
  void showLiveValues();
  // The image `name` drawn for the scale, as a texture sampled with 1:1 coordinates; the 1:1
  // image where the module has none for it. Null while neither is there.
  DXBlit::StaticTexture* textureFor(DXBlit::Device& device, const char* name, float scale);

  PlugEditVST& editor;
  DXBlit::StaticTexture* backgroundTexture = nullptr;
  DXBlit::StaticTexture* spriteTexture = nullptr;
  Font* smallFont = nullptr;
  Font* largeFont = nullptr;
  bool showLogo = true;
  float resourceScale = 1.0f;  // the scale the textures and fonts were made for
  int32_t learningShown = -1;  // the learning parameter as the last poll saw it
};

}  // namespace Mintwerk
