// Text drawn with FreeType's anti-aliased glyphs, pen positions on whole pixels.
#pragma once

#include <string>

#include "Canvas.h"

namespace Artwork {

extern const char* const kRegularFontPath;
extern const char* const kBoldFontPath;

class Font {
 public:
  // `tracking` adds space between letters, in pixels. Throws std::runtime_error when the font
  // can't be loaded.
  Font(const std::string& path, double pixelSize, double tracking = 0);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  int width(const std::string& text) const;  // advance in pixels, kerning included
  void draw(Canvas& canvas, int x, int baseline, const std::string& text, Rgba colour) const;
  void drawCentred(Canvas& canvas, double centreX, int baseline, const std::string& text,
                   Rgba colour) const;

 private:
  struct Handles;
  void release();

  Handles* handles_;
  long tracking_;
};

}  // namespace Artwork
