#include "display/overlays.h"

#include "base/conversions.h"

namespace ris {
namespace {

void WriteWithShadow(TCanvas& canvas, std::int32_t x, std::int32_t offset, const std::string& text,
                     TColor colour) {
  canvas.Font.Color = clBlack;
  canvas.TextOut(SaturatingAdd(x, offset), offset, text);
  canvas.Font.Color = colour;
  canvas.TextOut(x, 0, text);
}

}  // namespace

void DrawClockOverlay(TCanvas& canvas, const TFont& font, std::int32_t client_width,
                      const std::string& text) {
  canvas.Font = font;
  const std::int64_t x = std::int64_t{client_width} - canvas.TextWidth(text) - 2;
  WriteWithShadow(canvas, SaturateToInt32(x), 2, text, clWhite);
}

void DrawSetNameOverlay(TCanvas& canvas, const TFont& font, const std::string& name) {
  canvas.Font = font;
  WriteWithShadow(canvas, 0, 1, name, font.Color);
}

}  // namespace ris
