#pragma once
// A full-screen picture being painted in layers: each layer is a shape,
// given as a signed distance in pixels (negative inside), blended over what
// lies below with a soft edge, so that outlines are smooth without
// supersampling a million pixels.

#include <functional>
#include <vector>

#include "color.h"
#include "image.h"

namespace ris::demo {

using DistanceField = std::function<float(float x, float y)>;
using ColorField = std::function<Rgb(float x, float y)>;

// Pixels from Left to Right and Top to Bottom, ends excluded; the canvas
// clips it.
struct Box {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

class Canvas {
 public:
  Canvas(int width, int height);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  Box Whole() const noexcept { return {0, 0, width_, height_}; }

  void Fill(const ColorField& color);

  // Blends `color` over the pixels of `box` by how much of each the shape
  // covers; `softness` widens the edge (in pixels) for glows and haze.
  void Paint(const Box& box, const DistanceField& distance, const ColorField& color,
             float opacity = 1, float softness = 1);

  // Rounded to 8 bits with ordered dithering, so that the wide gradients of
  // a background show no bands; every pixel opaque.
  Image ToImage() const;

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

// A colour field that is one colour everywhere.
inline ColorField Solid(Rgb color) {
  return [color](float, float) { return color; };
}

}  // namespace ris::demo
