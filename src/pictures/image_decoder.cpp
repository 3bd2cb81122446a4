#include "pictures/image_decoder.h"

#include "base/errors.h"

namespace ris {

Result<TPicture, DecodeError> ImageDecoder::DecodeArriving(std::shared_ptr<const ArrivingBytes> bytes) const {
  const std::size_t arrived = bytes->WaitFor(bytes->Size());
  return Decode(ByteSpan(bytes->Data(), arrived));
}

}  // namespace ris

namespace ris::decode_errors {
namespace {

DecodeError Filled(std::string_view message_template, std::string_view format) {
  return {FormatMessage(message_template, format)};
}

}  // namespace

DecodeError InvalidFormat(std::string_view format) {
  return Filled("Cannot load image. Invalid or unexpected %s image format.", format);
}
DecodeError InvalidColorFormat(std::string_view format) {
  return Filled("Invalid color format in %s file.", format);
}
DecodeError ReadError(std::string_view format) {
  return Filled("Stream read error in %s file.", format);
}
DecodeError NotSupported(std::string_view what, std::string_view format) {
  std::string message = "Cannot load image. ";
  message += what;
  message += " not supported for ";
  message += format;
  message += " files.";
  return {message};
}
DecodeError CrcError(std::string_view format) {
  return Filled("Cannot load image. CRC error found in %s file.", format);
}
DecodeError CompressionError(std::string_view format) {
  return Filled("Cannot load image. Compression error found in %s file.", format);
}
DecodeError ExtraCompressedData(std::string_view format) {
  return Filled("Cannot load image. Extra compressed data found in %s file.", format);
}
DecodeError InvalidPalette(std::string_view format) {
  return Filled("Cannot load image. Palette in %s file is invalid.", format);
}
DecodeError UnknownCriticalChunk() {
  return {"Cannot load PNG image. Unexpected but critical chunk detected."};
}
DecodeError InvalidBitDepth() {
  return {"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."};
}
DecodeError SampleCountMismatch() {
  return {"Sample count per pixel does not correspond to the given color scheme."};
}
DecodeError InvalidSubsampling() { return {"Subsampling value is invalid. Allowed are 1, 2 and 4."}; }
DecodeError VerticalSubsamplingTooLarge() {
  return {"Vertical subsampling value must be <= horizontal subsampling value."};
}
DecodeError ColorConversionFailed() { return {"Color conversion failed. Could not find a proper method."}; }
DecodeError Lz77Error() { return {"LZ77 decompression error."}; }
DecodeError TooLarge(std::string_view format) {
  return NotSupported("Pictures of this size are", format);
}

}  // namespace ris::decode_errors
