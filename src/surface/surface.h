#pragma once
// The back surface each frame is composed on: 32-bit pixels in the byte
// order of a Windows DIB section (blue, green, red, then a byte the display
// ignores), rows top to bottom with no padding, so that a platform shell can
// hand the buffer to the window system as it is.

#include <cstdint>
#include <span>
#include <vector>

#include "pictures/picture.h"
#include "surface/surface_rect.h"

namespace ris {

// A colour as the settings store it: 0x00BBGGRR, red in the lowest byte.
using ColourValue = std::uint32_t;

// The surface pixel of a colour value; the top byte of the value is ignored.
Bgra BgraFromColour(ColourValue colour) noexcept;
// The colour value of a pixel; its alpha is not part of it.
ColourValue ColourFromBgra(Bgra pixel) noexcept;

class Surface {
 public:
  Surface() = default;
  Surface(std::int32_t width, std::int32_t height);

  std::int32_t Width() const noexcept { return width_; }
  std::int32_t Height() const noexcept { return height_; }

  // A negative side counts as zero. The buffer keeps its capacity, so that
  // going back to a size seen before (a preview window resized) allocates
  // nothing. Pixels are unspecified until drawn or filled.
  void Resize(std::int32_t width, std::int32_t height);

  SurfaceRect Bounds() const noexcept { return {0, 0, width_, height_}; }

  void Fill(ColourValue colour) noexcept { Fill(colour, Bounds()); }
  // Only the part of `area` that lies on the surface.
  void Fill(ColourValue colour, SurfaceRect area) noexcept;

  std::span<Bgra> Pixels() noexcept { return pixels_; }
  std::span<const Bgra> Pixels() const noexcept { return pixels_; }
  // y must lie in [0, Height()).
  std::span<Bgra> Row(std::int32_t y) noexcept;
  std::span<const Bgra> Row(std::int32_t y) const noexcept;

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<Bgra> pixels_;
};

}  // namespace ris
