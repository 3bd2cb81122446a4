// ris converts photos from phones and cameras of every kind, and pictures
// a maker drops into a product by hand. Beyond not crashing or running past
// the limits: a conversion gives a JPEG or PNG that the saver's own
// decoders read, or a message saying why not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "camera_formats.h"
#include "pictures/file_format_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto format = ris::tool::CameraFormatOf(bytes);
  if (!format) return 0;
  const auto converted = ris::tool::ConvertCameraPicture(*format, bytes);
  if (!converted) {
    if (converted.error().empty()) std::abort();
    return 0;
  }
  ris::TPicture picture;
  const std::string_view name = converted->Extension == ".png" ? "converted.png" : "converted.jpg";
  if (!ris::StandardFormatList().LoadPictureFromStream(picture, ris::AsBytes(converted->Bytes), name)) std::abort();
  if (!picture.Pixels()) std::abort();
  return 0;
}
