#include "pictures/tiff_decoder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <utility>

#include <tiffio.h>

#include "pictures/decode_budget.h"
#include "pictures/decoders.h"
#include "pictures/raw_fax.h"
#include "pictures/tiff_errors.h"
#include "pictures/tiff_memory_file.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "TIFF";

std::uint16_t Compression(TIFF* tif) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  return compression;
}

bool IsJpegCompressed(TIFF* tif) {
  const std::uint16_t compression = Compression(tif);
  return compression == COMPRESSION_JPEG || compression == COMPRESSION_OJPEG;
}

// The most pixels each byte of the file can give, by the codec: the bytes
// of decoded data per byte of its densest code, spread over the bits of a
// pixel. The fax codings spend at least a bit on a line; codecs not named
// here (LZMA, Zstandard and others that libtiff may have) are allowed 64 Ki
// pixels per byte, more than any of them reaches on pictures.
Density TiffDensity(TIFF* tif, std::uint32_t width) {
  std::uint16_t bits = 1;
  std::uint16_t samples = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  const std::uint64_t pixel_bits = std::max<std::uint64_t>(1, std::uint64_t{bits} * samples);
  const auto per_pixel = [&](std::uint64_t bytes_per_byte) { return Density{bytes_per_byte * 8, pixel_bits}; };
  switch (Compression(tif)) {
    case COMPRESSION_NONE: return per_pixel(1);
    case COMPRESSION_PACKBITS: return per_pixel(64);         // 128 bytes from a two-byte run
    case COMPRESSION_LZW: return Density{4096 * 8 * 8, 12 * pixel_bits};  // 4096 bytes from a 12-bit code
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return per_pixel(kDeflateDensity.Pixels);
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return Density{64 * 8, 1};      // a bit for each 8 x 8 block
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return Density{std::uint64_t{width} * 8, 1};
    default: return Density{65536, 1};
  }
}

// libtiff writes each pixel as a 32-bit value whose bytes, on the
// little-endian machines the saver runs on, lie red, green, blue, alpha:
// swapping red and blue gives the picture's own layout.
static_assert(std::endian::native == std::endian::little);
static_assert(offsetof(Bgra, B) == 0 && offsetof(Bgra, R) == 2);

bool ReorderAndFindAlpha(PixelImage& image) {
  bool alpha = false;
  for (Bgra& pixel : image.Pixels) {
    std::swap(pixel.B, pixel.R);
    alpha |= pixel.A != 255;
  }
  return alpha;
}

class TiffDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsTiffHeader(data); }

  // A file without a TIFF header is taken for a raw fax page: such pages
  // come only by their "fax" extension.
  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    auto image = IsTiffHeader(data) ? DecodeTiffImage(data, kShortName) : DecodeRawFaxPage(data, kShortName);
    if (!image) return Failure{image.error()};
    return TPicture::FromPixels(std::move(*image), false);
  }
};

}  // namespace

bool IsTiffHeader(ByteSpan data) noexcept {
  if (data.size() < 4) return false;
  const std::uint8_t* h = data.data();
  return (h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0) ||
         (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43));
}

Result<PixelImage, DecodeError> DecodeTiffImage(ByteSpan data, std::string_view format) {
  const TiffMemoryFile file(data);
  TIFF* tif = file.Handle();
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (tif == nullptr || TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1) {
    return Failure{ErrorFromLibrary(file.FirstError(), false, format).value_or(decode_errors::InvalidFormat(format))};
  }
  if (const DecodeBudget budget(format, data.size(), TiffDensity(tif, width)); !budget.Allows(width, height)) {
    return Failure{budget.Refusal()};
  }
  if (auto error = ErrorFromTags(file, format)) return Failure{*error};
  const bool jpeg = IsJpegCompressed(tif);
  char refusal[1024] = {};
  if (TIFFRGBAImageOK(tif, refusal) != 1) {
    return Failure{ErrorFromLibrary(refusal, jpeg, format).value_or(decode_errors::ColorConversionFailed())};
  }

  PixelImage image = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  // Stop at the first damaged strip or tile: bad data is an error, not a
  // picture with holes. libtiff reports some damage only as an error message
  // while still answering success, so the messages count too.
  const int read = TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<std::uint32_t*>(image.Pixels.data()),
                                             ORIENTATION_TOPLEFT, 1);
  if (read != 1 || file.HadError()) {
    return Failure{ErrorFromLibrary(file.FirstError(), jpeg, format).value_or(decode_errors::CompressionError(format))};
  }
  image.HasAlpha = ReorderAndFindAlpha(image);
  return image;
}

std::shared_ptr<const ImageDecoder> MakeTiffDecoder() { return std::make_shared<const TiffDecoder>(); }

}  // namespace ris
