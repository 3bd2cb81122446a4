#include "pictures/png_decoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/decoders.h"
#include "pictures/png_unfilter.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kFormat = "PNG";
constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};

constexpr std::uint32_t Tag(const char (&name)[5]) {
  return (std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24) |
         (std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16) |
         (std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8) |
         std::uint32_t{static_cast<std::uint8_t>(name[3])};
}

std::uint16_t Big16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

enum ColourType : std::uint8_t { kGrey = 0, kRgb = 2, kIndexed = 3, kGreyAlpha = 4, kRgba = 6 };

// What the chunks say, gathered in one walk before any pixel is decoded.
struct PngInfo {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint8_t Depth = 0;
  std::uint8_t Colour = 0;
  bool Interlaced = false;
  int Channels = 0;

  std::array<Bgra, 256> Palette{};
  std::array<std::uint8_t, 256> PaletteAlpha{};
  std::size_t PaletteCount = 0;
  bool HasPalette = false;

  bool HasTransparency = false;  // tRNS present and usable
  std::array<std::uint16_t, 3> Key{};  // grey or red, green, blue colour key

  std::vector<ByteSpan> Idat;
  std::uint64_t IdatBytes = 0;

  std::uint32_t BitsPerPixel() const noexcept { return static_cast<std::uint32_t>(Channels) * Depth; }
  std::size_t RowBytes(std::uint32_t width) const noexcept {
    return static_cast<std::size_t>((std::uint64_t{width} * BitsPerPixel() + 7) / 8);
  }
};

int ChannelsOf(std::uint8_t colour) noexcept {
  switch (colour) {
    case kGrey: return 1;
    case kRgb: return 3;
    case kIndexed: return 1;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 0;
  }
}

std::optional<DecodeError> ReadHeader(std::string_view body, PngInfo& info) {
  if (body.size() != 13) return decode_errors::InvalidFormat(kFormat);
  ByteReader reader(body);
  info.Width = reader.U32Big();
  info.Height = reader.U32Big();
  info.Depth = reader.U8();
  info.Colour = reader.U8();
  const std::uint8_t compression = reader.U8();
  const std::uint8_t filter = reader.U8();
  const std::uint8_t interlace = reader.U8();
  if (info.Width == 0 || info.Height == 0 || info.Width > 0x7fffffffu || info.Height > 0x7fffffffu) {
    return decode_errors::InvalidFormat(kFormat);
  }
  info.Channels = ChannelsOf(info.Colour);
  if (info.Channels == 0) return decode_errors::InvalidColorFormat(kFormat);
  const std::uint8_t depth = info.Depth;
  if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) {
    return decode_errors::InvalidBitDepth();
  }
  const bool combination_allowed =
      info.Colour == kGrey || (info.Colour == kIndexed ? depth <= 8 : depth >= 8);
  if (!combination_allowed) return decode_errors::InvalidColorFormat(kFormat);
  if (compression != 0 || filter != 0 || interlace > 1) return decode_errors::InvalidFormat(kFormat);
  info.Interlaced = interlace == 1;
  if (!PictureSizeAllowed(info.Width, info.Height)) return decode_errors::TooLarge(kFormat);
  return std::nullopt;
}

std::optional<DecodeError> ReadPalette(std::string_view body, PngInfo& info) {
  if (body.empty() || body.size() % 3 != 0 || body.size() > 768 || info.HasPalette) {
    return decode_errors::InvalidPalette(kFormat);
  }
  info.HasPalette = true;
  info.PaletteCount = body.size() / 3;
  ByteReader reader(body);
  for (std::size_t i = 0; i < info.PaletteCount; ++i) {
    const std::uint8_t red = reader.U8();
    const std::uint8_t green = reader.U8();
    const std::uint8_t blue = reader.U8();
    info.Palette[i] = Bgra{blue, green, red, 255};
  }
  return std::nullopt;
}

// A transparency chunk of the wrong size for its colour type is ignored, as
// is one for a colour type that has an alpha channel of its own.
void ReadTransparency(std::string_view body, PngInfo& info) {
  ByteReader reader(body);
  switch (info.Colour) {
    case kIndexed:
      if (body.size() > 256) return;
      for (std::size_t i = 0; i < body.size(); ++i) info.PaletteAlpha[i] = reader.U8();
      info.HasTransparency = true;
      return;
    case kGrey:
      if (body.size() != 2) return;
      info.Key[0] = reader.U16Big();
      info.HasTransparency = true;
      return;
    case kRgb:
      if (body.size() != 6) return;
      for (std::uint16_t& key : info.Key) key = reader.U16Big();
      info.HasTransparency = true;
      return;
    default:
      return;
  }
}

