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
  DeferredDecode decode;
  std::optional<PixelImage> pixels;
  std::optional<DecodeError> error;
};

TPicture TPicture::FromPixels(PixelImage pixels, bool bitmap_format) {
  TPicture picture;
  picture.width_ = pixels.Width;
  picture.height_ = pixels.Height;
  picture.bitmap_format_ = bitmap_format;
  picture.state_ = std::make_shared<State>();
  picture.state_->pixels = std::move(pixels);
  return picture;
}

TPicture TPicture::Deferred(std::int32_t width, std::int32_t height, bool bitmap_format,
                            DeferredDecode decode) {
  TPicture picture;
  picture.width_ = width;
  picture.height_ = height;
  picture.bitmap_format_ = bitmap_format;
  picture.state_ = std::make_shared<State>();
  picture.state_->decode = std::move(decode);
  return picture;
}

Result<const PixelImage*, DecodeError> TPicture::Pixels() const {
  if (!state_) return Failure{DecodeError{"The picture is empty."}};
  State& state = *state_;
  if (!state.pixels && !state.error) {
    auto decoded = state.decode();
    if (!decoded) {
      state.error = decoded.error();
    } else if (decoded->Width != width_ || decoded->Height != height_) {
      state.error = DecodeError{"The decoded picture does not have the size its header gave."};
    } else {
      state.pixels = std::move(decoded).value();
    }
    state.decode = nullptr;  // whatever it holds is not needed again
  }
  if (state.error) return Failure{*state.error};
  return &*state.pixels;
}

}  // namespace ris
