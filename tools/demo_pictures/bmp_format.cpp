#include "byte_output.h"
#include "picture_formats.h"

namespace ris::demo {

std::string EncodeBmp24(const Image& image) {
  const auto row_bytes =
      static_cast<std::uint32_t>((image.Width * 3 + 3) / 4 * 4);  // rows padded to 4 bytes
  const std::uint32_t pixel_bytes = row_bytes * static_cast<std::uint32_t>(image.Height);
  constexpr std::uint32_t kHeaderBytes = 14 + 40;

  std::string bmp = "BM";
  AppendLe32(bmp, kHeaderBytes + pixel_bytes);
  AppendLe32(bmp, 0);  // reserved
  AppendLe32(bmp, kHeaderBytes);
  AppendLe32(bmp, 40);  // size of the info header
  AppendLe32(bmp, static_cast<std::uint32_t>(image.Width));
  AppendLe32(bmp, static_cast<std::uint32_t>(image.Height));  // positive: bottom row first
  AppendLe16(bmp, 1);                                         // planes
  AppendLe16(bmp, 24);                                        // bits per pixel
  AppendLe32(bmp, 0);                                         // no compression
  AppendLe32(bmp, pixel_bytes);
  AppendLe32(bmp, 2835);  // 72 dots per inch, in dots per metre
  AppendLe32(bmp, 2835);
  AppendLe32(bmp, 0);  // no palette
  AppendLe32(bmp, 0);
  for (int y = image.Height - 1; y >= 0; --y) {
    const std::size_t row_start = bmp.size();
    for (int x = 0; x < image.Width; ++x) {
      const Pixel& pixel = image.At(x, y);
      bmp += {static_cast<char>(pixel.B), static_cast<char>(pixel.G), static_cast<char>(pixel.R)};
    }
    bmp.resize(row_start + row_bytes, '\0');
  }
  return bmp;
}

}  // namespace ris::demo
