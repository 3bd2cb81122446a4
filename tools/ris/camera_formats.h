#pragma once
// Pictures in the formats phones and cameras write today (HEIC/HEIF, AVIF,
// WebP, JPEG XL), which no decoder of the saver reads. ris converts them to
// what the saver shows: JPEG of quality 90 for a photo, PNG for a picture
// with transparency, upright as the file says it is to be shown.
//
// The work a conversion costs follows from the file: a size its header
// declares is refused before anything is decoded when it is beyond the
// saver's limits (picture.h) or beyond what so few bytes can hold, and a
// broken file gives a message, never a crash.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "background_size.h"
#include "base/result.h"

namespace ris::tool {

enum class CameraFormat { Heif, Avif, WebP, JpegXl };

// The format the file's signature names, or nothing for any other file.
std::optional<CameraFormat> CameraFormatOf(std::string_view bytes);

// "HEIC", "AVIF", "WebP", "JPEG XL".
std::string_view CameraFormatName(CameraFormat format);
// The format's usual file extension: "heic", "avif", "webp", "jxl".
std::string_view CameraFormatExtension(CameraFormat format);

// The picture decoded, upright, stored anew as JPEG or PNG; or why not.
// A picture of more than `most_pixels` is refused before it is decoded.
Result<StoredPicture, std::string> ConvertCameraPicture(CameraFormat format, std::string_view bytes,
                                                        std::int64_t most_pixels = kMaxPicturePixels);

}  // namespace ris::tool
