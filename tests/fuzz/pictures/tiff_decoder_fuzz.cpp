// TIFF pictures and the TIFF previews of EPS files come from the data
// archive, which anyone may have replaced, and are read by libtiff. Whatever
// the bytes, decoding must end in pixels of the promised size or an error
// with a message: never a crash, a hang, an allocation beyond the picture
// limits or a word from libtiff on stderr. Inputs that open like an EPS file
// go to the EPS decoder, the rest to the TIFF decoder.
#include <cstddef>
#include <cstdint>

#include "decode_checks.h"
#include "pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto tiff = ris::MakeTiffDecoder();
  static const auto eps = ris::MakeEpsDecoder();
  const ris::ByteSpan bytes(data, size);
  ris::fuzzing::DecodeAndCheck(size > 0 && data[0] == 0xC5 ? *eps : *tiff, bytes);
  return 0;
}
