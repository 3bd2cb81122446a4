#include "pictures/row_decoder.h"

namespace ris {

Result<TPicture, DecodeError> RowDecoder::Decode(ByteSpan data) const {
  auto image = DecodeShown(data, {});
  if (!image) return Failure{image.error()};
  return TPicture::FromPixels(std::move(image).value(), BitmapFormat());
}

Result<TPicture, DecodeError> RowDecoder::DecodeArriving(std::shared_ptr<const ArrivingBytes> bytes) const {
  const ByteSpan data(bytes->Data(), bytes->WaitFor(bytes->Size()));
  const auto size = Measure(data);
  if (!size) return Failure{size.error()};
  return TPicture::DeferredReducible(
      size->Width, size->Height, BitmapFormat(),
      [decoder = shared_from_this(), bytes = std::move(bytes), data](PixelSize cover) {
        return decoder->DecodeShown(data, cover);
      });
}

}  // namespace ris
