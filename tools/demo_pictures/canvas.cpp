#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace ris::demo {

namespace {

// The 4 x 4 Bayer matrix: thresholds spread evenly over each block.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

std::uint8_t Quantize(float value, int x, int y) {
  const float threshold = (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f;
  const float level = std::floor(std::clamp(value, 0.0f, 1.0f) * 255.0f + threshold);
  return static_cast<std::uint8_t>(std::clamp(level, 0.0f, 255.0f));
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

void Canvas::Fill(const ColorField& color) {
  Paint(
      Whole(), [](float, float) { return -1e9f; }, color);
}

void Canvas::Paint(const Box& box, const DistanceField& distance, const ColorField& color,
                   float opacity, float softness) {
  const int left = std::max(box.Left, 0);
  const int right = std::min(box.Right, width_);
  const int top = std::max(box.Top, 0);
  const int bottom = std::min(box.Bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const float px = static_cast<float>(x) + 0.5f;
      const float py = static_cast<float>(y) + 0.5f;
      const float coverage = std::clamp(0.5f - distance(px, py) / softness, 0.0f, 1.0f) * opacity;
      if (coverage <= 0) continue;
      Rgb& pixel = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                           static_cast<std::size_t>(x)];
      pixel = Mix(pixel, color(px, py), coverage);
    }
  }
}

Image Canvas::ToImage() const {
  Image image(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Rgb& color = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                 static_cast<std::size_t>(x)];
      image.At(x, y) = {Quantize(color.R, x, y), Quantize(color.G, x, y), Quantize(color.B, x, y),
                        255};
    }
  }
  return image;
}

}  // namespace ris::demo
