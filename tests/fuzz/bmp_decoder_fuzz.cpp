// Bitmaps and icons come from the data archive, which anyone may have
// replaced. Whatever the bytes, both decoders end in a picture of the size
// they promise or in an error with a message; never a crash, a hang or an
// allocation beyond the picture size limits. The first byte picks the
// decoder, so that one corpus serves both.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "media/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const auto bitmap = ris::MakeBitmapDecoder();
  static const auto icon = ris::MakeIconDecoder();
  const auto& decoder = (data[0] & 1) != 0 ? icon : bitmap;
  const auto picture = decoder->Decode(ris::ByteSpan(data + 1, size - 1));
  if (!picture) {
    if (picture.error().Message.empty()) std::abort();
    return 0;
  }
  const auto pixels = picture->Pixels();
  if (!pixels) std::abort();  // both decode at once: there is nothing deferred to fail
  const ris::PixelImage& image = **pixels;
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height)) {
    std::abort();
  }
  return 0;
}
