// Ocean: a bright sky over a deep sea with rolling swell and a sun path.
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
constexpr float kHorizon = 0.44f;

constexpr ColorStop kSky[] = {{0.0f, Hex(0x3F8FD8)}, {0.7f, Hex(0x9CD2F2)}, {1.0f, Hex(0xDDF2FB)}};
constexpr ColorStop kSea[] = {{0.0f, Hex(0x3A8CC1)}, {0.3f, Hex(0x1C6399)}, {1.0f, Hex(0x082A52)}};

void PaintSkyAndSea(Canvas& canvas, float h) {
  canvas.Fill([=](float, float y) {
    const float horizon = kHorizon * h;
    return y < horizon ? Gradient(kSky, y / horizon)
                       : Gradient(kSea, (y - horizon) / (h - horizon));
  });
}

// Crests that lie closer together towards the horizon, as seen in perspective.
void PaintSwell(Canvas& canvas, float w, float h) {
  for (int i = 1; i <= 22; ++i) {
    const float depth = static_cast<float>(i) / 22.0f;
    const float y0 = h * (kHorizon + (1.0f - kHorizon) * depth * depth);
    const float amplitude = 2.0f + 10.0f * depth, thickness = 0.6f + 2.2f * depth;
    const float frequency = kTau * (9.0f - 5.0f * depth) / w, phase = static_cast<float>(i) * 1.7f;
    canvas.Paint(
        {0, static_cast<int>(y0 - amplitude - thickness - 2), static_cast<int>(w),
         static_cast<int>(y0 + amplitude + thickness + 2)},
        [=](float x, float y) {
          return std::abs(y - y0 - amplitude * std::sin(x * frequency + phase)) - thickness;
        },
        Solid(Hex(0x8CCBEA)), 0.22f + 0.2f * depth, 1.5f);
  }
}

// Glints on the water below the sun.
void PaintSunPath(Canvas& canvas, float sun_x, float w, float h) {
  RandomSource random(7);
  for (int i = 0; i < 260; ++i) {
    const float depth = static_cast<float>(random.NextReal());
    const float y = h * (kHorizon + 0.01f + (1.0f - kHorizon) * depth * depth);
    const float spread = 0.02f * w + 0.12f * w * depth;
    const float x = sun_x + (static_cast<float>(random.NextReal()) - 0.5f) * 2.0f * spread;
    const float length = 3.0f + 16.0f * depth, height = 0.8f + 1.5f * depth;
    canvas.Paint(
        {static_cast<int>(x - length - 2), static_cast<int>(y - height - 2),
         static_cast<int>(x + length + 2), static_cast<int>(y + height + 2)},
        [=](float px, float py) { return EllipseDistance(px, py, x, y, length, height); },
        Solid(Hex(0xFFF8E1)), 0.75f, 1.2f);
  }
}

void PaintSun(Canvas& canvas, float x, float y, float radius) {
  canvas.Paint(
      canvas.Whole(),
      [=](float px, float py) { return CircleDistance(px, py, x, y, radius * 2.5f); },
      Solid(Hex(0xFFFBE6)), 0.4f, radius * 4.0f);
  canvas.Paint(
      canvas.Whole(), [=](float px, float py) { return CircleDistance(px, py, x, y, radius); },
      Solid(Hex(0xFFFDF2)));
}

void PaintIsland(Canvas& canvas, float w, float h) {
  const float cx = 0.18f * w, cy = kHorizon * h;
  canvas.Paint(
      {0, static_cast<int>(cy - 0.05f * h), static_cast<int>(0.4f * w), static_cast<int>(cy) + 1},
      [=](float x, float y) {
        return std::max(EllipseDistance(x, y, cx, cy, 0.12f * w, 0.035f * h), y - cy);
      },
      Solid(Hex(0x3C6E71)));
}

}  // namespace

Image DrawOceanBackground(int width, int height) {
  Canvas canvas(width, height);
  const auto w = static_cast<float>(width), h = static_cast<float>(height);
  PaintSkyAndSea(canvas, h);
  PaintSun(canvas, 0.7f * w, 0.16f * h, 0.035f * w);
  PaintIsland(canvas, w, h);
  PaintSwell(canvas, w, h);
  PaintSunPath(canvas, 0.7f * w, w, h);
  return canvas.ToImage();
}

// A striped reef fish swimming left.
Image DrawOceanSprite(int size) {
  return RenderSprite(size, {16, 64, 112, 255}, [](float u, float v) -> std::optional<Rgb> {
    const Rgb orange = Mix(Hex(0xFF9A3C), Hex(0xD9480F), (v - 0.3f) / 0.4f);
    if (CircleDistance(u, v, 0.27f, 0.44f, 0.025f) < 0) return Hex(0x111111);
    if (CircleDistance(u, v, 0.27f, 0.44f, 0.055f) < 0) return Hex(0xFFFFFF);
    if (EllipseDistance(u, v, 0.46f, 0.5f, 0.30f, 0.20f) < 0) {
      const float stripe = std::min(std::abs(u - 0.36f), std::abs(u - 0.56f));
      if (stripe < 0.035f) return Hex(0xFAFAFA);
      if (stripe < 0.055f) return Hex(0x1A1A1A);
      return orange;
    }
    const bool tail = u > 0.70f && u < 0.93f && std::abs(v - 0.5f) < (u - 0.70f) / 0.23f * 0.22f;
    const bool fin =
        v > 0.24f && v < 0.34f && u > 0.40f && u < 0.58f && (0.34f - v) < (u - 0.40f) * 0.6f;
    if (tail || fin) return orange;
    return std::nullopt;
  });
}

}  // namespace ris::demo
