#include "byte_output.h"
#include "picture_formats.h"

namespace ris::demo {

namespace {

constexpr int kMaxPacketPixels = 128;

void AppendPixel(std::string& out, const Pixel& pixel) {
  out += {static_cast<char>(pixel.B), static_cast<char>(pixel.G), static_cast<char>(pixel.R),
          static_cast<char>(pixel.A)};
}

// How many pixels from x on repeat the pixel at x, within the packet limit.
int RunLength(const Image& image, int x, int y) {
  int length = 1;
  while (x + length < image.Width && length < kMaxPacketPixels &&
         image.At(x + length, y) == image.At(x, y)) {
    ++length;
  }
  return length;
}

// Packets stay within a row, as readers expect: a run of equal pixels as one
// repeated pixel, anything else as literal pixels up to the next run.
void AppendRow(std::string& out, const Image& image, int y) {
  int x = 0;
  while (x < image.Width) {
    const int run = RunLength(image, x, y);
    if (run > 1) {
      AppendByte(out, 0x80u | static_cast<unsigned>(run - 1));
      AppendPixel(out, image.At(x, y));
      x += run;
      continue;
    }
    int literal = 1;
    while (x + literal < image.Width && literal < kMaxPacketPixels &&
           RunLength(image, x + literal, y) == 1) {
      ++literal;
    }
    AppendByte(out, static_cast<unsigned>(literal - 1));
    for (int i = 0; i < literal; ++i) AppendPixel(out, image.At(x + i, y));
    x += literal;
  }
}

}  // namespace

std::string EncodeTga32(const Image& image) {
  std::string tga;
  AppendByte(tga, 0);                              // no image ID
  AppendByte(tga, 0);                              // no colour map
  AppendByte(tga, 10);                             // run-length encoded true colour
  for (int i = 0; i < 5; ++i) AppendByte(tga, 0);  // no colour map: first entry, length, entry size
  AppendLe16(tga, 0);                              // x origin
  AppendLe16(tga, 0);                              // y origin
  AppendLe16(tga, static_cast<std::uint32_t>(image.Width));
  AppendLe16(tga, static_cast<std::uint32_t>(image.Height));
  AppendByte(tga, 32);          // bits per pixel
  AppendByte(tga, 0x20u | 8u);  // top row first, 8 alpha bits
  for (int y = 0; y < image.Height; ++y) AppendRow(tga, image, y);
  // The version 2 footer: no extension or developer area, then the signature.
  AppendLe32(tga, 0);
  AppendLe32(tga, 0);
  tga.append("TRUEVISION-XFILE.\0", 18);
  return tga;
}

}  // namespace ris::demo
