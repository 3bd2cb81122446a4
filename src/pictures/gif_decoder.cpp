// CompuServe GIF (87a and 89a), first frame only. After the six-byte
// signature come the logical screen (width, height, flags with the global
// palette's presence and size, background index, aspect) and the global
// palette; then a sequence of blocks: extensions (0x21, a label and data
// sub-blocks; the graphic control extension 0xF9 carries the transparency
// index), images (0x2C: left, top, width, height, flags with local palette
// and interlacing, the local palette, the LZW minimum code size and the
// compressed data in sub-blocks of at most 255 bytes) and the trailer 0x3B.
//
// The picture is the logical screen with the first image placed at its
// position; screen pixels the image does not cover are transparent. A screen
// too small to hold the image is widened to hold it; one far larger than a
// small image, or larger than the bytes of the image pay for, gives way to
// the image alone. Indexes beyond the
// palette show as opaque black.
#include "pictures/gif_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "GIF";
constexpr std::size_t kMaxCodes = 4096;
constexpr int kNoTransparency = -1;
// Screens up to this size are kept whatever the size of their first image.
constexpr std::int64_t kSmallScreenPixels = std::int64_t{1} << 20;

// The most pixels `bytes` of LZW code can give. The densest code makes each
// string one pixel longer than the one before, so the strings grow with the
// table while the codes widen to name its newest entry (from the smallest
// code size, two colours); once the table is full, each 12-bit code gives at
// most 4096.
std::uint64_t LzwMostPixels(std::uint64_t bytes) {
  std::uint64_t bits = bytes * 8;
  std::uint64_t pixels = 0;
  for (unsigned next = 4; next < kMaxCodes; ++next) {
    const auto width = static_cast<unsigned>(std::bit_width(next));
    if (bits < width) return pixels;
    bits -= width;
    pixels += next - 3;  // the string of the code before, one pixel longer
  }
  return pixels + bits / 12 * kMaxCodes;
}

// The data sub-blocks of one image, read as one stream of bits, lowest first.
class CodeReader {
 public:
  CodeReader(ByteSpan data, std::size_t position) : data_(data), position_(position) {}

  // The next code of `width` bits; none when the sub-blocks end. `truncated`
  // tells whether the file ended before the closing empty sub-block.
  std::optional<unsigned> Next(unsigned width) {
    while (bit_count_ < width) {
      if (block_left_ == 0) {
        if (ended_) return std::nullopt;
        if (position_ >= data_.size()) {
          truncated_ = ended_ = true;
          return std::nullopt;
        }
        block_left_ = data_[position_++];
        if (block_left_ == 0) {
          ended_ = true;
          return std::nullopt;
        }
      }
      if (position_ >= data_.size()) {
        truncated_ = ended_ = true;
        return std::nullopt;
      }
      bits_ |= static_cast<std::uint32_t>(data_[position_++]) << bit_count_;
      bit_count_ += 8;
      --block_left_;
    }
    const unsigned code = bits_ & ((1u << width) - 1u);
    bits_ >>= width;
    bit_count_ -= width;
    return code;
  }

  bool Truncated() const noexcept { return truncated_; }

 private:
  ByteSpan data_;
  std::size_t position_;
  std::size_t block_left_ = 0;
  std::uint32_t bits_ = 0;
  unsigned bit_count_ = 0;
  bool ended_ = false;
  bool truncated_ = false;
};

// LZW codes decoded into palette indexes, in stored order, as many at a
// time as asked for: a string that runs past one request is finished in
// the next.
class LzwDecoder {
 public:
  LzwDecoder(CodeReader& codes, unsigned min_size) : codes_(codes), min_size_(min_size), clear_(1u << min_size) {
    for (unsigned i = 0; i < clear_; ++i) suffix_[i] = first_[i] = static_cast<std::uint8_t>(i);
    Reset();
  }

