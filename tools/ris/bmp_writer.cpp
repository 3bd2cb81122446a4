#include "bmp_writer.h"

#include <cstdint>

namespace ris::tool {

namespace {

void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

char OverWhite(std::uint8_t channel, std::uint8_t alpha) {
  return static_cast<char>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace

std::string EncodeBmp(const PixelImage& image) {
  const auto width = static_cast<std::uint32_t>(image.Width);
  const auto height = static_cast<std::uint32_t>(image.Height);
  const std::uint32_t row_bytes = (width * 3 + 3) & ~3u;
  const std::uint32_t pixel_bytes = row_bytes * height;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  std::string out = "BM";
  AppendLittleEndian(out, kHeaderBytes + pixel_bytes, 4);
  AppendLittleEndian(out, 0, 4);
  AppendLittleEndian(out, kHeaderBytes, 4);
  AppendLittleEndian(out, 40, 4);  // BITMAPINFOHEADER
  AppendLittleEndian(out, width, 4);
  AppendLittleEndian(out, height, 4);
  AppendLittleEndian(out, 1, 2);   // planes
  AppendLittleEndian(out, 24, 2);  // bits a pixel
  AppendLittleEndian(out, 0, 4);   // BI_RGB
  AppendLittleEndian(out, pixel_bytes, 4);
  AppendLittleEndian(out, 2835, 4);  // 72 dots an inch, in dots a metre
  AppendLittleEndian(out, 2835, 4);
  AppendLittleEndian(out, 0, 4);  // colours used
  AppendLittleEndian(out, 0, 4);  // colours important
  for (std::uint32_t y = height; y-- > 0;) {
    const std::size_t row_start = out.size();
    for (std::uint32_t x = 0; x < width; ++x) {
      const Bgra pixel = image.Pixels[static_cast<std::size_t>(y) * width + x];
      out += OverWhite(pixel.B, pixel.A);
      out += OverWhite(pixel.G, pixel.A);
      out += OverWhite(pixel.R, pixel.A);
    }
    out.resize(row_start + row_bytes, '\0');
  }
  return out;
}

}  // namespace ris::tool
