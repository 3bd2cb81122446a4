// PNG pictures come from the data archive, which anyone may have replaced.
// Whatever the bytes, decoding must end in a picture of the size its header
// gave or in a message, never a crash, a hang or an allocation beyond the
// limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = ris::MakePngDecoder();
  const ris::ByteSpan bytes(data, size);
  const bool recognised = decoder->Recognises(bytes);
  const auto picture = decoder->Decode(bytes);
  if (!picture) {
    if (picture.error().Message.empty()) std::abort();
    return 0;
  }
  if (!recognised || picture->Empty()) std::abort();
  const auto pixels = picture->Pixels();
  if (!pixels) std::abort();  // decoded eagerly: the pixels are there
  const ris::PixelImage& image = **pixels;
  if (image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height)) {
    std::abort();
  }
  return 0;
}
