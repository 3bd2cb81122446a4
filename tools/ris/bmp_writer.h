#pragma once
// Pictures as 24-bit Windows bitmaps, the one format NSIS's wizard shows.

#include <string>

#include "pictures/picture.h"

namespace ris::tool {

// The picture as BMP file bytes: 24 bits a pixel, rows bottom up, each
// padded to four bytes. Transparent pixels are laid over white, the
// wizard's own background.
std::string EncodeBmp(const PixelImage& image);

}  // namespace ris::tool
