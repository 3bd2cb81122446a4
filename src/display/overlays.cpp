#include "display/overlays.h"

#include "base/conversions.h"

namespace ris {
namespace {

// Where an overlay's text goes: its cell's top-left corner at (X, 0), its
// shadow Offset pixels right of and below that.
struct TextPlace {
  std::int32_t X = 0;
  std::int32_t Offset = 0;
};

TextPlace ClockPlace(TCanvas& canvas, std::int32_t client_width, std::string_view text) {
  return {SaturateToInt32(std::int64_t{client_width} - canvas.TextWidth(text) - 2), 2};
}

constexpr TextPlace kSetNamePlace{0, 1};

void WriteWithShadow(TCanvas& canvas, TextPlace place, std::string_view text, TColor colour) {
  canvas.Font.Color = clBlack;
  canvas.TextOut(SaturatingAdd(place.X, place.Offset), place.Offset, text);
  canvas.Font.Color = colour;
  canvas.TextOut(place.X, 0, text);
}

SurfaceRect BoundsWithShadow(const TCanvas& canvas, TextPlace place, std::string_view text) {
  const SurfaceRect text_bounds = canvas.TextBounds(place.X, 0, text);
  return BoundingBox(text_bounds, Offset(text_bounds, place.Offset, place.Offset));
}

}  // namespace

void DrawClockOverlay(TCanvas& canvas, const TFont& font, std::int32_t client_width, std::string_view text) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::Utf8;
  WriteWithShadow(canvas, ClockPlace(canvas, client_width, text), text, clWhite);
}

SurfaceRect ClockOverlayBounds(TCanvas& canvas, const TFont& font, std::int32_t client_width,
                               std::string_view text) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::Utf8;
  return BoundsWithShadow(canvas, ClockPlace(canvas, client_width, text), text);
}

void DrawSetNameOverlay(TCanvas& canvas, const TFont& font, std::string_view name) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::ProductCodePage;
  WriteWithShadow(canvas, kSetNamePlace, name, font.Color);
}

SurfaceRect SetNameOverlayBounds(TCanvas& canvas, const TFont& font, std::string_view name) {
  canvas.Font = font;
  canvas.Encoding = TextEncoding::ProductCodePage;
  return BoundsWithShadow(canvas, kSetNamePlace, name);
}

}  // namespace ris
