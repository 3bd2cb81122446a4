// Windows and OS/2 bitmaps (.bmp, .dib, .rle): the "BM" file header
// (14 bytes: type, file size, two reserved words, offset of the pixel bits),
// then the information header, masks, palette and rows. See bmp_decoder.h.
//
// Choices where the format leaves room:
// - A palette index beyond the palette gives opaque black.
// - RLE pixels that no code sets keep palette entry 0; runs that reach past
//   a row are cut at its end; data that ends without an end-of-bitmap code
//   leaves the rest unset rather than failing.
// - In 32-bit BI_RGB pictures the fourth byte is unused: they are opaque.
//   Where an alpha channel is declared (a bit-field alpha mask, or a 32-bit
//   icon), a channel that is zero in every pixel is taken as unused as well,
//   since such a picture would otherwise be invisible.
// - Uncompressed pixel bits must be present in full; a shorter file fails.
#include "pictures/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/decoders.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "BMP";

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,  // OS/2 2.x: Huffman 1D
  kJpeg = 4,       // OS/2 2.x: RLE24
  kPng = 5,
  kAlphaBitFields = 6,
};

// A run-length packet of two bytes paints at most 255 pixels. Skips and the
// end-of-bitmap code paint the rest without bytes: they count at that rate.
constexpr Density kRunLengthDensity{255, 2};

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kLargestHeaderSize = 124;

struct InfoHeader {
  std::uint32_t Size = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // as stored: negative means rows top down
  int Bits = 0;
  std::uint32_t Compression = kRgb;
  std::uint32_t ColorsUsed = 0;
  bool Core = false;  // OS/2 1.x: 16-bit sizes, 3-byte palette entries
  bool Os2 = false;   // OS/2 2.x: compression codes 3 and 4 differ
  std::array<std::uint32_t, 4> Masks{};  // red, green, blue, alpha
};

bool WindowsHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

Result<InfoHeader, DecodeError> ReadInfoHeader(ByteSpan dib, std::string_view format) {
  InfoHeader header;
  ByteReader size_reader(dib);
  header.Size = size_reader.U32();
  if (size_reader.Overrun()) return Failure{decode_errors::ReadError(format)};
  const bool known = header.Size == kCoreHeaderSize || (header.Size >= 16 && header.Size <= 64) ||
                     header.Size == 108 || header.Size == 124;
  if (!known) return Failure{decode_errors::InvalidFormat(format)};
  if (header.Size > dib.size()) return Failure{decode_errors::ReadError(format)};

  // Fields that a shorter header leaves out read as zero.
  std::array<char, kLargestHeaderSize> copy{};
  std::copy_n(dib.begin(), header.Size, reinterpret_cast<std::uint8_t*>(copy.data()));
  ByteReader reader(std::string_view(copy.data(), copy.size()));
  reader.Skip(4);
  if (header.Size == kCoreHeaderSize) {
    header.Core = true;
    header.Width = reader.U16();
    header.Height = reader.U16();
    reader.Skip(2);  // planes
    header.Bits = reader.U16();
    return header;
  }
  header.Width = static_cast<std::int32_t>(reader.U32());
  header.Height = static_cast<std::int32_t>(reader.U32());
  reader.Skip(2);  // planes
  header.Bits = reader.U16();
  header.Compression = reader.U32();
  reader.Skip(12);  // image size, resolution
  header.ColorsUsed = reader.U32();
  reader.Skip(4);  // important colours
  header.Os2 = !WindowsHeaderSize(header.Size);
  if (!header.Os2) {
    for (std::uint32_t& mask : header.Masks) mask = reader.U32();
    if (header.Size < 56) header.Masks[3] = 0;
  }
  return header;
}

