#include "gui/PlugFrame.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "dxblit/Shader.h"
#include "gui/EditorRoot.h"
#include "gui/EditorScale.h"
#include "gui/Image.h"
#include "gui/Menu.h"
#include "gui/PlugEditVST.h"
#include "platform/MessageBox.h"
#include "platform/WebAddress.h"
#include "plugcore/Plug.h"
#include "text/Font.h"

namespace Mintwerk {

namespace {
const char* const kSpriteSheet = "commonTextures";
// The defaults menu's size entries: the choices in order, then following the host.
constexpr int kFirstSizeItem = 10;
constexpr int kSizeItemCount = sizeof kSizeChoices / sizeof kSizeChoices[0];
constexpr int kFollowHostItem = kFirstSizeItem + kSizeItemCount;
constexpr int kFirstQualityItem = 30;  // then one for each PlugCore::Quality, in its order

// The old file stays as it was; the user asked, so the user is told.
void reportFailedSave(PlugCore::Plug& plug, const std::string& whyNot) {
  const std::string caption = std::string(plug.getName()) + " error";
  const std::string text = "The defaults were not saved.\n" + whyNot;
  Platform::messageBox(text.c_str(), caption.c_str(),
                       Platform::kMbTaskModal | Platform::kMbIconError);
}
}  // namespace

PlugFrame::PlugFrame(Container* window, PlugEditVST& bridge)
    : Container(window, 0, 0, static_cast<uint32_t>(bridge.getDescription().width),
                static_cast<uint32_t>(bridge.getDescription().height)),
      editor(bridge) {
  showLiveValues();
}

PlugFrame::~PlugFrame() {
  releaseResources();
  deleteChildren();
}

PlugCore::Plug* PlugFrame::plug() const {
  return dynamic_cast<PlugCore::Plug*>(editor.getEffect());
}

// --- the controls' view ---

void PlugFrame::setEditing(int32_t index, bool begin) {
  if (PlugCore::Plug* p = plug()) {
    if (begin)
      p->beginEdit(index);
    else
      p->endEdit(index);
  }
}

void PlugFrame::setValue(int32_t index, float value) {
  if (PlugCore::Plug* p = plug()) p->setParameterAutomated(index, value);
}

float PlugFrame::defaultOf(int32_t index) const {
  PlugCore::Plug* p = plug();
  return p && p->parameters().isValid(index)
             ? p->parameters()[static_cast<uint32_t>(index)].defaultValue
             : 0.0f;
}

void PlugFrame::resetToDefault(int32_t index) { setValue(index, defaultOf(index)); }

void PlugFrame::getDefaultText(int32_t index, char* text) {
  text[0] = 0;
  if (PlugCore::Plug* p = plug()) p->getParameterText(index, defaultOf(index), text);
}

void PlugFrame::startLearn(int32_t index) {
  if (PlugCore::Plug* p = plug()) p->startLearn(index);
}

void PlugFrame::unlearn(int32_t index) {
  if (PlugCore::Plug* p = plug()) p->unlearn(index);
}

void PlugFrame::cancelLearn() {
  if (PlugCore::Plug* p = plug()) p->cancelLearn();
}

int32_t PlugFrame::getMapping(int32_t index) {
  PlugCore::Plug* p = plug();
  return p ? p->getMapping(index) : -1;
}

bool PlugFrame::isLearning(int32_t index) {
  PlugCore::Plug* p = plug();
  return p && p->isLearning(index);
}

float PlugFrame::getValue(int32_t index, char* text) {
  const float v = editor.cachedValue(index);
  if (text) {
    text[0] = 0;
    if (PlugCore::Plug* p = plug()) p->getParameterText(index, v, text);
  }
  return v;
}

uint32_t PlugFrame::getTextColour() { return editor.getDescription().colour; }

// --- the poll ---

// The poll offers only what differs from lastShown, and lastShown may not match the cache when a
// frame is born: it starts at 0 while the cache holds whatever the effect had when the editor
// object was made, and values move while no frame polls. A value that is now 0, or back at the
// last one shown, would then be drawn and dragged from the stale cache. So a new frame takes
// every live value first; each is read once, so a change racing with this is seen by the poll.
void PlugFrame::showLiveValues() {
  PlugCore::Plug* p = plug();
  if (!p) return;
  PlugCore::ParamSet& params = p->parameters();
  for (uint32_t i = 0; i < params.count(); ++i) {
    const float v = params[i].value;
    editor.refreshValue(static_cast<int32_t>(i), std::fabs(v));
    params[i].lastShown = v;
  }
  learningShown = p->learningIndex();
}

void PlugFrame::onTimer() {
  PlugCore::Plug* p = plug();
  if (!p) return;
  PlugCore::ParamSet& params = p->parameters();
  for (uint32_t i = 0; i < params.count(); ++i) {
    const float v = params[i].value;
    const float shown = params[i].lastShown;
    if ((v < shown || v > shown) && editor.paramChanged(static_cast<int32_t>(i), v))
      params[i].lastShown = v;
  }
  // A learn that completes on the audio thread may change no value. The audio thread notifies
  // before it ends the learn, so the learn state is watched as well: a tick between the two
  // would otherwise paint "..learning.." once more and never again.
  const int32_t learning = p->learningIndex();
  if (editor.showMappingChanges(learning != learningShown)) learningShown = learning;
}

// --- drawing ---

void PlugFrame::releaseResources() {
  if (backgroundTexture) backgroundTexture->release();
  if (spriteTexture) spriteTexture->release();
  backgroundTexture = spriteTexture = nullptr;
  destroyFont(smallFont);
  destroyFont(largeFont);
  smallFont = largeFont = nullptr;
  Container::releaseResources();
}

DXBlit::StaticTexture* PlugFrame::textureFor(DXBlit::Device& device, const char* name,
                                             float scale) {
  const float density = artworkDensity(scale);
  if (density != 1.0f) {
    const std::string scaledName = std::string(name) + artworkSuffix(density);
    if (const Image* image = cachedImageResource(scaledName.c_str())) {
      DXBlit::StaticTexture* texture = image->createTexture(device);
      texture->setTexelDensity(density);
      return texture;
    }
  }
  const Image* image = cachedImageResource(name);
  return image ? image->createTexture(device) : nullptr;
}

void PlugFrame::draw(DXBlit::Context& context) {
  DXBlit::Device& device = context.getDevice();
  // Made again for a new scale: sharper artwork, and glyphs rendered at the new size. The scale
  // is the one the window's top draws at.
  const auto* root = dynamic_cast<const EditorRoot*>(parent);
  const float scale = root ? root->getScale() : editor.currentScale();
  if (scale != resourceScale) {
    releaseResources();
    resourceScale = scale;
  }
  const char* backgroundName = editor.getDescription().backgroundImage;
  // The module's own images always decode; should one not, the editor draws without it rather
  // than let the failure leave the window's paint handler.
  try {
    if (backgroundName && !backgroundTexture)
      backgroundTexture = textureFor(device, backgroundName, scale);
    if (!spriteTexture) spriteTexture = textureFor(device, kSpriteSheet, scale);
  } catch (const Image::Exception&) {
  }
  if (!smallFont) smallFont = createFont(context, "Vera", 8.0f, scale);
  if (!largeFont) largeFont = createFont(context, "Vera", 10.0f, scale);

  const float w = static_cast<float>(width), h = static_cast<float>(height);
  {
    // A host may make the window larger than the editor (its toolbar is wider): what lies
    // beyond shows the panel, not the device's clear colour. Past any window's edge.
    constexpr float kBeyond = 16384.0f;
    DXBlit::Shader shader(context, DXBlit::BlendNone, DXBlit::CombineColor);
    const uint32_t panel = editor.getDescription().panelColour | 0xFF000000;
    const DXBlit::Quad beyond[2] = {DXBlit::makeBlitQuad(w, 0, kBeyond, kBeyond, 0, 0, panel),
                                    DXBlit::makeBlitQuad(0, h, w, kBeyond, 0, 0, panel)};
    context.drawQuads(beyond, 2);
  }
  if (backgroundTexture) {
    DXBlit::Shader shader(context, DXBlit::BlendNone, DXBlit::CombineTexture, backgroundTexture);
    const DXBlit::Quad q = DXBlit::makeBlitQuad(0, 0, w, h, 0, 0, 0xFFFFFFFF);
    context.drawQuads(&q, 1);
  }
  if (spriteTexture && showLogo) {
    DXBlit::Shader shader(context, DXBlit::BlendPremultiplied, DXBlit::CombineTexture,
                          spriteTexture);
    const DXBlit::Quad q =
        DXBlit::makeBlitQuad(w - 90, h - 34, 90, 30, 422, 50, getTextColour() | 0xFF000000);
    context.drawQuads(&q, 1);
  }
  Container::draw(context);
}

// --- gestures ---

// Drags, wheel steps and the switch's toggle start from the value shown. The cache may be up to a
// tick behind a host, automation or MIDI change, so it catches up first: a gesture starts where
// the parameter is, without a jump at its first step.
bool PlugFrame::mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) {
  onTimer();
  return Container::mouseDoubleClick(x, y, button, modifiers);
}

