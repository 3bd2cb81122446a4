#pragma once
// A minimal PNG writer for the companion command: 8-bit RGBA, no filtering,
// one IDAT chunk.

#include <cstdint>
#include <string>

#include "pictures/picture.h"
#include "surface/surface.h"

namespace ris::tool {

// The picture as PNG file bytes (colour type 6, straight alpha), deflated
// at zlib's `level` (1, fastest, for a picture shown at once and dropped).
std::string EncodePng(const PixelImage& image, int level = 6);

// A presented frame as an opaque picture: the surface's fourth byte is
// unused.
PixelImage OpaqueImage(const Surface& frame);

// The picture as a PAM file (P7, RGB_ALPHA, maxval 255).
std::string EncodePam(const PixelImage& image);

}  // namespace ris::tool
