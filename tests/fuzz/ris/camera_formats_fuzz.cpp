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

namespace {

// The format's library, the converted pixels, the JPEG encoder and the
// saver's decoder of the result each hold a copy: at the saver's own limit
// that is beyond the 512 MB a fuzz input may take, so the target refuses
// more than a sixteenth of it. The refusal is the same code either way.
constexpr std::int64_t kMostPixels = ris::kMaxPicturePixels / 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto format = ris::tool::CameraFormatOf(bytes);
  if (!format) return 0;
  const auto converted = ris::tool::ConvertCameraPicture(*format, bytes, kMostPixels);
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
