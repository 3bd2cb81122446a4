#pragma once
// Colours while drawing: components from 0 to 1, mixed in floating point and
// rounded to 8 bits only when a picture is finished.

#include <algorithm>
#include <cstdint>

namespace ris::demo {

struct Rgb {
  float R = 0;
  float G = 0;
  float B = 0;
};

// From the 0xRRGGBB notation that colour pickers show.
constexpr Rgb Hex(std::uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
          static_cast<float>((rgb >> 8) & 0xFF) / 255.0f, static_cast<float>(rgb & 0xFF) / 255.0f};
}

constexpr Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

constexpr Rgb Scale(Rgb color, float factor) {
  return {color.R * factor, color.G * factor, color.B * factor};
}

// Colour stops along 0..1, as in a gradient editor; `t` outside the stops
// takes the nearest end.
struct ColorStop {
  float At;
  Rgb Color;
};

template <std::size_t N>
constexpr Rgb Gradient(const ColorStop (&stops)[N], float t) {
  if (t <= stops[0].At) return stops[0].Color;
  for (std::size_t i = 1; i < N; ++i) {
    if (t <= stops[i].At) {
      return Mix(stops[i - 1].Color, stops[i].Color,
                 (t - stops[i - 1].At) / (stops[i].At - stops[i - 1].At));
    }
  }
  return stops[N - 1].Color;
}

}  // namespace ris::demo
