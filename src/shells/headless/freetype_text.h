#pragma once
// Text off Windows: fontconfig picks the face a stored font names, FreeType
// measures and rasterises it, sized and laid out as GDI would so that an
// overlay keeps the place and size it has on Windows.

#include <cstdint>
#include <memory>
#include <string_view>

#include "surface/text_renderer.h"

namespace ris {

class FreeTypeTextRenderer : public TextRenderer {
 public:
  FreeTypeTextRenderer();
  ~FreeTypeTextRenderer() override;
  FreeTypeTextRenderer(const FreeTypeTextRenderer&) = delete;
  FreeTypeTextRenderer& operator=(const FreeTypeTextRenderer&) = delete;

  // A font no face is found for measures 0 and draws nothing.
  std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) override;
  void DrawText(Surface& surface, const TFont& font, std::int32_t x, std::int32_t y,
                std::string_view text, TextEncoding encoding, ColourValue colour) override;
  SurfaceRect InkBounds(const TFont& font, std::string_view text, TextEncoding encoding) override;

  // The height of the font's character cell, as GDI's text metrics give it.
  std::int32_t LineHeight(const TFont& font);

 private:
  // FreeType and fontconfig stay out of this header: the engine's code that
  // includes it must not need their headers.
  class Faces;
  std::unique_ptr<Faces> faces_;
};

}  // namespace ris
