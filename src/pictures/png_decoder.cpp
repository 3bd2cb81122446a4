#include "pictures/png_decoder.h"

#include <libdeflate.h>
#include <zlib.h>

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
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

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
  ByteReader reader(data);
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

// The zlib stream spread over the IDAT chunks, inflated a row at a time:
// only the row being unfiltered and the one above it are held.
class ImageDataStream {
 public:
  explicit ImageDataStream(const PngInfo& info) : pieces_(info.Idat) {
    ready_ = inflateInit(&stream_) == Z_OK;
  }
  ~ImageDataStream() {
    if (ready_) inflateEnd(&stream_);
  }
  ImageDataStream(const ImageDataStream&) = delete;
  ImageDataStream& operator=(const ImageDataStream&) = delete;

  // Fills `out` from the stream; a stream that ends first is damaged.
  std::optional<DecodeError> Read(std::span<std::uint8_t> out) {
    if (!ready_) return decode_errors::CompressionError(kFormat);
    stream_.next_out = out.data();
    stream_.avail_out = static_cast<uInt>(out.size());
    while (stream_.avail_out > 0) {
      if (ended_ || !Inflate()) return decode_errors::CompressionError(kFormat);
    }
    return std::nullopt;
  }

  // After the last row the stream must end, with its checksum.
  std::optional<DecodeError> Finish() {
    std::uint8_t extra = 0;
    while (!ended_) {
      stream_.next_out = &extra;
      stream_.avail_out = 1;
      if (!Inflate()) return decode_errors::CompressionError(kFormat);
      if (stream_.avail_out == 0) return decode_errors::ExtraCompressedData(kFormat);
    }
    return std::nullopt;
  }

 private:
  // One step of inflate, fed the next piece when the last is used up;
  // false for damage or a stream cut short.
  bool Inflate() {
    if (stream_.avail_in == 0) {
      if (next_piece_ == pieces_.size()) return false;
      const ByteSpan piece = pieces_[next_piece_++];
      stream_.next_in = const_cast<Bytef*>(piece.data());  // zlib's input is not written to
      stream_.avail_in = static_cast<uInt>(piece.size());
    }
    const int status = inflate(&stream_, Z_NO_FLUSH);
    ended_ = status == Z_STREAM_END;
    return status == Z_OK || ended_ || (status == Z_BUF_ERROR && stream_.avail_in == 0);
  }

  std::span<const ByteSpan> pieces_;
  std::size_t next_piece_ = 0;
  z_stream stream_{};
  bool ready_ = false;
  bool ended_ = false;
};

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
// unfilter straight into pixels.
bool GoesStraightToBgra(const PngInfo& info) noexcept {
  const bool keyless_rgb = info.Colour == kRgb && !info.HasTransparency;
  return info.Depth == 8 && !info.Interlaced && (keyless_rgb || info.Colour == kRgba);
}

// One row of filter byte and filtered bytes, padded for the vector path.
std::vector<std::uint8_t> FilteredRow(const PngInfo& info, std::uint32_t width) {
  return std::vector<std::uint8_t>(info.RowBytes(width) + 1 + png::kFilteredPadding);
}

// Rows of the common layouts: each unfiltered from its filtered bytes
// straight into pixels, against the pixels of the row above.
std::optional<DecodeError> StreamStraight(const PngInfo& info, ImageDataStream& stream, ShownRows& rows) {
  std::vector<std::uint8_t> filtered = FilteredRow(info, info.Width);
  std::vector<Bgra> prior(info.Width, Bgra{0, 0, 0, 0});
  const std::span<std::uint8_t> row_bytes(filtered.data(), info.RowBytes(info.Width) + 1);
  for (std::uint32_t y = 0; y < info.Height; ++y) {
    if (auto error = stream.Read(row_bytes)) return error;
    const std::span<Bgra> out = rows.Next();
    if (!png::UnfilterRowsToBgra(filtered.data(), info.Channels, info.Width, 1, prior.data(), out.data())) {
      return decode_errors::InvalidFormat(kFormat);
    }
    std::ranges::copy(out, prior.begin());
    rows.Commit();
  }
  return std::nullopt;
}

// The rows of one pass (the whole picture when not interlaced), each
// unfiltered in place against the one above and handed to `put`.
template <typename Put>
std::optional<DecodeError> StreamPass(const PngInfo& info, std::uint32_t width, std::uint32_t height,
                                      ImageDataStream& stream, Put put) {
  const std::size_t bpp = std::max<std::size_t>(1, info.BitsPerPixel() / 8);
  const std::size_t size = info.RowBytes(width);
  std::vector<std::uint8_t> filtered = FilteredRow(info, width);
  std::vector<std::uint8_t> prior(size);
  for (std::uint32_t y = 0; y < height; ++y) {
    if (auto error = stream.Read({filtered.data(), size + 1})) return error;
    std::uint8_t* row = filtered.data() + 1;
    if (!png::UnfilterRow(filtered[0], row, prior.data(), size, bpp)) return decode_errors::InvalidFormat(kFormat);
    if (!put(y, static_cast<const std::uint8_t*>(row))) return decode_errors::InvalidPalette(kFormat);
    std::copy_n(row, size, prior.begin());
  }
  return std::nullopt;
}