bool PlugFrame::mouseWheel(int32_t x, int32_t y, float delta, int modifiers) {
  onTimer();
  return Container::mouseWheel(x, y, delta, modifiers);
}

// --- the defaults menu ---

bool PlugFrame::mouseDown(int32_t x, int32_t y, int button, int modifiers) {
  onTimer();  // catches up as above before a child sees the press
  if (Container::mouseDown(x, y, button, modifiers)) return true;
  const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (!(x > w - 90 && y > h - 30)) return false;
  std::unique_ptr<Menu> menu(createMenu(this));
  if (!menu) return true;
  char goTo[112];
  std::snprintf(goTo, sizeof goTo, "&Go to %s", kWebAddress);
  menu->addItem("&Save defaults...", 0, true);
  menu->addItem("&Load defaults...", 1, true);
  menu->addItem("Load &factory defaults...", 2, true);
  menu->addSeparator();
  menu->addItem(goTo, 3, true);
  menu->addSeparator();
  menu->addItem("Size", kFirstSizeItem - 1, false);
  const int chosen = editor.sizeChoice();
  for (int i = 0; i < kSizeItemCount; ++i) {
    char size[16];
    std::snprintf(size, sizeof size, "%d %%", kSizeChoices[i]);
    menu->addItem(size, kFirstSizeItem + i, true, kSizeChoices[i] == chosen);
  }
  menu->addItem("Follow the host", kFollowHostItem, true, !isSizeChoice(chosen));
  if (PlugCore::Plug* p = plug()) {
    menu->addSeparator();
    menu->addItem("Quality", kFirstQualityItem - 1, false);
    for (uint8_t q = 0; q < PlugCore::kQualityCount; ++q) {
      const auto quality = static_cast<PlugCore::Quality>(q);
      menu->addItem(PlugCore::qualityName(quality), kFirstQualityItem + q, true,
                    p->getQuality() == quality);
    }
  }
  menu->popup(w - 90, h);
  return true;
}

