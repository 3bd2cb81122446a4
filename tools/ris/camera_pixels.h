#pragma once
// Pixels as the picture libraries hand them over, made the engine's
// PixelImage, and turned as a file's orientation asks.

#include <cstddef>
#include <cstdint>

#include "pictures/picture.h"

namespace ris::tool {

// Rows of 8-bit R, G, B, A, `stride` bytes apart. The size must be allowed.
PixelImage FromRgbaRows(const std::uint8_t* rows, std::size_t stride, std::int32_t width, std::int32_t height,
                        bool has_alpha);

// The picture turned `quarters` times 90 degrees clockwise, mirrored left
// to right first when `mirror`; one as it stands is handed back.
PixelImage Turned(PixelImage picture, bool mirror, int quarters);

// The picture upright as an EXIF orientation value (1..8) asks; any other
// value leaves it as it is.
PixelImage UprightByExif(PixelImage picture, int orientation);

}  // namespace ris::tool
