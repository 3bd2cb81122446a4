// Autodesk Animator pictures come from the data archive, which anyone may have replaced.
// Whatever the bytes, decoding ends in pixels of the promised size or an
// error with a message: never a crash, a hang or an allocation beyond the
// picture limits.
#include <cstddef>
#include <cstdint>

#include "decode_checks.h"
#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = ris::MakeAutodeskDecoder();
  ris::fuzzing::DecodeAndCheck(*decoder, ris::ByteSpan(data, size));
  return 0;
}
