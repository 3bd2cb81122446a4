// Pictures decoded at the size they are shown at, whatever their bytes and
// that size: the first four bytes choose the shown size, the rest is the
// picture. A row decoder must give exactly the shown size and never hold
// more than the shown picture, a band of rows and what its bytes can
// encode, however large the picture's header says it is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pictures/decode_budget.h"
#include "pictures/file_format_list.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"
#include "support/allocation_count.h"

namespace {

using ris::testing_support::LiveBytes;
using ris::testing_support::PeakBytes;

// What a decode may hold: the shown picture and its sums (an interlaced
// picture keeps 16 bytes of sums a shown pixel), a band of rows of the
// picture's width at the widest samples, the libtiff raster band, the
// decoded data its bytes could hold at deflate's density, and a little.
std::size_t MostHeld(ris::PixelSize own, ris::PixelSize shown, std::size_t bytes) {
  const auto pixels = [](ris::PixelSize size) {
    return static_cast<std::size_t>(size.Width) * static_cast<std::size_t>(size.Height);
  };
  constexpr std::size_t kBandRowBytes = 64 * 16;
  constexpr std::size_t kRasterBand = std::size_t{16} << 20;
  return 20 * pixels(shown) + kBandRowBytes * static_cast<std::size_t>(own.Width) + kRasterBand +
         ris::kDeflateDensity.Pixels * bytes + (std::size_t{1} << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const ris::PixelSize cover{1 + (data[0] | (data[1] << 8)) % 2048, 1 + (data[2] | (data[3] << 8)) % 2048};
  const ris::ByteSpan bytes(data + 4, size - 4);
  const auto* decoder = dynamic_cast<const ris::RowDecoder*>(ris::StandardFormatList().ChooseDecoder(bytes, ""));
  if (decoder == nullptr) return 0;
  const auto picture = decoder->DecodeArriving(ris::ArrivingBytes::Complete(std::string(ris::AsText(bytes))));
  if (!picture) return 0;
  const ris::PixelSize own{picture->Width(), picture->Height()};
  const std::size_t before = LiveBytes();
  ris::testing_support::ResetPeakBytes();
  const auto pixels = picture->SharedPixels(cover);
  if (!pixels) {
    if (pixels.error().Message.empty()) std::abort();
    return 0;
  }
  const ris::PixelSize shown = ris::ShownSize(own, cover);
  if ((*pixels)->Width != shown.Width || (*pixels)->Height != shown.Height) std::abort();
  if (PeakBytes() - before > MostHeld(own, shown, bytes.size())) std::abort();
  return 0;
}
