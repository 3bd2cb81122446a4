#pragma once
// What a picture may cost, measured by the bytes that carry it.
//
// A header can declare any size; the bytes behind it cannot encode more than
// so many pixels each. Every format has a densest legal encoding, and its
// pixels per byte are the most a picture honestly gets from its bytes:
// deflate gives at most 1032 bytes for each byte it reads, JPEG spends at
// least one bit on every 8 x 8 block, a run-length code repeats at most its
// longest run per packet, LZW's strings grow by a pixel a code. Codes
// that make pixels from no bytes at all (the skips and the end code of RLE
// bitmaps, layers without channels) are held to the same ratio: the picture
// they paint must still fit what the bytes could encode. Uncompressed data
// needs no ratio: a decoder checks that all of it is there.
//
// So before a decoder allocates pixels it asks the budget whether the
// declared size fits the bytes present times that ratio (and the absolute
// limits of picture.h), and before it repeats work over the pixels (the
// scans of a progressive JPEG, the records of a metafile) it asks how many
// passes the bytes pay for: kPassesPerPicture over every picture's worth the
// bytes could encode. Past either limit the picture is refused with
// Refusal(), "Pictures of this size are not supported for X files."; a small
// file then costs little time and memory, whatever its header says.

#include <cstdint>
#include <string_view>

#include "pictures/image_decoder.h"

namespace ris {

// At most `Pixels` pixels (or samples, or bytes of decoded data: whatever
// the decoder counts) for every `Bytes` bytes of the file.
struct Density {
  std::uint64_t Pixels = 1;
  std::uint64_t Bytes = 1;
};

// Deflate (zlib) gives at most 1032 bytes of output for each byte it reads.
inline constexpr Density kDeflateDensity{1032, 1};

// Passes over the pixels that the bytes of one picture's worth pay for.
// Progressive JPEG scripts hold about ten scans.
inline constexpr std::uint64_t kPassesPerPicture = 16;

class DecodeBudget {
 public:
  DecodeBudget(std::string_view format, std::uint64_t bytes, Density density) noexcept
      : format_(format), bytes_(bytes), density_(density) {}
  // For codes whose reach per byte is not fixed (LZW's grows with its
  // table): the pixels the format works out its bytes can encode.
  static DecodeBudget OfPixels(std::string_view format, std::uint64_t pixels) noexcept {
    return {format, pixels, Density{1, 1}};
  }

  // The picture is within the absolute limits and the bytes can encode it.
  bool Allows(std::int64_t width, std::int64_t height) const noexcept;
  // The bytes can encode `amount` units of the density's kind.
  bool AllowsAmount(std::uint64_t amount) const noexcept;
  // How many passes over `pixels` pixels the bytes pay for.
  std::uint64_t PassesOver(std::uint64_t pixels) const noexcept;

  DecodeError Refusal() const { return decode_errors::TooLarge(format_); }

 private:
  std::uint64_t Encodable() const noexcept;

  std::string_view format_;
  std::uint64_t bytes_;
  Density density_;
};

}  // namespace ris