std::optional<DecodeError> StreamRows(const PngInfo& info, ImageDataStream& stream, ShownRows& rows) {
  if (GoesStraightToBgra(info)) return StreamStraight(info, stream, rows);
  return StreamPass(info, info.Width, info.Height, stream, [&](std::uint32_t, const std::uint8_t* row) {
    const bool converted = ConvertRow(row, {rows.Next().data(), 1, info.Width}, info);
    rows.Commit();
    return converted;
  });
}

// The passes of an interlaced picture each cover the whole picture: at its
// own size it is put together whole, reduced its rows' parts are added to
// the sums of the shown picture pass by pass.
template <typename PutPart>
std::optional<DecodeError> StreamPasses(const PngInfo& info, ImageDataStream& stream, PutPart put_part) {
  std::vector<Bgra> part(info.Width);
  for (const Pass& pass : PassesOf(info)) {
    const std::uint32_t width = PassSide(info.Width, pass.X0, pass.DX);
    const std::uint32_t height = PassSide(info.Height, pass.Y0, pass.DY);
    if (width == 0) continue;
    auto error = StreamPass(info, width, height, stream, [&](std::uint32_t y, const std::uint8_t* row) {
      if (!ConvertRow(row, {part.data(), 1, width}, info)) return false;
      put_part(pass, pass.Y0 + y * pass.DY, std::span<const Bgra>(part).first(width));
      return true;
    });
    if (error) return error;
  }
  return std::nullopt;
}

Result<PixelImage, DecodeError> DecodeInterlaced(const PngInfo& info, ImageDataStream& stream, PixelSize shown) {
  const PixelSize own{static_cast<std::int32_t>(info.Width), static_cast<std::int32_t>(info.Height)};
  if (shown == own) {
    PixelImage whole = PixelImage::Blank(own.Width, own.Height);
    auto error = StreamPasses(info, stream, [&](const Pass& pass, std::uint32_t y, std::span<const Bgra> part) {
      Bgra* out = whole.Pixels.data() + std::size_t{y} * info.Width + pass.X0;
      for (std::size_t i = 0; i < part.size(); ++i) out[i * pass.DX] = part[i];
    });
    if (error) return Failure{*error};
    return whole;
  }
  ShownPasses sums(own, shown);
  auto error = StreamPasses(info, stream, [&](const Pass& pass, std::uint32_t y, std::span<const Bgra> part) {
    sums.AddRow(static_cast<std::int32_t>(y), static_cast<std::int32_t>(pass.X0), static_cast<std::int32_t>(pass.DX), part);
  });
  if (error) return Failure{*error};
  return std::move(sums).Finish();
}

// The header's checks, and the budget: the rows inflate from the image
// data, and too few bytes to fill the picture are refused before any pixel.
Result<PngInfo, DecodeError> ReadChecked(ByteSpan data) {
  auto read = ReadChunks(data);
  if (!read) return read;
  if (const DecodeBudget budget(kFormat, read->IdatBytes, kDeflateDensity); !budget.AllowsAmount(FilteredSize(*read))) {
    return Failure{budget.Refusal()};
  }
  return read;
}

class PngDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kFormat; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsPngSignature(data); }
  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    return DecodePngImage(data, cover);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    auto info = ReadChecked(data);
    if (!info) return Failure{info.error()};
    return PixelSize{static_cast<std::int32_t>(info->Width), static_cast<std::int32_t>(info->Height)};
  }
};

}  // namespace

bool IsPngSignature(ByteSpan data) noexcept {
  return data.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), data.begin());
}

Result<PixelImage, DecodeError> DecodePngImage(ByteSpan data, PixelSize cover) {
  auto read = ReadChecked(data);
  if (!read) return Failure{read.error()};
  const PngInfo& info = *read;
  const PixelSize own{static_cast<std::int32_t>(info.Width), static_cast<std::int32_t>(info.Height)};
  const PixelSize shown = ShownSize(own, cover);
  ImageDataStream stream(info);
  PixelImage image;
  if (info.Interlaced) {
    auto decoded = DecodeInterlaced(info, stream, shown);
    if (!decoded) return decoded;
    image = std::move(decoded).value();
  } else {
    ShownRows rows(own, shown);
    if (auto error = StreamRows(info, stream, rows)) return Failure{*error};
    image = std::move(rows).Finish();
  }
  if (auto error = stream.Finish()) return Failure{*error};
  image.HasAlpha = info.HasTransparency || info.Colour == kGreyAlpha || info.Colour == kRgba;
  return image;
}

std::shared_ptr<const ImageDecoder> MakePngDecoder() {
  return std::make_shared<const PngDecoder>();
}

}  // namespace ris
