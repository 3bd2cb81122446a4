#include "sprite.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ris::demo {

namespace {

constexpr int kSamples = 4;  // per side of a pixel

std::uint8_t ToByte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// The shape's mean colour over the pixel, or nothing when it covers less
// than half of it.
std::optional<Rgb> SamplePixel(int size, int x, int y, const SpriteShape& shape) {
  Rgb sum;
  int inside = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const float u =
          (static_cast<float>(x * kSamples + sx) + 0.5f) / static_cast<float>(size * kSamples);
      const float v =
          (static_cast<float>(y * kSamples + sy) + 0.5f) / static_cast<float>(size * kSamples);
      if (const auto color = shape(u, v)) {
        sum = {sum.R + color->R, sum.G + color->G, sum.B + color->B};
        ++inside;
      }
    }
  }
  if (inside * 2 < kSamples * kSamples) return std::nullopt;
  return Scale(sum, 1.0f / static_cast<float>(inside));
}

// A shape pixel that happens to match the backdrop would turn transparent.
Pixel AvoidBackdrop(Pixel pixel, Pixel backdrop) {
  if (pixel.R == backdrop.R && pixel.G == backdrop.G && pixel.B == backdrop.B) {
    pixel.G = static_cast<std::uint8_t>(pixel.G ^ 1);
  }
  return pixel;
}

}  // namespace

Image RenderSprite(int size, Pixel backdrop, const SpriteShape& shape) {
  Image image(size, size);
  const Pixel clear{backdrop.R, backdrop.G, backdrop.B, 0};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const auto color = SamplePixel(size, x, y, shape);
      image.At(x, y) =
          color
              ? AvoidBackdrop({ToByte(color->R), ToByte(color->G), ToByte(color->B), 255}, backdrop)
              : clear;
    }
  }
  if (image.At(0, 0) != clear) {
    throw std::logic_error("a sprite's shape reaches its top-left corner");
  }
  return image;
}

}  // namespace ris::demo
