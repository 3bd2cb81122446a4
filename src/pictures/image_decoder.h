#pragma once
// A decoder of one picture format, as the format list knows it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/arriving_bytes.h"
#include "base/byte_span.h"
#include "base/result.h"
#include "pictures/picture.h"

namespace ris {

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;

  // The short name that stands for the format in error messages ("PNG").
  virtual std::string_view ShortName() const = 0;

  // Extended decoders recognise their format by content; the system's own
  // plain types (bitmap, icon, metafile, JPEG) are found by extension only.
  virtual bool IsExtended() const = 0;

  // Looks at the head of the data only; never called for plain decoders.
  virtual bool Recognises(ByteSpan data) const = 0;

  // Whether a yes from Recognises rests on a signature. Formats without one
  // (Targa, RLA) only judge whether the header's fields are plausible, and
  // pictures of other formats can pass that.
  virtual bool HasSignature() const { return true; }

  virtual Result<TPicture, DecodeError> Decode(ByteSpan data) const = 0;

  // Whether DecodeArriving reads the bytes as they arrive, so that a large
  // picture decodes while the rest of it is still being decrypted.
  virtual bool ReadsArriving() const { return false; }
  // Decodes bytes that may still be arriving; unless the decoder reads them
  // as they come, it waits for all of them and decodes as Decode does.
  virtual Result<TPicture, DecodeError> DecodeArriving(std::shared_ptr<const ArrivingBytes> bytes) const;
};

// The messages a decoder gives, with the format's short name filled in.
namespace decode_errors {
DecodeError InvalidFormat(std::string_view format);       // "Cannot load image. Invalid or unexpected %s image format."
DecodeError InvalidColorFormat(std::string_view format);  // "Invalid color format in %s file."
DecodeError ReadError(std::string_view format);           // "Stream read error in %s file."
DecodeError NotSupported(std::string_view what, std::string_view format);  // "Cannot load image. %s not supported for %s files."
DecodeError CrcError(std::string_view format);            // "Cannot load image. CRC error found in %s file."
DecodeError CompressionError(std::string_view format);    // "Cannot load image. Compression error found in %s file."
DecodeError ExtraCompressedData(std::string_view format); // "Cannot load image. Extra compressed data found in %s file."
DecodeError InvalidPalette(std::string_view format);      // "Cannot load image. Palette in %s file is invalid."
DecodeError UnknownCriticalChunk();                       // PNG's critical-chunk rule
DecodeError InvalidBitDepth();                            // "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."
DecodeError SampleCountMismatch();                        // samples per pixel too few for the colour model
DecodeError InvalidSubsampling();                         // "Subsampling value is invalid. Allowed are 1, 2 and 4."
DecodeError VerticalSubsamplingTooLarge();                // vertical subsampling above horizontal
DecodeError ColorConversionFailed();                      // no way from the file's colours to RGB
DecodeError Lz77Error();                                  // "LZ77 decompression error."
DecodeError TooLarge(std::string_view format);            // a picture beyond the size limits
}  // namespace decode_errors

}  // namespace ris
