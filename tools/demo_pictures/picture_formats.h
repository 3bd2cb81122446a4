#pragma once
// The file formats of the demo pictures, written from scratch so that the
// repository holds no binary pictures and the saver's decoders get
// independently made input.

#include <string>

#include "image.h"

namespace ris::demo {

// PNG, 8 bits per channel: RGB, or RGBA with `with_alpha`. Each row gets the
// filter that suits it best, so every filter type occurs.
std::string EncodePng(const Image& image, bool with_alpha);

// Windows bitmap, 24 bits per pixel, rows bottom-up; alpha is dropped.
std::string EncodeBmp24(const Image& image);

// Targa, 32 bits per pixel with alpha, run-length encoded, rows top-down.
std::string EncodeTga32(const Image& image);

// Binary PPM (P6), 8 bits per channel; alpha is dropped.
std::string EncodePpm(const Image& image);

}  // namespace ris::demo