void PlugFrame::menuCommand(int id) {
  PlugCore::Plug* p = plug();
  if (!p) return;
  const char* caption = p->getName();
  switch (id) {
    case 0:
      confirmThen(caption,
                  "Saving new defaults for:\n - parameter values (current values) and presets\n"
                  " - MIDI mappings (current mappings)\n",
                  [p] {
                    std::string whyNot;
                    if (!p->saveDefaults(&whyNot)) reportFailedSave(*p, whyNot);
                  });
      break;
    case 1:
      confirmThen(caption, "Loading default settings and presets.",
                  [p] { p->loadDefaultsForUser(false); });
      break;
    case 2:
      confirmThen(caption, "Loading factor default settings and presets.",
                  [p] { p->loadDefaultsForUser(true); });
      break;
    case 3:
      Platform::openWebAddress(kWebAddress);
      break;
    default:
      if (id >= kFirstSizeItem && id < kFollowHostItem)
        editor.chooseSize(kSizeChoices[id - kFirstSizeItem]);
      else if (id == kFollowHostItem)
        editor.chooseSize(0);
      else if (id >= kFirstQualityItem && id < kFirstQualityItem + PlugCore::kQualityCount)
        p->setQuality(static_cast<PlugCore::Quality>(id - kFirstQualityItem));
      break;
  }
}

}  // namespace Mintwerk
