#pragma once
// Writing a picture as a baseline JPEG, through libjpeg-turbo's TurboJPEG
// API: what `ris add` stores for a photo it had to shrink.

#include <string>

#include "pictures/picture.h"

namespace ris::tool {

// The picture's colour as JPEG file bytes (4:2:0, not progressive, so that
// every decoder reads it, the saver's included). Alpha is dropped.
std::string EncodeJpeg(const PixelImage& image, int quality);

}  // namespace ris::tool
