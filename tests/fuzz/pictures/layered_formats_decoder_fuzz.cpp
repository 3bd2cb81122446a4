// GIF, SGI and Photoshop pictures come from the data archive, which
// anyone may have replaced. Whatever the bytes, decoding must end in pixels
// of the promised size or an error with a message: never a crash, a hang or
// an allocation beyond the picture limits. The first byte picks the decoder,
// so that each sees its own format's near misses.
#include <cstddef>
#include <cstdint>

#include "decode_checks.h"
#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto gif = ris::MakeGifDecoder();
  static const auto sgi = ris::MakeSgiDecoder();
  static const auto psd = ris::MakePhotoshopDecoder();
  if (size == 0) return 0;
  const ris::ByteSpan bytes(data, size);
  const ris::ImageDecoder& decoder = data[0] == 'G' ? *gif : data[0] == '8' ? *psd : *sgi;
  ris::fuzzing::DecodeAndCheck(decoder, bytes);
  return 0;
}
