#pragma once
// Text on a surface, as a canvas offers it: a current font and colour, the
// width of a text, and text written at a point without a background box.

#include <cstdint>
#include <string_view>

#include "base/code_page.h"
#include "surface/font.h"
#include "surface/surface.h"

namespace ris {

class TextRenderer;

class TCanvas {
 public:
  TCanvas(Surface& surface, TextRenderer& text) : surface_(surface), text_(text) {}

  // The font of the next texts; its colour is the colour they are written in.
  TFont Font;
  // Whose bytes the next texts are: the product's, or the system's UTF-8.
  TextEncoding Encoding = TextEncoding::ProductCodePage;

  std::int32_t TextWidth(std::string_view text) const;
  // The pixels TextOut(x, y, text) can change.
  SurfaceRect TextBounds(std::int32_t x, std::int32_t y, std::string_view text) const;

  // Writes the text with the top-left corner of its cell at (x, y); the
  // pixels between the glyphs keep what they had.
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text);

 private:
  Surface& surface_;
  TextRenderer& text_;
};

}  // namespace ris
