// Night: a starry sky with a crescent moon over a sleeping town.
#include <algorithm>
#include <cmath>

#include "base/random_source.h"
#include "canvas.h"
#include "demo_sets.h"
#include "shapes.h"
#include "sprite.h"

namespace ris::demo {

namespace {

constexpr ColorStop kSky[] = {{0.0f, Hex(0x03061A)}, {0.7f, Hex(0x13234F)}, {1.0f, Hex(0x34427F)}};

float RandomBetween(RandomSource& random, float low, float high) {
  return low + (high - low) * static_cast<float>(random.NextReal());
}

float RectangleDistance(float x, float y, float left, float top, float right, float bottom) {
  return std::max({left - x, x - right, top - y, y - bottom});
}

void PaintStars(Canvas& canvas, float w, float h) {
  RandomSource random(3);
  for (int i = 0; i < 420; ++i) {
    const float x = RandomBetween(random, 0, w), y = RandomBetween(random, 0, 0.8f * h);
    const bool bright = i % 25 == 0;
    const float radius = bright ? 1.6f : RandomBetween(random, 0.4f, 1.2f);
    const float reach = radius + 8;
    if (bright) {
      canvas.Paint(
          {static_cast<int>(x - reach), static_cast<int>(y - reach),
           static_cast<int>(x + reach) + 1, static_cast<int>(y + reach) + 1},
          [=](float px, float py) { return CircleDistance(px, py, x, y, 2.0f); },
          Solid(Hex(0xBFD4FF)), 0.35f, 10.0f);
    }
    // Drawn one by one: the order of function arguments is unspecified, and
    // the pictures should not depend on the compiler.
    const Rgb color = Mix(Hex(0xBFD4FF), Hex(0xFFFFFF), RandomBetween(random, 0, 1));
    const float opacity = RandomBetween(random, 0.5f, 1.0f);
    canvas.Paint(
        {static_cast<int>(x - reach), static_cast<int>(y - reach), static_cast<int>(x + reach) + 1,
         static_cast<int>(y + reach) + 1},
        [=](float px, float py) { return CircleDistance(px, py, x, y, radius); }, Solid(color),
        opacity);
  }
}

Rgb SkyAt(float y, float h) { return Gradient(kSky, y / (0.85f * h)); }

// The lit disc minus a slightly smaller disc pushed aside; the unlit part
// is faintly lighter than the sky and hides the stars behind it.
void PaintMoon(Canvas& canvas, float cx, float cy, float radius, float h) {
  canvas.Paint(
      canvas.Whole(), [=](float x, float y) { return CircleDistance(x, y, cx, cy, radius * 1.6f); },
      Solid(Hex(0x8FA3D9)), 0.25f, radius * 3.0f);
  canvas.Paint(
      canvas.Whole(), [=](float x, float y) { return CircleDistance(x, y, cx, cy, radius); },
      [=](float, float y) { return Mix(SkyAt(y, h), Hex(0x8FA3D9), 0.15f); });
  canvas.Paint(
      canvas.Whole(),
      [=](float x, float y) {
        return std::max(
            CircleDistance(x, y, cx, cy, radius),
            -CircleDistance(x, y, cx + 0.45f * radius, cy - 0.2f * radius, 0.9f * radius));
      },
      Solid(Hex(0xFFF3D1)));
}

void PaintWindows(Canvas& canvas, RandomSource& random, float left, float right, float top,
                  float h) {
  for (float y = top + 10; y < h - 8; y += 16) {
    for (float x = left + 6; x + 6 < right - 4; x += 12) {
      if (random.NextInt(100) >= 28) continue;
      canvas.Paint(
          {static_cast<int>(x) - 1, static_cast<int>(y) - 1, static_cast<int>(x) + 8,
           static_cast<int>(y) + 10},
          [=](float px, float py) { return RectangleDistance(px, py, x, y, x + 6, y + 8); },
          Solid(Mix(Hex(0xFFC857), Hex(0xFFE9A8), RandomBetween(random, 0, 1))), 0.9f);
    }
  }
}

void PaintTown(Canvas& canvas, float w, float h) {
  RandomSource random(5);
  for (float left = -10; left < w;) {
    const float right = left + RandomBetween(random, 40, 120);
    const float top = h * RandomBetween(random, 0.70f, 0.88f);
    canvas.Paint(
        {static_cast<int>(left) - 1, static_cast<int>(top) - 1, static_cast<int>(right) + 2,
         static_cast<int>(h)},
        [=](float x, float y) { return RectangleDistance(x, y, left, top, right, h + 10); },
        Solid(Hex(0x080B18)));
    PaintWindows(canvas, random, left, right, top, h);
    left = right + RandomBetween(random, -6, 10);
  }
}

}  // namespace

Image DrawNightBackground(int width, int height) {
  Canvas canvas(width, height);
  const auto w = static_cast<float>(width), h = static_cast<float>(height);
  canvas.Fill([=](float, float y) { return SkyAt(y, h); });
  PaintStars(canvas, w, h);
  PaintMoon(canvas, 0.78f * w, 0.2f * h, 0.055f * w, h);
  PaintTown(canvas, w, h);
  return canvas.ToImage();
}

// A golden five-pointed star.
Image DrawNightSprite(int size) {
  return RenderSprite(size, {10, 14, 40, 255}, [](float u, float v) -> std::optional<Rgb> {
    if (!InsideStar(u, v, 0.5f, 0.53f, 0.45f, 0.19f)) return std::nullopt;
    return Mix(Hex(0xFFF59D), Hex(0xFFA000), std::hypot(u - 0.5f, v - 0.53f) / 0.45f);
  });
}

}  // namespace ris::demo
