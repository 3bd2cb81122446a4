#pragma once
// The orientation a camera records in a JPEG's EXIF block: how the stored
// pixels must be turned to stand upright. The saver shows pixels as stored,
// so ris pack turns such a photo before it is archived.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ris::tool {

// Where a JPEG's orientation tag is: its value (1 upright, 2..8 the seven
// flips and turns) and the place of that value in the file's bytes.
struct ExifOrientation {
  std::uint16_t Value = 1;
  std::size_t Offset = 0;
  bool BigEndian = false;
};

// The orientation tag of the first EXIF block before the image data, or
// nothing for a file that is not a JPEG or has none.
std::optional<ExifOrientation> FindExifOrientation(std::string_view jpeg);

// The orientation tag in the first directory of an EXIF block's TIFF data
// (from "II*\0" or "MM\0*" on, as WebP stores it); its offset counted from
// the start of that data.
std::optional<ExifOrientation> FindTiffOrientation(std::string_view tiff);

// Writes `value` over the tag found in the same bytes.
void SetExifOrientation(std::string& jpeg, const ExifOrientation& tag, std::uint16_t value);

}  // namespace ris::tool
