#pragma once
// A decoded picture: its size and 32-bit pixels, or, for formats that are
// cheap to measure but costly to decode, the means to decode them on first
// use.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/pixel_size.h"
#include "base/result.h"

namespace ris {

// One pixel as it lies in memory: blue, green, red, alpha bytes, the layout
// of a 32-bit Windows DIB. Formats without alpha give 255.
struct Bgra {
  std::uint8_t B = 0;
  std::uint8_t G = 0;
  std::uint8_t R = 0;
  std::uint8_t A = 255;

  friend bool operator==(const Bgra&, const Bgra&) = default;
};
static_assert(sizeof(Bgra) == 4);

// Decoders refuse larger pictures before allocating anything: a side of
// more than 32768 pixels, or more than 64 Mi pixels (256 MiB) in all.
inline constexpr std::int32_t kMaxPictureSide = 32768;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{64} << 20;
bool PictureSizeAllowed(std::int64_t width, std::int64_t height) noexcept;

struct PixelImage {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<Bgra> Pixels;  // rows top to bottom, Width pixels each
  bool HasAlpha = false;     // the format carried transparency

  // A picture of the given size, every pixel `fill`. The size must be allowed.
  static PixelImage Blank(std::int32_t width, std::int32_t height, Bgra fill = {});

  Bgra& At(std::int32_t x, std::int32_t y) {
    return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                  static_cast<std::size_t>(x)];
  }
  std::span<Bgra> Row(std::int32_t y) {
    return std::span(Pixels).subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(Width),
                                     static_cast<std::size_t>(Width));
  }
};

// Why a picture could not be decoded, in words for the user.
struct DecodeError {
  std::string Message;
};

using DeferredDecode = std::function<Result<PixelImage, DecodeError>()>;

// A decode that can give fewer pixels than the picture's own size when no
// more are needed: the result covers `cover` (each side at least as long as
// the cover's or the picture's own) or is the picture at its own size. An
// empty `cover` asks for its own size.
using ReducibleDecode = std::function<Result<PixelImage, DecodeError>(PixelSize cover)>;

class TPicture {
 public:
  TPicture() = default;  // empty: no picture

  // `bitmap_format` tells pictures that came from the system's own bitmap
  // family (the display treats their corner pixel as transparent).
  static TPicture FromPixels(PixelImage pixels, bool bitmap_format);
  static TPicture Deferred(std::int32_t width, std::int32_t height, bool bitmap_format,
                           DeferredDecode decode);
  // For formats that decode faster at a reduced size: a photograph shown
  // on a smaller screen needs only the pixels the screen can show.
  static TPicture DeferredReducible(std::int32_t width, std::int32_t height, bool bitmap_format,
                                    ReducibleDecode decode);

  bool Empty() const noexcept { return width_ == 0 || height_ == 0; }
  std::int32_t Width() const noexcept { return width_; }
  std::int32_t Height() const noexcept { return height_; }
  bool FromBitmapFormat() const noexcept { return bitmap_format_; }

  // The pixels, decoding deferred data on the first call. An error is kept
  // and given again on later calls, so a broken picture costs one attempt.
  Result<const PixelImage*, DecodeError> Pixels() const;
  // The same pixels, held for as long as the caller keeps them, without a
  // copy: a photograph's pixels are tens of megabytes. With a `cover`, a
  // reducible picture may give fewer pixels than its own size, but never
  // fewer than cover them (a picture drawn stretched to `cover`); the last
  // pixels decoded are kept and given again while they cover what is asked.
  Result<std::shared_ptr<const PixelImage>, DecodeError> SharedPixels(PixelSize cover = {}) const;

 private:
  struct State;
  bool OwnSize(const PixelImage& pixels) const noexcept;
  bool Covers(const PixelImage& pixels, PixelSize cover) const noexcept;

  std::shared_ptr<State> state_;  // copies share the decoded pixels
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool bitmap_format_ = false;
};

}  // namespace ris