// One colour channel cut out of a pixel by its mask and widened to 8 bits by
// repeating its bits (5 bits abcde give abcdeabc).
class MaskChannel {
 public:
  explicit MaskChannel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    bits_ = 32 - std::countl_zero(mask) - shift_;
  }

  bool Present() const { return mask_ != 0; }

  std::uint8_t Extract(std::uint32_t pixel) const {
    if (mask_ == 0) return 0;
    const std::uint32_t value = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return static_cast<std::uint8_t>(value >> (bits_ - 8));
    std::uint32_t widened = 0;
    int filled = 0;
    while (filled < 8) {
      widened = (widened << bits_) | value;
      filled += bits_;
    }
    return static_cast<std::uint8_t>(widened >> (filled - 8));
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
};

using Palette = std::array<Bgra, 256>;

struct PixelFormat {
  int Bits = 0;
  Palette Colours{};
  MaskChannel Red{0};
  MaskChannel Green{0};
  MaskChannel Blue{0};
  MaskChannel Alpha{0};
};

void DecodeRow(const std::uint8_t* row, const PixelFormat& format, std::span<Bgra> out) {
  const std::size_t width = out.size();
  switch (format.Bits) {
    case 1:
    case 2:
    case 4:
    case 8: {
      const unsigned bits = static_cast<unsigned>(format.Bits);
      const unsigned index_mask = (1U << bits) - 1;
      for (std::size_t x = 0; x < width; ++x) {
        const std::size_t bit = x * bits;
        const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
        out[x] = format.Colours[(row[bit / 8] >> shift) & index_mask];
      }
      break;
    }
    case 24:
      for (std::size_t x = 0; x < width; ++x) out[x] = Bgra{row[3 * x], row[3 * x + 1], row[3 * x + 2], 255};
      break;
    case 16:
    case 32: {
      const std::size_t step = static_cast<std::size_t>(format.Bits) / 8;
      for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t* p = row + x * step;
        std::uint32_t value = p[0] | (std::uint32_t{p[1]} << 8);
        if (step == 4) value |= (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
        out[x] = Bgra{format.Blue.Extract(value), format.Green.Extract(value), format.Red.Extract(value),
                      format.Alpha.Present() ? format.Alpha.Extract(value) : std::uint8_t{255}};
      }
      break;
    }
    default:
      break;
  }
}

// Everything the headers, masks and palette say, checked before any pixel.
struct DibLayout {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool TopDown = false;
  bool RunLengths = false;
  bool FourBit = false;  // RLE4
  PixelFormat Pixels;
  ByteSpan Bits;
  std::uint64_t Stride = 0;  // bytes per uncompressed row

  ShownRows::Order Order() const noexcept { return TopDown ? ShownRows::Order::TopDown : ShownRows::Order::BottomUp; }
  PixelSize Size() const noexcept { return {Width, Height}; }
};

Result<PixelFormat, DecodeError> ReadPixelFormat(const InfoHeader& header, std::string_view format) {
  PixelFormat pixels;
  pixels.Bits = header.Bits;
  switch (header.Bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return Failure{decode_errors::InvalidColorFormat(format)};
  }
  const std::uint32_t compression = header.Compression;
  if (header.Os2 && (compression == kBitFields || compression == kJpeg)) {
    return Failure{decode_errors::NotSupported("This compression is", format)};
  }
  if (compression == kJpeg || compression == kPng) {
    return Failure{decode_errors::NotSupported("Embedded JPEG or PNG data is", format)};
  }
  const bool bit_fields = compression == kBitFields || compression == kAlphaBitFields;
  const bool valid_compression = compression == kRgb ||
                                 (compression == kRle8 && header.Bits == 8) ||
                                 (compression == kRle4 && header.Bits == 4) ||
                                 (bit_fields && (header.Bits == 16 || header.Bits == 32));
  if (!valid_compression) return Failure{decode_errors::InvalidFormat(format)};
  return pixels;
}