// A chunk is its length, its tag, its body and the CRC of tag and body.
Result<PngInfo, DecodeError> ReadChunks(ByteSpan data) {
  if (!IsPngSignature(data)) return Failure{decode_errors::InvalidFormat(kFormat)};
  PngInfo info;
  info.PaletteAlpha.fill(255);
  ByteReader reader(raster::AsText(data));
  reader.Skip(kSignature.size());
  bool first = true;
  for (;;) {
    if (reader.Remaining() < 12) return Failure{decode_errors::ReadError(kFormat)};
    const std::uint32_t length = reader.U32Big();
    if (length > 0x7fffffffu) return Failure{decode_errors::InvalidFormat(kFormat)};
    if (length > reader.Remaining() - 8) return Failure{decode_errors::ReadError(kFormat)};
    const std::string_view tagged = reader.Bytes(std::size_t{length} + 4);
    const std::uint32_t crc = libdeflate_crc32(0, tagged.data(), tagged.size());
    if (crc != reader.U32Big()) return Failure{decode_errors::CrcError(kFormat)};
    const std::uint32_t tag = ByteReader(tagged).U32Big();
    const std::string_view body = tagged.substr(4);
    if (first != (tag == Tag("IHDR"))) return Failure{decode_errors::InvalidFormat(kFormat)};
    first = false;

    if (tag == Tag("IHDR")) {
      if (auto error = ReadHeader(body, info)) return Failure{*error};
    } else if (tag == Tag("PLTE")) {
      if (auto error = ReadPalette(body, info)) return Failure{*error};
    } else if (tag == Tag("tRNS")) {
      ReadTransparency(body, info);
    } else if (tag == Tag("IDAT")) {
      if (length > 0) info.Idat.push_back(AsBytes(body));
      info.IdatBytes += length;
    } else if (tag == Tag("IEND")) {
      break;
    } else if ((tag & 0x20000000u) == 0) {  // the first letter in upper case: critical
      return Failure{decode_errors::UnknownCriticalChunk()};
    }
  }
  if (info.Colour == kIndexed) {
    if (!info.HasPalette) return Failure{decode_errors::InvalidPalette(kFormat)};
    for (std::size_t i = 0; i < info.PaletteCount; ++i) info.Palette[i].A = info.PaletteAlpha[i];
  }
  if (info.Idat.empty()) return Failure{decode_errors::CompressionError(kFormat)};
  return info;
}

// The zlib stream spread over the IDAT chunks, inflated in one call into
// `out`, which it must fill exactly. The pieces are joined first unless
// there is only one. libdeflate is asked directly, not through the
// archive's inflate, because a stream that runs on past the picture has a
// message of its own.
std::optional<DecodeError> InflateImageData(const PngInfo& info, std::span<std::uint8_t> out) {
  std::vector<std::uint8_t> joined;
  ByteSpan stream = info.Idat.front();
  if (info.Idat.size() > 1) {
    joined.reserve(static_cast<std::size_t>(info.IdatBytes));
    for (const ByteSpan piece : info.Idat) joined.insert(joined.end(), piece.begin(), piece.end());
    stream = joined;
  }
  const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(
      libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  if (!inflater) return decode_errors::CompressionError(kFormat);
  switch (libdeflate_zlib_decompress(inflater.get(), stream.data(), stream.size(), out.data(), out.size(), nullptr)) {
    case LIBDEFLATE_SUCCESS: return std::nullopt;
    case LIBDEFLATE_INSUFFICIENT_SPACE: return decode_errors::ExtraCompressedData(kFormat);
    default: return decode_errors::CompressionError(kFormat);
  }
}

// --- Conversion of one unfiltered row to pixels at out[0], out[step], ...

struct RowTarget {
  Bgra* Out;
  std::size_t Step;
  std::uint32_t Count;
};

constexpr std::uint8_t Opaque(bool transparent) noexcept { return transparent ? 0 : 255; }

// The sample of `depth` bits (1, 2, 4 or 8) at index i.
inline unsigned Sample(const std::uint8_t* row, std::uint32_t i, unsigned depth) noexcept {
  const std::uint32_t bit = i * depth;
  const unsigned shift = 8 - depth - (bit & 7);
  return (row[bit >> 3] >> shift) & ((1u << depth) - 1);
}

void ConvertGrey(const std::uint8_t* row, RowTarget t, const PngInfo& info) {
  const bool keyed = info.HasTransparency;
  const unsigned key = info.Key[0];
  if (info.Depth == 16) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const std::uint8_t g = row[2 * x];
      t.Out[x * t.Step] = Bgra{g, g, g, Opaque(keyed && Big16(row + 2 * x) == key)};
    }
    return;
  }
  if (info.Depth == 8) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const std::uint8_t g = row[x];
      t.Out[x * t.Step] = Bgra{g, g, g, Opaque(keyed && g == key)};
    }
    return;
  }
  const unsigned depth = info.Depth;
  const unsigned scale = 255 / ((1u << depth) - 1);
  for (std::uint32_t x = 0; x < t.Count; ++x) {
    const unsigned sample = Sample(row, x, depth);
    const auto g = static_cast<std::uint8_t>(sample * scale);
    t.Out[x * t.Step] = Bgra{g, g, g, Opaque(keyed && sample == key)};
  }
}

