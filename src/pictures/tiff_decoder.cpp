#include "pictures/tiff_decoder.h"

#include <algorithm>
#include <array>
#include <vector>
#include <bit>
#include <cstddef>
#include <utility>

#include <tiffio.h>

#include "pictures/decode_budget.h"
#include "pictures/decoders.h"
#include "pictures/raw_fax.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"
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

// libtiff's RGBA interface is given at most this much raster at a time.
constexpr std::size_t kBandBytes = std::size_t{16} << 20;

std::uint16_t Field16(TIFF* tif, std::uint32_t tag, std::uint16_t otherwise) {
  std::uint16_t value = otherwise;
  TIFFGetFieldDefaulted(tif, tag, &value);
  return value;
}

// What decides how the rows are read, gathered once the checks passed.
struct TiffLayout {
  PixelSize Own;
  bool Jpeg = false;
  // Bilevel and grey pages of one sample in strips, stored top down, are
  // read a row at a time through the codec; everything else in bands
  // through libtiff's RGBA interface.
  bool GreyRows = false;
  std::uint16_t Bits = 1;
  bool MinIsWhite = false;
  std::uint32_t BandRows = 1;  // rows per band: whole strips or tiles where they fit

  PixelSize Size() const noexcept { return Own; }
};

bool IsGreyRows(TIFF* tif) {
  const std::uint16_t photometric = Field16(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  const std::uint16_t bits = Field16(tif, TIFFTAG_BITSPERSAMPLE, 1);
  return !TIFFIsTiled(tif) && Field16(tif, TIFFTAG_SAMPLESPERPIXEL, 1) == 1 &&
         Field16(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == ORIENTATION_TOPLEFT &&
         (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK) &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

// Whole strips or tiles per band where a band of them fits kBandBytes, so
// that each is decoded once; a picture stored in another orientation is
// one band, since libtiff turns it as a whole.
std::uint32_t BandRowsOf(TIFF* tif, std::uint32_t width, std::uint32_t height) {
  if (Field16(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) != ORIENTATION_TOPLEFT) return height;
  std::uint32_t unit = height;
  if (TIFFIsTiled(tif)) {
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  }
  unit = std::clamp<std::uint32_t>(unit, 1, height);
  const auto fitting = static_cast<std::uint32_t>(
      std::max<std::size_t>(1, kBandBytes / (std::size_t{width} * sizeof(Bgra))));
  if (unit > fitting) return std::min(fitting, height);
  return std::min(height, fitting / unit * unit);
}

// Every check that needs no pixel: the size, the budget, the tags, what
// the RGBA interface can convert and whether the build has the codec.
Result<TiffLayout, DecodeError> CheckLayout(const TiffMemoryFile& file, std::string_view format) {
  TIFF* tif = file.Handle();
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (tif == nullptr || TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1) {
    return Failure{ErrorFromLibrary(file.FirstError(), false, format).value_or(decode_errors::InvalidFormat(format))};
  }
  if (const DecodeBudget budget(format, file.Data().size(), TiffDensity(tif, width)); !budget.Allows(width, height)) {
    return Failure{budget.Refusal()};
  }
  if (auto error = ErrorFromTags(file, format)) return Failure{*error};
  TiffLayout layout;
  layout.Jpeg = IsJpegCompressed(tif);
  char refusal[1024] = {};
  if (TIFFRGBAImageOK(tif, refusal) != 1) {
    return Failure{ErrorFromLibrary(refusal, layout.Jpeg, format).value_or(decode_errors::ColorConversionFailed())};
  }
  if (TIFFIsCODECConfigured(Compression(tif)) != 1) return Failure{decode_errors::CompressionError(format)};
  layout.Own = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
  layout.GreyRows = IsGreyRows(tif);
  layout.Bits = Field16(tif, TIFFTAG_BITSPERSAMPLE, 1);
  layout.MinIsWhite = Field16(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) == PHOTOMETRIC_MINISWHITE;
  layout.BandRows = BandRowsOf(tif, width, height);
  return layout;
}

// The first error libtiff reported, in the user's words.
DecodeError ReadFailure(const TiffMemoryFile& file, const TiffLayout& layout, std::string_view format) {
  return ErrorFromLibrary(file.FirstError(), layout.Jpeg, format).value_or(decode_errors::CompressionError(format));
}

// Grey levels as libtiff's RGBA interface maps them.
std::array<std::uint8_t, 256> GreyLevels(const TiffLayout& layout) {
  std::array<std::uint8_t, 256> levels{};
  const unsigned range = (1u << layout.Bits) - 1;
  for (unsigned x = 0; x <= range; ++x) {
    levels[x] = static_cast<std::uint8_t>((layout.MinIsWhite ? range - x : x) * 255 / range);
  }
  return levels;
}

// A row at a time through the codec, so a page's strip is never held
// decoded. The first row is read before anything else is allocated.
std::optional<DecodeError> ReadGreyRows(const TiffMemoryFile& file, const TiffLayout& layout, ShownRows& rows,
                                        std::string_view format) {
  TIFF* tif = file.Handle();
  const auto scanline = static_cast<std::size_t>(TIFFScanlineSize64(tif));
  if (scanline == 0) return ReadFailure(file, layout, format);
  std::vector<std::uint8_t> samples(scanline);
  const std::array<std::uint8_t, 256> levels = GreyLevels(layout);
  const unsigned bits = layout.Bits;
  const unsigned mask = (1u << bits) - 1;
  for (std::int32_t y = 0; y < layout.Own.Height; ++y) {
    if (TIFFReadScanline(tif, samples.data(), static_cast<std::uint32_t>(y), 0) != 1 || file.HadError()) {
      return ReadFailure(file, layout, format);
    }
    const std::span<Bgra> row = rows.Next();
    for (std::size_t x = 0; x < row.size(); ++x) {
      const std::size_t bit = x * bits;
      const unsigned sample = (samples[bit >> 3] >> (8 - bits - (bit & 7))) & mask;
      const std::uint8_t level = levels[sample];
      row[x] = Bgra{level, level, level, 255};
    }
    rows.Commit();
  }
  return std::nullopt;
}

// Band by band through libtiff's RGBA interface, which converts every
// colour model; a band holds whole strips or tiles where they fit.
std::optional<DecodeError> ReadBands(const TiffMemoryFile& file, const TiffLayout& layout, ShownRows& rows,
                                     std::string_view format, bool& alpha) {
  TIFF* tif = file.Handle();
  TIFFRGBAImage image{};
  char refusal[1024] = {};
  // Stop at the first damaged strip or tile: bad data is an error, not a
  // picture with holes. libtiff reports some damage only as an error
  // message while still answering success, so the messages count too.
  if (TIFFRGBAImageBegin(&image, tif, 1, refusal) != 1) {
    return ErrorFromLibrary(refusal, layout.Jpeg, format).value_or(decode_errors::ColorConversionFailed());
  }
  image.req_orientation = ORIENTATION_TOPLEFT;
  const auto width = static_cast<std::size_t>(layout.Own.Width);
  const auto height = static_cast<std::uint32_t>(layout.Own.Height);
  std::vector<Bgra> band(width * layout.BandRows);
  std::optional<DecodeError> error;
  for (std::uint32_t top = 0; top < height && !error; top += layout.BandRows) {
    const std::uint32_t count = std::min(layout.BandRows, height - top);
    image.row_offset = static_cast<int>(top);
    if (TIFFRGBAImageGet(&image, reinterpret_cast<std::uint32_t*>(band.data()), static_cast<std::uint32_t>(width),
                         count) != 1 ||
        file.HadError()) {
      error = ReadFailure(file, layout, format);
      break;
    }
    for (std::uint32_t y = 0; y < count; ++y) {
      const std::span<Bgra> row = rows.Next();
      std::copy_n(band.data() + y * width, width, row.begin());
      for (Bgra& pixel : row) {
        std::swap(pixel.B, pixel.R);
        alpha |= pixel.A != 255;
      }
      rows.Commit();
    }
  }
  TIFFRGBAImageEnd(&image);
  return error;
}

class TiffDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsTiffHeader(data); }

  // A file without a TIFF header is taken for a raw fax page: such pages
  // come only by their "fax" extension.
  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    return IsTiffHeader(data) ? DecodeTiffImage(data, kShortName, cover) : DecodeRawFaxPage(data, kShortName, cover);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    if (!IsTiffHeader(data)) return MeasureRawFaxPage(data, kShortName);
    const TiffMemoryFile file(data);
    return SizeOfLayout(CheckLayout(file, kShortName));
  }
};

}  // namespace

bool IsTiffHeader(ByteSpan data) noexcept {
  if (data.size() < 4) return false;
  const std::uint8_t* h = data.data();
  return (h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0) ||
         (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43));
}

Result<PixelImage, DecodeError> DecodeTiffImage(ByteSpan data, std::string_view format, PixelSize cover) {
  const TiffMemoryFile file(data);
  auto layout = CheckLayout(file, format);
  if (!layout) return Failure{layout.error()};
  ShownRows rows(layout->Own, ShownSize(layout->Own, cover));
  bool alpha = false;
  auto error = layout->GreyRows ? ReadGreyRows(file, *layout, rows, format)
                                : ReadBands(file, *layout, rows, format, alpha);
  if (error) return Failure{*error};
  return std::move(rows).Finish(alpha);
}

std::shared_ptr<const ImageDecoder> MakeTiffDecoder() { return std::make_shared<const TiffDecoder>(); }

}  // namespace ris
