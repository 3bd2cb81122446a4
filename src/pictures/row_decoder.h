#pragma once
// A decoder whose pixels come row by row, and so can come at the size the
// picture is shown at (pictures/shown_rows.h): decoding bytes the picture
// keeps, it reads the header at once and the pixels on first use, at the
// size the display then asks for.

#include <memory>

#include "base/pixel_size.h"
#include "pictures/image_decoder.h"

namespace ris {

// Made with std::make_shared: a deferred picture keeps its decoder.
class RowDecoder : public ImageDecoder, public std::enable_shared_from_this<RowDecoder> {
 public:
  // The whole picture at its own size, decoded now.
  Result<TPicture, DecodeError> Decode(ByteSpan data) const final;
  // The header checked now; the pixels decoded on first use from the bytes,
  // which the picture keeps, at the size asked for then.
  Result<TPicture, DecodeError> DecodeArriving(std::shared_ptr<const ArrivingBytes> bytes) const final;

  // The picture at ShownSize(its size, cover).
  virtual Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const = 0;

 protected:
  // The picture's size, once every check that needs no pixel has passed.
  virtual Result<PixelSize, DecodeError> Measure(ByteSpan data) const = 0;
  // Whether the picture counts as one of the system's bitmaps (TPicture).
  virtual bool BitmapFormat() const { return false; }
};

// The size of the layout a decoder reads before any pixel, or why it could
// not be read: what Measure gives for most decoders.
template <typename Layout>
Result<PixelSize, DecodeError> SizeOfLayout(const Result<Layout, DecodeError>& layout) {
  if (!layout) return Failure{layout.error()};
  return layout->Size();
}

}  // namespace ris
