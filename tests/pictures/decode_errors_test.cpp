// Every message a decoder can give, written out in full: a message is what
// the user reads, so a slip in a helper must fail here rather than pass
// through a comparison with that same helper.
#include "pictures/image_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "pictures/decoders.h"
#include "pictures/tiff_errors.h"

namespace ris {
namespace {

using namespace decode_errors;

TEST(DecodeErrors, EveryMessageWordForWord) {
  const auto tiff_jpeg = [](std::string_view library_message) {
    return ErrorFromLibrary(library_message, true, "TIFF").value_or(DecodeError{"(none)"});
  };
  const struct {
    DecodeError error;
    const char* text;
  } cases[] = {
      {InvalidFormat("PNG"), "Cannot load image. Invalid or unexpected PNG image format."},
      {InvalidColorFormat("GIF"), "Invalid color format in GIF file."},
      {ReadError("Targa"), "Stream read error in Targa file."},
      {NotSupported("This compression is", "PSD"), "Cannot load image. This compression is not supported for PSD files."},
      {TooLarge("TIFF"), "Cannot load image. Pictures of this size are not supported for TIFF files."},
      {CrcError("PNG"), "Cannot load image. CRC error found in PNG file."},
      {CompressionError("SGI"), "Cannot load image. Compression error found in SGI file."},
      {ExtraCompressedData("PNG"), "Cannot load image. Extra compressed data found in PNG file."},
      {InvalidPalette("PCX"), "Cannot load image. Palette in PCX file is invalid."},
      {UnknownCriticalChunk(), "Cannot load PNG image. Unexpected but critical chunk detected."},
      {ColorConversionFailed(), "Color conversion failed. Could not find a proper method."},
      {InvalidBitDepth(), "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."},
      {SampleCountMismatch(), "Sample count per pixel does not correspond to the given color scheme."},
      {InvalidSubsampling(), "Subsampling value is invalid. Allowed are 1, 2 and 4."},
      {VerticalSubsamplingTooLarge(), "Vertical subsampling value must be <= horizontal subsampling value."},
      {Lz77Error(), "LZ77 decompression error."},
      {tiff_jpeg("Premature end of JPEG file"), "JPEG decompression error. Unexpected end of input."},
      {tiff_jpeg("Improper JPEG strip/tile size"), "Improper JPEG strip/tile size."},
      {tiff_jpeg("Improper JPEG component count"), "Improper JPEG component count."},
      {tiff_jpeg("Improper JPEG data precision"), "Improper JPEG data precision."},
      {tiff_jpeg("Improper JPEG sampling factors"), "Improper JPEG sampling factors."},
      {tiff_jpeg("Bogus JPEGTables field"), "Bogus JPEG tables field."},
      {tiff_jpeg("Fractional scanline not supported"), "Fractional JPEG scanline unsupported."},
  };
  for (const auto& c : cases) EXPECT_EQ(c.error.Message, c.text);
}

// libjpeg's fatal errors are told by their message code.
TEST(DecodeErrors, JpegLibraryErrorsGiveTheirCode) {
  const std::string not_jpeg = "\xFF\xD8\xFF\x01 not a JPEG";
  const auto decoded = MakeJpegDecoder()->Decode(AsBytes(not_jpeg));
  ASSERT_FALSE(decoded.ok());
  const std::string& message = decoded.error().Message;
  const std::string prefix = "JPEG error #";
  ASSERT_TRUE(message.starts_with(prefix)) << message;
  EXPECT_GT(message.size(), prefix.size()) << message;
  EXPECT_TRUE(std::all_of(message.begin() + static_cast<std::ptrdiff_t>(prefix.size()), message.end(),
                          [](unsigned char c) { return std::isdigit(c) != 0; }))
      << message;
}

}  // namespace
}  // namespace ris
