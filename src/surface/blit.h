#pragma once
// One-to-one drawing of a picture on the back surface, clipped, with an
// optional colour key that makes matching pixels transparent.

#include <cstdint>
#include <optional>
#include <span>

#include "pictures/picture.h"
#include "surface/surface.h"

namespace ris {

// The part of a width x height block placed with its top-left corner at
// (x, y) that lies on a surface: where it starts in the block and on the
// surface, and its size. Coordinates are 64-bit so that no placement, however
// far off the surface, can overflow.
struct ClippedBlock {
  std::int64_t SourceX = 0;  // 64-bit: a block may start 2^31 pixels left of the surface
  std::int64_t SourceY = 0;
  std::int32_t TargetX = 0;
  std::int32_t TargetY = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;

  bool Empty() const noexcept { return Width <= 0 || Height <= 0; }
};

ClippedBlock ClipToSurface(std::int64_t x, std::int64_t y, std::int64_t width,
                           std::int64_t height, std::int32_t surface_width,
                           std::int32_t surface_height) noexcept;

// The same for the part that lies in `clip` (itself within a surface).
ClippedBlock ClipToRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                        SurfaceRect clip) noexcept;

// Lays ink over a pixel by its coverage: 0 leaves the pixel, 255 gives the
// ink's colour, values between mix the two. The fourth byte is left as it
// is: the display ignores it and whoever filled the surface chose it.
void BlendInk(Bgra& pixel, Bgra ink, unsigned coverage) noexcept;

// Copies `from` onto the start of `to` (at least as long). With a key
// (0x00BBGGRR), pixels whose red, green and blue equal the key's are left
// out; alpha takes no part in the comparison.
void CopyPixelRow(std::span<const Bgra> from, std::span<Bgra> to,
                  std::optional<ColourValue> key) noexcept;

// Draws `picture` with its top-left pixel at (x, y), clipped to the surface
// and to `clip`: the pixels inside `clip` come out as drawing it whole would
// leave them, those outside are not touched.
void DrawPicture(Surface& surface, const PixelImage& picture, std::int32_t x, std::int32_t y,
                 std::optional<ColourValue> key, SurfaceRect clip = kUnclipped) noexcept;

}  // namespace ris