void ConvertRgb(const std::uint8_t* row, RowTarget t, const PngInfo& info) {
  if (info.Depth == 16) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const std::uint8_t* p = row + 6 * x;
      const bool transparent = info.HasTransparency && Big16(p) == info.Key[0] &&
                               Big16(p + 2) == info.Key[1] && Big16(p + 4) == info.Key[2];
      t.Out[x * t.Step] = Bgra{p[4], p[2], p[0], Opaque(transparent)};
    }
    return;
  }
  if (!info.HasTransparency) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const std::uint8_t* p = row + 3 * x;
      t.Out[x * t.Step] = Bgra{p[2], p[1], p[0], 255};
    }
    return;
  }
  for (std::uint32_t x = 0; x < t.Count; ++x) {
    const std::uint8_t* p = row + 3 * x;
    const bool transparent = p[0] == info.Key[0] && p[1] == info.Key[1] && p[2] == info.Key[2];
    t.Out[x * t.Step] = Bgra{p[2], p[1], p[0], Opaque(transparent)};
  }
}

// False when an index lies beyond the palette.
bool ConvertIndexed(const std::uint8_t* row, RowTarget t, const PngInfo& info) {
  unsigned largest = 0;
  if (info.Depth == 8) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const unsigned index = row[x];
      largest = std::max(largest, index);
      t.Out[x * t.Step] = info.Palette[index];
    }
  } else {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const unsigned index = Sample(row, x, info.Depth);
      largest = std::max(largest, index);
      t.Out[x * t.Step] = info.Palette[index];
    }
  }
  return largest < info.PaletteCount;
}

void ConvertGreyAlpha(const std::uint8_t* row, RowTarget t, const PngInfo& info) {
  const std::size_t size = info.Depth / 8;  // bytes per sample
  for (std::uint32_t x = 0; x < t.Count; ++x) {
    const std::uint8_t* p = row + 2 * size * x;
    t.Out[x * t.Step] = Bgra{p[0], p[0], p[0], p[size]};
  }
}

void ConvertRgba(const std::uint8_t* row, RowTarget t, const PngInfo& info) {
  if (info.Depth == 16) {
    for (std::uint32_t x = 0; x < t.Count; ++x) {
      const std::uint8_t* p = row + 8 * x;
      t.Out[x * t.Step] = Bgra{p[4], p[2], p[0], p[6]};
    }
    return;
  }
  for (std::uint32_t x = 0; x < t.Count; ++x) {
    const std::uint8_t* p = row + 4 * x;
    t.Out[x * t.Step] = Bgra{p[2], p[1], p[0], p[3]};
  }
}

bool ConvertRow(const std::uint8_t* row, RowTarget target, const PngInfo& info) {
  switch (info.Colour) {
    case kGrey: ConvertGrey(row, target, info); return true;
    case kRgb: ConvertRgb(row, target, info); return true;
    case kIndexed: return ConvertIndexed(row, target, info);
    case kGreyAlpha: ConvertGreyAlpha(row, target, info); return true;
    default: ConvertRgba(row, target, info); return true;
  }
}

struct Pass {
  std::uint32_t X0, Y0, DX, DY;
};
constexpr std::array<Pass, 7> kAdam7{{{0, 0, 8, 8},
                                      {4, 0, 8, 8},
                                      {0, 4, 4, 8},
                                      {2, 0, 4, 4},
                                      {0, 2, 2, 4},
                                      {1, 0, 2, 2},
                                      {0, 1, 1, 2}}};
constexpr std::array<Pass, 1> kWhole{{{0, 0, 1, 1}}};

std::span<const Pass> PassesOf(const PngInfo& info) noexcept {
  if (info.Interlaced) return kAdam7;
  return kWhole;
}

std::uint32_t PassSide(std::uint32_t side, std::uint32_t start, std::uint32_t step) noexcept {
  return side > start ? (side - start + step - 1) / step : 0;
}