  // Fills `out` until it is full or the stream ends, leaving the rest as it
  // was. False on a code the table cannot hold.
  bool Fill(std::span<std::uint8_t> out) {
    std::size_t filled = 0;
    while (filled < out.size()) {
      while (depth_ > 0 && filled < out.size()) out[filled++] = stack_[--depth_];
      if (filled == out.size() || ended_) break;
      if (!NextString()) return false;
    }
    return true;
  }

 private:
  void Reset() {
    width_ = min_size_ + 1;
    next_ = clear_ + 2;
    previous_.reset();
  }

  // Reads codes until one pushes a string onto the stack, or the stream ends.
  bool NextString() {
    while (true) {
      const auto read = codes_.Next(width_);
      if (!read || *read == clear_ + 1) {  // the end of the data or the end code
        ended_ = true;
        return true;
      }
      const unsigned code = *read;
      if (code == clear_) {
        Reset();
        continue;
      }
      if (code > next_ || (code == next_ && (!previous_ || next_ >= kMaxCodes))) return false;
      Push(code);
      return true;
    }
  }

  // Unwinds the string of `code` (or of the previous code and its first
  // byte) onto the stack, and adds the table entry it makes.
  void Push(unsigned code) {
    unsigned walk = code;
    if (code == next_) {
      stack_[depth_++] = first_[*previous_];
      walk = *previous_;
    }
    while (walk >= clear_) {
      stack_[depth_++] = suffix_[walk];
      walk = prefix_[walk];
    }
    stack_[depth_++] = static_cast<std::uint8_t>(walk);
    if (previous_ && next_ < kMaxCodes) {
      prefix_[next_] = static_cast<std::uint16_t>(*previous_);
      suffix_[next_] = static_cast<std::uint8_t>(walk);
      first_[next_] = first_[*previous_];
      ++next_;
      if (next_ == (1u << width_) && width_ < 12) ++width_;
    }
    previous_ = code;
  }

  CodeReader& codes_;
  unsigned min_size_;
  unsigned clear_;
  unsigned width_ = 0;
  unsigned next_ = 0;
  std::optional<unsigned> previous_;
  bool ended_ = false;
  std::array<std::uint16_t, kMaxCodes> prefix_{};
  std::array<std::uint8_t, kMaxCodes> suffix_{};
  std::array<std::uint8_t, kMaxCodes> first_{};
  std::array<std::uint8_t, kMaxCodes + 1> stack_{};
  std::size_t depth_ = 0;
};

std::vector<Bgra> ReadPalette(ByteReader& reader, std::uint8_t flags) {
  const std::size_t entries = std::size_t{2} << (flags & 7);
  std::vector<Bgra> palette;
  palette.reserve(entries);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint8_t r = reader.U8();
    const std::uint8_t g = reader.U8();
    const std::uint8_t b = reader.U8();
    palette.push_back(Bgra{b, g, r, 255});
  }
  return palette;
}

// The logical screen and the first image: everything before its code.
struct GifLayout {
  std::int64_t CanvasWidth = 0;
  std::int64_t CanvasHeight = 0;
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::uint16_t Width = 0;
  std::uint16_t Height = 0;
  bool Interlaced = false;
  unsigned MinSize = 0;
  std::vector<Bgra> Palette;
  int Transparent = kNoTransparency;  // the palette index shown transparent
  std::size_t CodeAt = 0;

  PixelSize Size() const noexcept {
    return {static_cast<std::int32_t>(CanvasWidth), static_cast<std::int32_t>(CanvasHeight)};
  }
};

// The extension blocks before the image; a graphic control extension gives
// the transparent index.
std::optional<DecodeError> SkipExtension(ByteReader& reader, GifLayout& layout) {
  const std::uint8_t label = reader.U8();
  bool first_block = true;
  while (true) {
    const std::uint8_t length = reader.U8();
    if (reader.Overrun()) return decode_errors::ReadError(kShortName);
    if (length == 0) return std::nullopt;
    const std::string_view block = reader.Bytes(length);
    if (label == 0xF9 && first_block && block.size() >= 4) {
      layout.Transparent = (block[0] & 1) ? static_cast<std::uint8_t>(block[3]) : kNoTransparency;
    }
    first_block = false;
  }
}

