// Bitmaps and icons come from the data archive, which anyone may have
// replaced. Whatever the bytes, both decoders end in a picture of the size
// they promise or in an error with a message; never a crash, a hang or an
// allocation beyond the picture size limits. The first byte picks the
// decoder, so that one corpus serves both.
#include <cstddef>
#include <cstdint>

#include "decode_checks.h"
#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const auto bitmap = ris::MakeBitmapDecoder();
  static const auto icon = ris::MakeIconDecoder();
  const auto& decoder = (data[0] & 1) != 0 ? icon : bitmap;
  ris::fuzzing::DecodeAndCheck(*decoder, ris::ByteSpan(data + 1, size - 1));
  return 0;
}
