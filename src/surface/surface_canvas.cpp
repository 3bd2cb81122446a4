#include "surface/surface_canvas.h"

#include "surface/text_renderer.h"

namespace ris {

std::int32_t TCanvas::TextWidth(std::string_view text) const { return text_.TextWidth(Font, text, Encoding); }

SurfaceRect TCanvas::TextBounds(std::int32_t x, std::int32_t y, std::string_view text) const {
  return Offset(text_.InkBounds(Font, text, Encoding), x, y);
}

void TCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  text_.DrawText(surface_, Font, x, y, text, Encoding, ColorToRGB(Font.Color));
}

}  // namespace ris
