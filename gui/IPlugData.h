#pragma once

#include <cstdint>

#include "dxblit/Texture.h"

namespace Mintwerk {

struct Font;

// The controls' only view of the plug-in: values and their texts, edit gestures, MIDI learn,
// and the drawing resources they share.
class IPlugData {
 public:
  virtual ~IPlugData() = default;
  virtual void setEditing(int32_t index, bool begin) = 0;
  virtual void setValue(int32_t index, float value) = 0;
  virtual void resetToDefault(int32_t index) = 0;
  virtual void getDefaultText(int32_t index, char* text) = 0;  // text: at least 32 bytes
  virtual void startLearn(int32_t index) = 0;
  virtual void unlearn(int32_t index) = 0;
  virtual void cancelLearn() = 0;
  virtual int32_t getMapping(int32_t index) = 0;
  virtual bool isLearning(int32_t index) = 0;
  // The value the editor shows; with text (at least 32 bytes), also its display text and label.
  virtual float getValue(int32_t index, char* text) = 0;
  virtual DXBlit::StaticTexture* getSpriteTexture() = 0;
  virtual Font* getFont(int which) = 0;  // 0: small, 1: large
  virtual uint32_t getTextColour() = 0;
};

}  // namespace Mintwerk
