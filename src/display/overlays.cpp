#include "display/overlays.h"

#include "base/conversions.h"

namespace ris {
namespace {

// Where an overlay's text goes: its cell's top-left corner at (X, Y), its
// shadow Offset pixels right of and below that.
struct TextPlace {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Offset = 0;
};

TextPlace ClockPlace(TCanvas& canvas, SurfaceRect area, std::string_view text) {
  return {SaturateToInt32(std::int64_t{area.Right} - canvas.TextWidth(text) - 2), area.Top, 2};
}

TextPlace SetNamePlace(SurfaceRect area) { return {area.Left, area.Top, 1}; }

void WriteWithShadow(TCanvas& canvas, TextPlace place, std::string_view text, TColor colour) {
  canvas.Font.Color = clBlack;
  canvas.TextOut(SaturatingAdd(place.X, place.Offset), SaturatingAdd(place.Y, place.Offset), text);
  canvas.Font.Color = colour;
  canvas.TextOut(place.X, place.Y, text);
}

SurfaceRect BoundsWithShadow(const TCanvas& canvas, TextPlace place, std::string_view text) {
  const SurfaceRect text_bounds = canvas.TextBounds(place.X, place.Y, text);
  return BoundingBox(text_bounds, Offset(text_bounds, place.Offset, place.Offset));
}

}  // namespace

void DrawClockOverlay(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view text) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::Utf8;
  WriteWithShadow(canvas, ClockPlace(canvas, area, text), text, clWhite);
}

SurfaceRect ClockOverlayBounds(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view text) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::Utf8;
  return BoundsWithShadow(canvas, ClockPlace(canvas, area, text), text);
}

void DrawSetNameOverlay(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view name) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::ProductCodePage;
  WriteWithShadow(canvas, SetNamePlace(area), name, font.Color);
}

SurfaceRect SetNameOverlayBounds(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view name) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::ProductCodePage;
  return BoundsWithShadow(canvas, SetNamePlace(area), name);
}

}  // namespace ris