// Beyond the image a screen holds only transparency. A few bytes may
// declare a huge screen around a tiny image; such a screen is dropped for
// the image alone rather than cost a picture of that size. The bytes left
// from the image's code on must pay for the whole picture.
std::optional<DecodeError> PlaceOnScreen(GifLayout& layout, std::uint16_t screen_width, std::uint16_t screen_height,
                                         std::size_t code_bytes) {
  const std::int64_t frame_pixels = std::int64_t{layout.Width} * layout.Height;
  layout.CanvasWidth = std::max<std::int64_t>(screen_width, layout.Left + layout.Width);
  layout.CanvasHeight = std::max<std::int64_t>(screen_height, layout.Top + layout.Height);
  const auto use_image_alone = [&] {
    layout.CanvasWidth = layout.Width;
    layout.CanvasHeight = layout.Height;
    layout.Left = 0;
    layout.Top = 0;
  };
  if (layout.CanvasWidth * layout.CanvasHeight > std::max<std::int64_t>(16 * frame_pixels, kSmallScreenPixels)) {
    use_image_alone();
  }
  if (!PictureSizeAllowed(layout.CanvasWidth, layout.CanvasHeight)) return decode_errors::TooLarge(kShortName);
  const auto budget = DecodeBudget::OfPixels(kShortName, LzwMostPixels(code_bytes));
  if (!budget.AllowsAmount(static_cast<std::uint64_t>(layout.CanvasWidth * layout.CanvasHeight))) use_image_alone();
  if (!budget.Allows(layout.CanvasWidth, layout.CanvasHeight)) return budget.Refusal();
  return std::nullopt;
}

Result<GifLayout, DecodeError> ReadLayout(ByteSpan data) {
  ByteReader reader(data);
  reader.Skip(6);
  const std::uint16_t screen_width = reader.U16();
  const std::uint16_t screen_height = reader.U16();
  const std::uint8_t screen_flags = reader.U8();
  reader.Skip(2);  // background index, aspect
  std::vector<Bgra> global;
  if (screen_flags & 0x80) global = ReadPalette(reader, screen_flags);
  GifLayout layout;
  while (true) {
    const std::uint8_t introducer = reader.U8();
    if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
    if (introducer == 0x3B) return Failure{decode_errors::InvalidFormat(kShortName)};  // no image
    if (introducer == 0x21) {
      if (auto error = SkipExtension(reader, layout)) return Failure{*error};
      continue;
    }
    if (introducer != 0x2C) return Failure{decode_errors::InvalidFormat(kShortName)};
    break;
  }
  layout.Left = reader.U16();
  layout.Top = reader.U16();
  layout.Width = reader.U16();
  layout.Height = reader.U16();
  const std::uint8_t flags = reader.U8();
  layout.Interlaced = (flags & 0x40) != 0;
  layout.Palette = (flags & 0x80) ? ReadPalette(reader, flags) : std::move(global);
  layout.MinSize = reader.U8();
  if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
  if (layout.Width == 0 || layout.Height == 0) return Failure{decode_errors::InvalidFormat(kShortName)};
  if (layout.MinSize < 1 || layout.MinSize > 8) return Failure{decode_errors::CompressionError(kShortName)};
  if (auto error = PlaceOnScreen(layout, screen_width, screen_height, reader.Remaining())) return Failure{*error};
  layout.CodeAt = reader.Position();
  return layout;
}

void ConvertRow(const GifLayout& layout, std::span<const std::uint8_t> indexes, std::span<Bgra> row) {
  Bgra* out = row.data() + layout.Left;
  for (const std::uint8_t index : indexes) {
    Bgra pixel{0, 0, 0, 255};
    if (index == layout.Transparent) pixel = Bgra{0, 0, 0, 0};
    else if (index < layout.Palette.size()) pixel = layout.Palette[index];
    *out++ = pixel;
  }
}

