#include "pictures/picture.h"

#include <optional>

namespace ris {

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) noexcept {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

PixelImage PixelImage::Blank(std::int32_t width, std::int32_t height, Bgra fill) {
  PixelImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  return image;
}

struct TPicture::State {
  ReducibleDecode decode;
  std::shared_ptr<const PixelImage> pixels;  // the last pixels decoded
  std::optional<DecodeError> error;
};

TPicture TPicture::FromPixels(PixelImage pixels, bool bitmap_format) {
  TPicture picture;
  picture.width_ = pixels.Width;
  picture.height_ = pixels.Height;
  picture.bitmap_format_ = bitmap_format;
  picture.state_ = std::make_shared<State>();
  picture.state_->pixels = std::make_shared<const PixelImage>(std::move(pixels));
  return picture;
}

// A plain decode gives the picture's own size, which covers any size.
TPicture TPicture::Deferred(std::int32_t width, std::int32_t height, bool bitmap_format,
                            DeferredDecode decode) {
  return DeferredReducible(width, height, bitmap_format,
                           [decode = std::move(decode)](PixelSize) { return decode(); });
}

TPicture TPicture::DeferredReducible(std::int32_t width, std::int32_t height, bool bitmap_format,
                                     ReducibleDecode decode) {
  TPicture picture;
  picture.width_ = width;
  picture.height_ = height;
  picture.bitmap_format_ = bitmap_format;
  picture.state_ = std::make_shared<State>();
  picture.state_->decode = std::move(decode);
  return picture;
}

Result<const PixelImage*, DecodeError> TPicture::Pixels() const {
  auto shared = SharedPixels();
  if (!shared) return Failure{shared.error()};
  return shared->get();
}

bool TPicture::OwnSize(const PixelImage& pixels) const noexcept {
  return pixels.Width == width_ && pixels.Height == height_;
}

// Pixels cover a size when they are the whole picture, or reduced but on
// each side at least as long as the cover or as the picture's own side.
bool TPicture::Covers(const PixelImage& pixels, PixelSize cover) const noexcept {
  if (OwnSize(pixels)) return true;
  const bool empty_cover = cover.Width <= 0 || cover.Height <= 0;
  return !empty_cover && (pixels.Width >= cover.Width || pixels.Width == width_) &&
         (pixels.Height >= cover.Height || pixels.Height == height_) && pixels.Width <= width_ &&
         pixels.Height <= height_;
}

Result<std::shared_ptr<const PixelImage>, DecodeError> TPicture::SharedPixels(PixelSize cover) const {
  if (!state_) return Failure{DecodeError{"The picture is empty."}};
  State& state = *state_;
  if (!state.error && !(state.pixels && Covers(*state.pixels, cover))) {
    auto decoded = state.decode(cover);
    if (!decoded) {
      state.error = decoded.error();
    } else if (!Covers(*decoded, cover)) {
      state.error = DecodeError{"The decoded picture does not have the size its header gave."};
    } else {
      state.pixels = std::make_shared<const PixelImage>(std::move(decoded).value());
    }
    // Once the picture is whole (or broken), whatever the decode holds is
    // not needed again; reduced pixels may still have to grow.
    if (state.error || OwnSize(*state.pixels)) state.decode = nullptr;
  }
  if (state.error) return Failure{*state.error};
  return state.pixels;
}

}  // namespace ris
