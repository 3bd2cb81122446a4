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
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

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

// Decodes LZW codes into `out` (palette indexes, in stored order) until it is
// full or the stream ends. False on a code the table cannot hold.
bool Decompress(CodeReader& codes, unsigned min_size, std::vector<std::uint8_t>& out) {
  const unsigned clear = 1u << min_size;
  const unsigned end = clear + 1;
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<std::uint8_t, kMaxCodes> suffix{};
  std::array<std::uint8_t, kMaxCodes> first{};
  std::array<std::uint8_t, kMaxCodes> stack{};
  for (unsigned i = 0; i < clear; ++i) {
    suffix[i] = first[i] = static_cast<std::uint8_t>(i);
  }
  unsigned width = min_size + 1;
  unsigned next = clear + 2;
  std::optional<unsigned> previous;
  std::size_t filled = 0;

  while (filled < out.size()) {
    const auto read = codes.Next(width);
    if (!read) break;
    const unsigned code = *read;
    if (code == clear) {
      width = min_size + 1;
      next = clear + 2;
      previous.reset();
      continue;
    }
    if (code == end) break;
    if (code > next || (code == next && (!previous || next >= kMaxCodes))) return false;

    // Unwind the string of `code` (or of previous + its first byte).
    std::size_t depth = 0;
    unsigned walk = code;
    if (code == next) {
      stack[depth++] = first[*previous];
      walk = *previous;
    }
    while (walk >= clear) {
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = static_cast<std::uint8_t>(walk);
    while (depth > 0 && filled < out.size()) out[filled++] = stack[--depth];

    if (previous && next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(*previous);
      suffix[next] = static_cast<std::uint8_t>(walk);
      first[next] = first[*previous];
      ++next;
      if (next == (1u << width) && width < 12) ++width;
    }
    previous = code;
  }
  return true;
}

class GifDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    const std::string_view head = raster::AsText(data.first(std::min<std::size_t>(data.size(), 6)));
    return head == "GIF87a" || head == "GIF89a";
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (!Recognises(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    ByteReader reader(raster::AsText(data));
    reader.Skip(6);
    const std::uint16_t screen_width = reader.U16();
    const std::uint16_t screen_height = reader.U16();
    const std::uint8_t screen_flags = reader.U8();
    reader.Skip(2);  // background index, aspect
    std::vector<Bgra> global;
    if (screen_flags & 0x80) global = ReadPalette(reader, screen_flags);

    int transparent = kNoTransparency;  // the palette index shown transparent
    while (true) {
      const std::uint8_t introducer = reader.U8();
      if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
      if (introducer == 0x3B) return Failure{decode_errors::InvalidFormat(kShortName)};  // no image
      if (introducer == 0x21) {
        const std::uint8_t label = reader.U8();
        bool first_block = true;
        while (true) {
          const std::uint8_t length = reader.U8();
          if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
          if (length == 0) break;
          const std::string_view block = reader.Bytes(length);
          if (label == 0xF9 && first_block && block.size() >= 4) {
            transparent = (block[0] & 1) ? static_cast<std::uint8_t>(block[3]) : kNoTransparency;
          }
          first_block = false;
        }
        continue;
      }
      if (introducer != 0x2C) return Failure{decode_errors::InvalidFormat(kShortName)};

      std::uint16_t left = reader.U16();
      std::uint16_t top = reader.U16();
      const std::uint16_t width = reader.U16();
      const std::uint16_t height = reader.U16();
      const std::uint8_t flags = reader.U8();
      std::vector<Bgra> local;
      if (flags & 0x80) local = ReadPalette(reader, flags);
      const std::uint8_t min_size = reader.U8();
      if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
      if (width == 0 || height == 0) return Failure{decode_errors::InvalidFormat(kShortName)};
      if (min_size < 1 || min_size > 8) return Failure{decode_errors::CompressionError(kShortName)};
      const std::vector<Bgra>& palette = (flags & 0x80) ? local : global;

      const std::size_t frame_pixels = std::size_t{width} * height;
      std::int64_t canvas_width = std::max<std::int64_t>(screen_width, left + width);
      std::int64_t canvas_height = std::max<std::int64_t>(screen_height, top + height);
      // Beyond the image a screen holds only transparency. A few bytes may
      // declare a huge screen around a tiny image; such a screen is dropped
      // for the image alone rather than cost a picture of that size. The
      // bytes left from here on must pay for the whole picture.
      const auto use_image_alone = [&] {
        canvas_width = width;
        canvas_height = height;
        left = 0;
        top = 0;
      };
      if (canvas_width * canvas_height > std::max<std::int64_t>(16 * static_cast<std::int64_t>(frame_pixels), kSmallScreenPixels)) {
        use_image_alone();
      }
      if (!PictureSizeAllowed(canvas_width, canvas_height)) return Failure{decode_errors::TooLarge(kShortName)};
      const auto budget = DecodeBudget::OfPixels(kShortName, LzwMostPixels(reader.Remaining()));
      if (!budget.AllowsAmount(static_cast<std::uint64_t>(canvas_width * canvas_height))) use_image_alone();
      if (!budget.Allows(canvas_width, canvas_height)) return Failure{budget.Refusal()};

      std::vector<std::uint8_t> indexes(frame_pixels, 0);
      CodeReader codes(data, reader.Position());
      if (!Decompress(codes, min_size, indexes)) return Failure{decode_errors::CompressionError(kShortName)};
      if (codes.Truncated()) return Failure{decode_errors::ReadError(kShortName)};

      PixelImage image = PixelImage::Blank(static_cast<std::int32_t>(canvas_width),
                                           static_cast<std::int32_t>(canvas_height), Bgra{0, 0, 0, 0});
      image.HasAlpha = true;
      const auto row_of = RowOrder(height, (flags & 0x40) != 0);
      for (std::size_t stored = 0; stored < height; ++stored) {
        const std::int32_t y = top + row_of[stored];
        for (std::int32_t x = 0; x < width; ++x) {
          const std::uint8_t index = indexes[stored * width + static_cast<std::size_t>(x)];
          Bgra pixel{0, 0, 0, 255};
          if (index == transparent) pixel = Bgra{0, 0, 0, 0};
          else if (index < palette.size()) pixel = palette[index];
          image.At(left + x, y) = pixel;
        }
      }
      return TPicture::FromPixels(std::move(image), false);
    }
  }

 private:
  static std::vector<Bgra> ReadPalette(ByteReader& reader, std::uint8_t flags) {
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

  // For each stored row, its row in the image: interlaced pictures store rows
  // 0, 8, 16..., then 4, 12..., then 2, 6..., then 1, 3....
  static std::vector<std::int32_t> RowOrder(std::uint16_t height, bool interlaced) {
    std::vector<std::int32_t> order;
    order.reserve(height);
    if (!interlaced) {
      for (std::int32_t y = 0; y < height; ++y) order.push_back(y);
      return order;
    }
    constexpr std::int32_t kStart[] = {0, 4, 2, 1};
    constexpr std::int32_t kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (std::int32_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
    }
    return order;
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeGifDecoder() { return std::make_shared<const GifDecoder>(); }

}  // namespace ris