// The number of bytes the zlib stream must inflate to.
std::uint64_t FilteredSize(const PngInfo& info) {
  std::uint64_t total = 0;
  for (const Pass& pass : PassesOf(info)) {
    const std::uint32_t width = PassSide(info.Width, pass.X0, pass.DX);
    const std::uint32_t height = PassSide(info.Height, pass.Y0, pass.DY);
    if (width > 0) total += std::uint64_t{height} * (info.RowBytes(width) + 1);
  }
  return total;
}

// 8-bit RGB without a colour key and 8-bit RGBA, not interlaced: the rows
// unfilter straight into the picture's pixels.
bool GoesStraightToBgra(const PngInfo& info) noexcept {
  const bool keyless_rgb = info.Colour == kRgb && !info.HasTransparency;
  return info.Depth == 8 && !info.Interlaced && (keyless_rgb || info.Colour == kRgba);
}

std::optional<DecodeError> UnfilterToBgra(const PngInfo& info, const std::uint8_t* filtered, PixelImage& image) {
  const std::vector<Bgra> zeros(info.Width, Bgra{0, 0, 0, 0});
  if (!png::UnfilterRowsToBgra(filtered, info.Channels, info.Width, info.Height, zeros.data(), image.Pixels.data())) {
    return decode_errors::InvalidFormat(kFormat);
  }
  return std::nullopt;
}

// Every other picture: each row unfiltered in place, then converted.
std::optional<DecodeError> UnfilterAndConvert(const PngInfo& info, std::uint8_t* filtered, PixelImage& image) {
  const std::size_t bpp = std::max<std::size_t>(1, info.BitsPerPixel() / 8);
  const std::vector<std::uint8_t> zeros(info.RowBytes(info.Width));
  for (const Pass& pass : PassesOf(info)) {
    const std::uint32_t width = PassSide(info.Width, pass.X0, pass.DX);
    const std::uint32_t height = PassSide(info.Height, pass.Y0, pass.DY);
    if (width == 0) continue;
    const std::size_t size = info.RowBytes(width);
    const std::uint8_t* prior = zeros.data();
    for (std::uint32_t y = 0; y < height; ++y) {
      std::uint8_t* row = filtered + 1;
      if (!png::UnfilterRow(filtered[0], row, prior, size, bpp)) return decode_errors::InvalidFormat(kFormat);
      const std::size_t out_y = std::size_t{pass.Y0} + std::size_t{y} * pass.DY;
      Bgra* out = image.Pixels.data() + out_y * info.Width + pass.X0;
      if (!ConvertRow(row, {out, pass.DX, width}, info)) return decode_errors::InvalidPalette(kFormat);
      prior = row;
      filtered += size + 1;
    }
  }
  return std::nullopt;
}

class PngDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kFormat; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsPngSignature(data); }
  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    auto image = DecodePngImage(data);
    if (!image) return Failure{image.error()};
    return TPicture::FromPixels(std::move(image).value(), false);
  }
};

}  // namespace

bool IsPngSignature(ByteSpan data) noexcept {
  return data.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), data.begin());
}

Result<PixelImage, DecodeError> DecodePngImage(ByteSpan data) {
  auto read = ReadChunks(data);
  if (!read) return Failure{read.error()};
  const PngInfo& info = *read;
  // The rows inflate from the image data: too few bytes to fill the
  // picture are refused before the picture is allocated.
  if (const DecodeBudget budget(kFormat, info.IdatBytes, kDeflateDensity); !budget.AllowsAmount(FilteredSize(info))) {
    return Failure{budget.Refusal()};
  }

  const auto filtered_size = static_cast<std::size_t>(FilteredSize(info));
  // Every byte but the padding is inflated into, so none is cleared first.
  const auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(filtered_size + png::kFilteredPadding);
  std::fill_n(filtered.get() + filtered_size, png::kFilteredPadding, std::uint8_t{0});
  if (auto error = InflateImageData(info, {filtered.get(), filtered_size})) return Failure{*error};

  PixelImage image;
  image.Width = static_cast<std::int32_t>(info.Width);
  image.Height = static_cast<std::int32_t>(info.Height);
  image.HasAlpha = info.HasTransparency || info.Colour == kGreyAlpha || info.Colour == kRgba;
  image.Pixels.resize(std::size_t{info.Width} * info.Height);
  const auto error = GoesStraightToBgra(info) ? UnfilterToBgra(info, filtered.get(), image)
                                              : UnfilterAndConvert(info, filtered.get(), image);
  if (error) return Failure{*error};
  return image;
}

std::shared_ptr<const ImageDecoder> MakePngDecoder() {
  return std::make_shared<const PngDecoder>();
}

}  // namespace ris
