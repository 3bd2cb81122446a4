#pragma once
// The pictures the generator writes: 8-bit RGBA pixels, top row first.

#include <cstdint>
#include <vector>

namespace ris::demo {

struct Pixel {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  std::uint8_t A = 255;

  friend bool operator==(const Pixel&, const Pixel&) = default;
};

struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<Pixel> Pixels;  // Width * Height, row by row from the top

  Image(int width, int height)
      : Width(width),
        Height(height),
        Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

  Pixel& At(int x, int y) { return Pixels[Index(x, y)]; }
  const Pixel& At(int x, int y) const { return Pixels[Index(x, y)]; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
           static_cast<std::size_t>(x);
  }
};

}  // namespace ris::demo
