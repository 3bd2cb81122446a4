// ris pack reads the EXIF block of every JPEG a maker puts in a product,
// from cameras and editors of every kind. Beyond not crashing: a tag found
// lies inside the file, and writing a value there reads back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string jpeg(reinterpret_cast<const char*>(data), size);
  const auto tag = ris::tool::FindExifOrientation(jpeg);
  if (!tag) return 0;
  if (tag->Offset + 2 > jpeg.size()) std::abort();
  ris::tool::SetExifOrientation(jpeg, *tag, 1);
  const auto again = ris::tool::FindExifOrientation(jpeg);
  if (!again || again->Value != 1 || again->Offset != tag->Offset) std::abort();
  return 0;
}
