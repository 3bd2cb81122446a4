#include "display/background_layout.h"

#include "base/rounding.h"

namespace ris {
namespace {

PixelSize ScaledToFit(PixelSize surface, PixelSize picture) noexcept {
  // Ratios and scale are single precision, as the positions are; the
  // products are rounded from wider values, halves to even.
  const float screen_ratio = static_cast<float>(surface.Width) / static_cast<float>(surface.Height);
  const float picture_ratio = static_cast<float>(picture.Width) / static_cast<float>(picture.Height);
  const float scale = picture_ratio >= screen_ratio
                          ? static_cast<float>(surface.Width) / static_cast<float>(picture.Width)
                          : static_cast<float>(surface.Height) / static_cast<float>(picture.Height);
  const auto scaled = [scale](std::int32_t side) {
    return static_cast<std::int32_t>(RoundHalfEven(static_cast<long double>(side) * scale));
  };
  return {scaled(picture.Width), scaled(picture.Height)};
}

}  // namespace

std::optional<SurfaceRect> BackgroundRect(PixelSize surface, PixelSize picture,
                                          bool stretch_small_images) noexcept {
  if (surface.Width <= 0 || surface.Height <= 0 || picture.Width <= 0 || picture.Height <= 0) {
    return std::nullopt;
  }
  const bool fits = picture.Width <= surface.Width && picture.Height <= surface.Height;
  const PixelSize size = (fits && !stretch_small_images) ? picture : ScaledToFit(surface, picture);
  // Integer halves truncate toward zero, so a target wider than the
  // surface by an odd amount sits one pixel further right than left.
  const std::int32_t left = (surface.Width - size.Width) / 2;
  const std::int32_t top = (surface.Height - size.Height) / 2;
  return SurfaceRect{left, top, left + size.Width, top + size.Height};
}

PixelSize BackgroundStretchSize(PixelSize surface, PixelSize picture, bool stretch_small_images) noexcept {
  const auto rect = BackgroundRect(surface, picture, stretch_small_images);
  if (!rect) return {};
  return {rect->Right - rect->Left, rect->Bottom - rect->Top};
}

}  // namespace ris
