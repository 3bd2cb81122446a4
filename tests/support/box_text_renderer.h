#pragma once
// A text renderer for tests whose output is easy to predict: every byte is a
// solid box, whatever the text's encoding, `kAdvance` pixels wide and as tall as the font's height, so a
// test can tell where a text went and in which colour without a real font.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "surface/text_renderer.h"

namespace ris {

class BoxTextRenderer : public TextRenderer {
 public:
  static constexpr std::int32_t kAdvance = 6;

  struct Call {
    std::string Text;
    std::int32_t X;
    std::int32_t Y;
    ColourValue Colour;
    TFont Font;
    TextEncoding Encoding;
  };

  std::int32_t TextWidth(const TFont&, std::string_view text, TextEncoding) override { return Width(text); }

  SurfaceRect InkBounds(const TFont& font, std::string_view text, TextEncoding) override {
    return BlockRect(0, 0, Width(text), Height(font));
  }

  void DrawText(Surface& surface, const TFont& font, std::int32_t x, std::int32_t y,
                std::string_view text, TextEncoding encoding, ColourValue colour) override {
    Calls.push_back({std::string(text), x, y, colour, font, encoding});
    const std::int32_t height = Height(font);
    const std::int64_t right = std::int64_t{x} + Width(text);
    for (std::int64_t row = y; row < std::int64_t{y} + height; ++row) {
      if (row < 0 || row >= surface.Height()) continue;
      for (std::int64_t column = x; column < right; ++column) {
        if (column < 0 || column >= surface.Width()) continue;
        surface.Row(static_cast<std::int32_t>(row))[static_cast<std::size_t>(column)] =
            BgraFromColour(colour);
      }
    }
  }

  void Flush() override { ++Flushes; }

  static std::int32_t Width(std::string_view text) { return static_cast<std::int32_t>(text.size()) * kAdvance; }
  static std::int32_t Height(const TFont& font) { return font.Height < 0 ? -font.Height : font.Height; }

  std::vector<Call> Calls;
  int Flushes = 0;
};

}  // namespace ris