// For each row of the image, where it is stored: interlaced pictures store
// rows 0, 8, 16..., then 4, 12..., then 2, 6..., then 1, 3....
std::vector<std::uint32_t> InterlacedPlaces(std::uint16_t height) {
  std::vector<std::uint32_t> places(height);
  constexpr std::uint32_t kStart[] = {0, 4, 2, 1};
  constexpr std::uint32_t kStep[] = {8, 8, 4, 2};
  std::uint32_t stored = 0;
  for (int pass = 0; pass < 4; ++pass) {
    for (std::uint32_t y = kStart[pass]; y < height; y += kStep[pass]) places[y] = stored++;
  }
  return places;
}

// The image's indexes row by row, in the order shown: as stored, or, for an
// interlaced image, all of them first (a byte a pixel) and then reordered.
class ImageRows {
 public:
  ImageRows(ByteSpan data, const GifLayout& layout)
      : codes_(data, layout.CodeAt), lzw_(codes_, layout.MinSize), width_(layout.Width), row_(layout.Width) {
    if (!layout.Interlaced) return;
    whole_.assign(std::size_t{layout.Width} * layout.Height, 0);
    places_ = InterlacedPlaces(layout.Height);
  }

  // The next row's indexes; none on damaged code.
  std::optional<std::span<const std::uint8_t>> Next() {
    if (!places_.empty()) {
      if (shown_ == 0 && !Read(whole_)) return std::nullopt;
      const std::size_t stored = places_[shown_++];
      return std::span<const std::uint8_t>(whole_).subspan(stored * width_, width_);
    }
    std::ranges::fill(row_, std::uint8_t{0});  // what the code does not reach is index 0
    if (!Read(row_)) return std::nullopt;
    return std::span<const std::uint8_t>(row_);
  }

  std::optional<DecodeError> Error() const { return error_; }

 private:
  bool Read(std::span<std::uint8_t> out) {
    if (!lzw_.Fill(out)) {
      error_ = decode_errors::CompressionError(kShortName);
      return false;
    }
    if (codes_.Truncated()) {
      error_ = decode_errors::ReadError(kShortName);
      return false;
    }
    return true;
  }

  CodeReader codes_;
  LzwDecoder lzw_;
  std::size_t width_;
  std::vector<std::uint8_t> row_;
  std::vector<std::uint8_t> whole_;
  std::vector<std::uint32_t> places_;  // interlaced: each shown row's place in whole_
  std::uint32_t shown_ = 0;
  std::optional<DecodeError> error_;
};

bool IsGif(ByteSpan data) {
  const std::string_view head = AsText(data.first(std::min<std::size_t>(data.size(), 6)));
  return head == "GIF87a" || head == "GIF89a";
}

class GifDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsGif(data); }

  // The screen's rows, transparent where the image does not reach.
  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    if (!IsGif(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    auto read = ReadLayout(data);
    if (!read) return Failure{read.error()};
    const GifLayout& layout = *read;
    ShownRows rows(layout.Size(), ShownSize(layout.Size(), cover), ShownRows::Order::TopDown, Bgra{0, 0, 0, 0});
    ImageRows image_rows(data, layout);
    for (std::int64_t y = 0; y < layout.Top + layout.Height; ++y) {
      const std::span<Bgra> row = rows.Next();
      if (y >= layout.Top) {
        const auto indexes = image_rows.Next();
        if (!indexes) return Failure{*image_rows.Error()};
        ConvertRow(layout, *indexes, row);
      }
      rows.Commit();
    }
    return std::move(rows).Finish(true);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    if (!IsGif(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    return SizeOfLayout(ReadLayout(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeGifDecoder() { return std::make_shared<const GifDecoder>(); }

}  // namespace ris
