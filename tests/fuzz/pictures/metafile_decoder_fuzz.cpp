// Metafiles come from the data archive, which anyone may have replaced.
// Off Windows the decoder only measures them; whatever the bytes, measuring
// ends in a size within the picture limits or an error with a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode_checks.h"
#include "pictures/decoders.h"
#include "pictures/metafile_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = ris::MakeMetafileDecoder();
  const ris::ByteSpan bytes(data, size);
  const auto frame = ris::MeasureMetafile(bytes);
  if (frame && !ris::PictureSizeAllowed(frame->Width, frame->Height)) std::abort();
  ris::fuzzing::DecodeAndCheck(*decoder, bytes);
  return 0;
}
