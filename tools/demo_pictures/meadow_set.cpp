// Meadow: soft clouds over green hills scattered with flowers.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/random_source.h"
#include "canvas.h"
#include "demo_sets.h"
#include "shapes.h"
#include "sprite.h"

namespace ris::demo {

namespace {

constexpr float kTau = 2.0f * std::numbers::pi_v<float>;

constexpr ColorStop kSky[] = {{0.0f, Hex(0x4FA3E3)}, {1.0f, Hex(0xD6EEFA)}};
constexpr Rgb kFlowerColors[] = {Hex(0xFFFFFF), Hex(0xFFE14D), Hex(0xF48FB1), Hex(0xB39DDB),
                                 Hex(0xFF8A65)};

float RandomBetween(RandomSource& random, float low, float high) {
  return low + (high - low) * static_cast<float>(random.NextReal());
}

// A cloud is a cluster of overlapping circles: the distance to the union
// is the smallest distance to any of them.
void PaintCloud(Canvas& canvas, float cx, float cy, float scale) {
  constexpr float kPuffs[][3] = {{-1.6f, 0.3f, 0.8f},
                                 {-0.7f, -0.3f, 1.1f},
                                 {0.4f, -0.5f, 1.3f},
                                 {1.4f, 0.1f, 0.9f},
                                 {0.0f, 0.4f, 1.0f}};
  const auto distance = [=](float x, float y) {
    float nearest = 1e9f;
    for (const auto& p : kPuffs) {
      nearest = std::min(nearest,
                         CircleDistance(x, y, cx + p[0] * scale, cy + p[1] * scale, p[2] * scale));
    }
    return nearest;
  };
  canvas.Paint(
      {static_cast<int>(cx - 3 * scale), static_cast<int>(cy - 3 * scale),
       static_cast<int>(cx + 3 * scale), static_cast<int>(cy + 3 * scale)},
      distance,
      [=](float, float y) {
        return Mix(Hex(0xFFFFFF), Hex(0xDCE6F0), (y - cy + scale) / (2.5f * scale));
      },
      0.95f, 3.0f);
}

auto HillTop(float w, float h, float base, float amplitude, float phase) {
  return [=](float x) { return h * (base - amplitude * std::sin(x / w * kTau * 0.8f + phase)); };
}

template <typename Top>
void PaintHill(Canvas& canvas, Top top, Rgb color, float h) {
  canvas.Paint(
      canvas.Whole(), [=](float x, float y) { return BelowCurveDistance(x, y, top); },
      [=](float x, float y) { return Mix(color, Scale(color, 0.7f), (y - top(x)) / h * 2.0f); });
}

template <typename Top>
void PaintFlowers(Canvas& canvas, Top top, float w, float h) {
  RandomSource random(11);
  for (int i = 0; i < 600; ++i) {
    const float x = RandomBetween(random, 0, w);
    const float depth = RandomBetween(random, 0, 1);
    const float y = top(x) + 8.0f + depth * (h - top(x) - 8.0f);
    const float radius = 1.2f + 4.0f * depth;
    const Rgb color = kFlowerColors[random.NextInt(std::size(kFlowerColors))];
    canvas.Paint(
        {static_cast<int>(x - radius - 2), static_cast<int>(y - radius - 2),
         static_cast<int>(x + radius + 2), static_cast<int>(y + radius + 2)},
        [=](float px, float py) { return CircleDistance(px, py, x, y, radius); }, Solid(color),
        0.9f);
  }
}

}  // namespace

Image DrawMeadowBackground(int width, int height) {
  Canvas canvas(width, height);
  const auto w = static_cast<float>(width), h = static_cast<float>(height);
  canvas.Fill([=](float, float y) { return Gradient(kSky, y / (0.7f * h)); });
  PaintCloud(canvas, 0.25f * w, 0.18f * h, 0.045f * w);
  PaintCloud(canvas, 0.72f * w, 0.12f * h, 0.035f * w);
  PaintCloud(canvas, 0.55f * w, 0.32f * h, 0.025f * w);
  PaintHill(canvas, HillTop(w, h, 0.58f, 0.05f, 0.5f), Hex(0x9CCC65), h);
  PaintHill(canvas, HillTop(w, h, 0.68f, 0.06f, 3.0f), Hex(0x6AAE3C), h);
  const auto front = HillTop(w, h, 0.80f, 0.05f, 1.6f);
  PaintHill(canvas, front, Hex(0x3F8F2A), h);
  PaintFlowers(canvas, front, w, h);
  return canvas.ToImage();
}

// A daisy-like flower: six pink petals around a golden centre.
Image DrawMeadowSprite(int size) {
  return RenderSprite(size, {60, 120, 40, 255}, [](float u, float v) -> std::optional<Rgb> {
    const float d = std::hypot(u - 0.5f, v - 0.5f);
    if (d < 0.10f) return Hex(0xFFCA28);
    if (d < 0.14f) return Hex(0xE08E0B);
    for (int petal = 0; petal < 6; ++petal) {
      const float angle = kTau * static_cast<float>(petal) / 6.0f;
      const float px = 0.5f + 0.25f * std::cos(angle), py = 0.5f + 0.25f * std::sin(angle);
      if (CircleDistance(u, v, px, py, 0.15f) < 0) {
        return Mix(Hex(0xFCE4EC), Hex(0xEC407A), d / 0.4f);
      }
    }
    return std::nullopt;
  });
}

}  // namespace ris::demo