// The colour masks, after the header where it is too short to hold them;
// `at` moves past them.
Result<std::array<std::uint32_t, 4>, DecodeError> ReadMasks(ByteSpan dib, const InfoHeader& header, bool icon,
                                                            std::uint64_t& at, std::string_view format) {
  const std::uint32_t compression = header.Compression;
  std::array<std::uint32_t, 4> masks{};
  if (compression == kBitFields || compression == kAlphaBitFields) {
    masks = header.Masks;
    if (header.Size < 52) {  // the masks follow the header
      const std::size_t count = compression == kAlphaBitFields ? 4 : 3;
      ByteReader reader(dib.subspan(at));
      for (std::size_t i = 0; i < count; ++i) masks[i] = reader.U32();
      if (reader.Overrun()) return Failure{decode_errors::ReadError(format)};
      at += count * 4;
    }
    if (compression == kBitFields && header.Size < 56) masks[3] = 0;
    if ((masks[0] | masks[1] | masks[2]) == 0) return Failure{decode_errors::InvalidColorFormat(format)};
  } else if (header.Bits == 16) {
    masks = {0x7C00, 0x03E0, 0x001F, 0};
  } else if (header.Bits == 32) {
    masks = {0xFF0000, 0xFF00, 0xFF, icon ? 0xFF000000U : 0};
  }
  return masks;
}

// The palette: for 8 bits and fewer it colours the indices; for more bits
// it is only an optional hint that the bits follow. Gives the entries the
// header counts, which the bits follow.
Result<std::uint64_t, DecodeError> ReadPalette(ByteSpan dib, const InfoHeader& header, std::uint64_t at,
                                               Palette& colours, std::string_view format) {
  const std::uint64_t entry_size = header.Core ? 3 : 4;
  const std::uint64_t entries = header.ColorsUsed != 0 ? header.ColorsUsed
                                : header.Bits <= 8     ? (std::uint64_t{1} << header.Bits)
                                                       : 0;
  colours.fill(Bgra{0, 0, 0, 255});
  if (header.Bits <= 8) {
    const std::uint64_t used = std::min<std::uint64_t>(entries, std::uint64_t{1} << header.Bits);
    if (at + used * entry_size > dib.size()) return Failure{decode_errors::InvalidPalette(format)};
    for (std::uint64_t i = 0; i < used; ++i) {
      const std::uint8_t* entry = dib.data() + at + i * entry_size;
      colours[i] = Bgra{entry[0], entry[1], entry[2], 255};
    }
  }
  return entries * entry_size;
}

// `bits_at` is where the pixel bits start within `dib`, as a file header
// gave it; negative when they follow the palette directly.
Result<DibLayout, DecodeError> ReadLayout(ByteSpan dib, std::int64_t bits_at, bool icon, std::string_view format) {
  auto read = ReadInfoHeader(dib, format);
  if (!read) return Failure{read.error()};
  const InfoHeader& header = *read;
  DibLayout layout;
  layout.TopDown = header.Height < 0;
  std::int64_t height = layout.TopDown ? -header.Height : header.Height;
  if (icon) height /= 2;
  if (header.Width <= 0 || height <= 0) return Failure{decode_errors::InvalidFormat(format)};
  if (!PictureSizeAllowed(header.Width, height)) return Failure{decode_errors::TooLarge(format)};
  layout.Width = static_cast<std::int32_t>(header.Width);
  layout.Height = static_cast<std::int32_t>(height);

  auto pixels = ReadPixelFormat(header, format);
  if (!pixels) return Failure{pixels.error()};
  layout.Pixels = *pixels;
  std::uint64_t at = header.Size;
  const auto masks = ReadMasks(dib, header, icon, at, format);
  if (!masks) return Failure{masks.error()};
  layout.Pixels.Red = MaskChannel((*masks)[0]);
  layout.Pixels.Green = MaskChannel((*masks)[1]);
  layout.Pixels.Blue = MaskChannel((*masks)[2]);
  layout.Pixels.Alpha = MaskChannel((*masks)[3]);
  const auto palette_bytes = ReadPalette(dib, header, at, layout.Pixels.Colours, format);
  if (!palette_bytes) return Failure{palette_bytes.error()};
  if (bits_at < static_cast<std::int64_t>(header.Size) || static_cast<std::uint64_t>(bits_at) > dib.size()) {
    bits_at = static_cast<std::int64_t>(at + *palette_bytes);
  }
  if (static_cast<std::uint64_t>(bits_at) > dib.size()) return Failure{decode_errors::ReadError(format)};
  layout.Bits = dib.subspan(static_cast<std::size_t>(bits_at));

  layout.RunLengths = header.Compression == kRle8 || header.Compression == kRle4;
  layout.FourBit = header.Compression == kRle4;
  if (layout.RunLengths) {
    if (const DecodeBudget budget(format, dib.size(), kRunLengthDensity); !budget.Allows(layout.Width, layout.Height)) {
      return Failure{budget.Refusal()};
    }
    return layout;
  }
  layout.Stride = (static_cast<std::uint64_t>(layout.Width) * static_cast<std::uint64_t>(header.Bits) + 31) / 32 * 4;
  if (layout.Stride * static_cast<std::uint64_t>(layout.Height) > layout.Bits.size()) {
    return Failure{decode_errors::ReadError(format)};
  }
  return layout;
}

