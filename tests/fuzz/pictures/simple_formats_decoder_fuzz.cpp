// Targa, PCX and portable-map pictures come from the data archive, which
// anyone may have replaced. Whatever the bytes, decoding must end in pixels
// of the promised size or an error with a message: never a crash, a hang or
// an allocation beyond the picture limits. The first byte picks the decoder,
// so that each sees its own format's near misses.
#include <cstddef>
#include <cstdint>

#include "decode_checks.h"
#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto targa = ris::MakeTargaDecoder();
  static const auto pcx = ris::MakePcxDecoder();
  static const auto portable = ris::MakePortableMapDecoder();
  if (size == 0) return 0;
  const ris::ByteSpan bytes(data, size);
  const ris::ImageDecoder& decoder = data[0] == 0x0A ? *pcx : data[0] == 'P' ? *portable : *targa;
  ris::fuzzing::DecodeAndCheck(decoder, bytes);
  return 0;
}
