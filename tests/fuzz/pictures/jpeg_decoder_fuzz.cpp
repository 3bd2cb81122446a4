// JPEG files come from the data archive, which anyone may have replaced.
// Whatever the bytes, loading and the first use end in a picture of the
// header's size (or reduced to cover a smaller one) or in an error with a
// message; libjpeg never exits the process, and the scan and memory limits
// keep small files cheap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pictures/decoders.h"

namespace {

// Larger pictures are only loaded: decoding them is slow under the
// sanitizers without finding more.
constexpr std::int64_t kLargestDecoded = std::int64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = ris::MakeJpegDecoder();
  const auto picture = decoder->Decode(ris::ByteSpan(data, size));
  if (!picture) {
    if (picture.error().Message.empty()) std::abort();
    return 0;
  }
  if (std::int64_t{picture->Width()} * picture->Height() > kLargestDecoded) return 0;
  // Shown at a third of its size first, as a background on a smaller
  // screen: at most half the size, at least that third.
  const ris::PixelSize third{picture->Width() / 3, picture->Height() / 3};
  if (const auto reduced = picture->SharedPixels(third)) {
    const auto& image = **reduced;
    const bool whole = image.Width == picture->Width() && image.Height == picture->Height();
    if (!whole && (image.Width < third.Width || image.Height < third.Height ||
                   2 * image.Width > picture->Width() + 1)) {
      std::abort();
    }
  }
  const auto pixels = picture->Pixels();
  if (!pixels) {
    if (pixels.error().Message.empty()) std::abort();
    return 0;
  }
  if ((*pixels)->Width != picture->Width() || (*pixels)->Height != picture->Height()) std::abort();
  return 0;
}