// Run-length encoded rows (RLE8 and RLE4), counted from the first stored
// row; pixels no code sets keep palette entry 0, the rows' fill.
void UnpackRunLengths(const DibLayout& layout, ShownRows& rows) {
  const ByteSpan data = layout.Bits;
  const std::int64_t width = layout.Width;
  const std::int64_t height = layout.Height;
  const bool four_bit = layout.FourBit;
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::span<Bgra> row = rows.Next();
  const auto next_row = [&] {
    rows.Commit();
    row = rows.Next();
    ++y;
  };
  const auto put = [&](std::uint8_t index) {
    if (x < width) row[static_cast<std::size_t>(x)] = layout.Pixels.Colours[index];
    ++x;
  };
  std::size_t at = 0;
  while (at + 2 <= data.size() && y < height) {
    const unsigned count = data[at];
    const std::uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(four_bit ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      next_row();
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (at + 2 > data.size()) break;
      x = std::min<std::int64_t>(x + data[at], width);
      for (unsigned up = data[at + 1]; up > 0 && y < height; --up) next_row();
      at += 2;
    } else {  // `value` literal pixels, padded to a whole word
      const std::size_t bytes = four_bit ? (value + 1U) / 2 : value;
      if (at + bytes > data.size()) break;
      for (unsigned i = 0; i < value && x < width; ++i) {
        const std::uint8_t byte = data[at + (four_bit ? i / 2 : i)];
        put(four_bit ? static_cast<std::uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
      }
      at += bytes + (bytes & 1);
    }
  }
  if (y < height) rows.Commit();
}

const std::uint8_t* StoredRow(const DibLayout& layout, std::int32_t r) {
  return layout.Bits.data() + static_cast<std::uint64_t>(r) * layout.Stride;
}

// A declared alpha channel that is zero in every pixel is taken as unused;
// it is looked for in the stored bits, before any row is converted.
bool AlphaUsed(const DibLayout& layout) {
  if (!layout.Pixels.Alpha.Present()) return false;
  std::vector<Bgra> row(static_cast<std::size_t>(layout.Width));
  for (std::int32_t r = 0; r < layout.Height; ++r) {
    DecodeRow(StoredRow(layout, r), layout.Pixels, row);
    if (std::ranges::any_of(row, [](Bgra p) { return p.A != 0; })) return true;
  }
  return false;
}

void ConvertRows(const DibLayout& layout, bool alpha_used, ShownRows& rows) {
  for (std::int32_t r = 0; r < layout.Height; ++r) {
    const std::span<Bgra> row = rows.Next();
    DecodeRow(StoredRow(layout, r), layout.Pixels, row);
    if (!alpha_used) {
      for (Bgra& pixel : row) pixel.A = 255;
    }
    rows.Commit();
  }
}

// An icon's AND mask: bit 1 makes a pixel transparent. A mask cut short is
// ignored: the picture stays opaque.
void ApplyIconMask(const DibLayout& layout, PixelImage& image) {
  const std::uint64_t mask_stride = (static_cast<std::uint64_t>(layout.Width) + 31) / 32 * 4;
  const std::uint64_t mask_at = layout.Stride * static_cast<std::uint64_t>(layout.Height);
  if (mask_at + mask_stride * static_cast<std::uint64_t>(layout.Height) > layout.Bits.size()) return;
  for (std::int32_t r = 0; r < layout.Height; ++r) {
    const std::uint8_t* mask = layout.Bits.data() + mask_at + static_cast<std::uint64_t>(r) * mask_stride;
    const std::span<Bgra> row = image.Row(layout.TopDown ? r : layout.Height - 1 - r);
    for (std::size_t x = 0; x < row.size(); ++x) {
      if ((mask[x / 8] >> (7 - x % 8)) & 1) row[x].A = 0;
    }
  }
}

// Icons are decoded at their own size, their mask applied after.
Result<PixelImage, DecodeError> DecodeDib(const DibLayout& layout, bool icon, PixelSize cover) {
  const PixelSize shown = icon ? layout.Size() : ShownSize(layout.Size(), cover);
  if (layout.RunLengths) {
    ShownRows rows(layout.Size(), shown, layout.Order(), layout.Pixels.Colours[0]);
    UnpackRunLengths(layout, rows);
    return std::move(rows).Finish(icon);
  }
  const bool alpha_used = AlphaUsed(layout);
  ShownRows rows(layout.Size(), shown, layout.Order());
  ConvertRows(layout, alpha_used, rows);
  PixelImage image = std::move(rows).Finish();
  image.HasAlpha = alpha_used || icon;
  if (icon && !alpha_used) ApplyIconMask(layout, image);
  return image;
}

// A file starts with the "BM" header and the offset of the bits; a .dib
// may start with the information header.
Result<DibLayout, DecodeError> ReadFileLayout(ByteSpan data) {
  constexpr std::size_t kFileHeaderSize = 14;
  ByteSpan dib = data;
  std::int64_t bits_at = -1;
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    ByteReader reader(data);
    reader.Skip(10);
    const std::uint32_t offset = reader.U32();
    if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
    dib = data.subspan(kFileHeaderSize);
    if (offset >= kFileHeaderSize) bits_at = std::int64_t{offset} - std::int64_t{kFileHeaderSize};
  }
  return ReadLayout(dib, bits_at, false, kShortName);
}

class BitmapDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return false; }
  bool Recognises(ByteSpan /*data*/) const override { return false; }
  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    auto layout = ReadFileLayout(data);
    if (!layout) return Failure{layout.error()};
    return DecodeDib(*layout, false, cover);
  }

 protected:
  bool BitmapFormat() const override { return true; }
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    return SizeOfLayout(ReadFileLayout(data));
  }
};

}  // namespace

Result<PixelImage, DecodeError> DecodeDibImage(ByteSpan info_and_bits, bool icon_mask_follows,
                                               std::string_view format) {
  auto layout = ReadLayout(info_and_bits, -1, icon_mask_follows, format);
  if (!layout) return Failure{layout.error()};
  return DecodeDib(*layout, icon_mask_follows, {});
}

int DibBitCount(ByteSpan info_and_bits) noexcept {
  ByteReader reader(info_and_bits);
  const std::uint32_t size = reader.U32();
  reader.Skip(size == kCoreHeaderSize ? 6 : 10);
  const std::uint16_t bits = reader.U16();
  return reader.Overrun() ? 0 : bits;
}

std::shared_ptr<const ImageDecoder> MakeBitmapDecoder() { return std::make_shared<BitmapDecoder>(); }

}  // namespace ris
