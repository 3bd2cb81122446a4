#include "png_writer.h"

#include <zlib.h>

#include <algorithm>

namespace ris::tool {
namespace {

void AppendBig32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
}

void AppendChunk(std::string& out, std::string_view type, std::string_view body) {
  AppendBig32(out, static_cast<std::uint32_t>(body.size()));
  const std::size_t typed_start = out.size();
  out += type;
  out += body;
  const auto crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + typed_start),
                         static_cast<uInt>(out.size() - typed_start));
  AppendBig32(out, static_cast<std::uint32_t>(crc));
}

// Rows as RGBA bytes, each preceded by `filter_byte` when one is wanted.
std::string RgbaRows(const PixelImage& image, bool filter_byte) {
  std::string rows;
  rows.reserve(image.Pixels.size() * 4 + (filter_byte ? static_cast<std::size_t>(image.Height) : 0));
  for (std::int32_t y = 0; y < image.Height; ++y) {
    if (filter_byte) rows += '\0';
    for (std::int32_t x = 0; x < image.Width; ++x) {
      const Bgra p = image.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width) +
                                  static_cast<std::size_t>(x)];
      rows += {static_cast<char>(p.R), static_cast<char>(p.G), static_cast<char>(p.B),
               static_cast<char>(p.A)};
    }
  }
  return rows;
}

}  // namespace

std::string EncodePng(const PixelImage& image, int level) {
  const std::string rows = RgbaRows(image, true);
  uLongf packed_size = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packed_size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
            reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()), level);
  packed.resize(packed_size);

  std::string header;
  AppendBig32(header, static_cast<std::uint32_t>(image.Width));
  AppendBig32(header, static_cast<std::uint32_t>(image.Height));
  header += {8, 6, 0, 0, 0};  // depth 8, RGBA, deflate, adaptive filters, not interlaced

  std::string out = "\x89PNG\r\n\x1a\n";
  AppendChunk(out, "IHDR", header);
  AppendChunk(out, "IDAT", packed);
  AppendChunk(out, "IEND", "");
  return out;
}

std::string EncodePam(const PixelImage& image) {
  return "P7\nWIDTH " + std::to_string(image.Width) + "\nHEIGHT " + std::to_string(image.Height) +
         "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + RgbaRows(image, false);
}

PixelImage OpaqueImage(const Surface& frame) {
  PixelImage image = PixelImage::Blank(frame.Width(), frame.Height());
  std::copy(frame.Pixels().begin(), frame.Pixels().end(), image.Pixels.begin());
  for (Bgra& pixel : image.Pixels) pixel.A = 255;
  return image;
}

}  // namespace ris::tool
