#pragma once
// The decoders behind ConvertCameraPicture, one a format, each from the
// library of the platform ris runs on: libheif, libavif and libjxl on
// Linux, the system's Windows Imaging Component codecs on Windows, libwebp
// on both. Each gives the picture upright, as its format says it is shown,
// and asks SizeRefusal before it decodes a pixel.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "camera_formats.h"
#include "pictures/picture.h"

namespace ris::tool {

using CameraDecode = Result<PixelImage, std::string>;

CameraDecode DecodeHeif(std::string_view bytes);
CameraDecode DecodeAvif(std::string_view bytes);
CameraDecode DecodeWebP(std::string_view bytes);
CameraDecode DecodeJpegXl(std::string_view bytes);

// Why a picture of the declared size is not decoded from `file_size`
// bytes, or nothing when it may be.
std::optional<std::string> SizeRefusal(std::size_t file_size, std::int64_t width, std::int64_t height);

}  // namespace ris::tool
