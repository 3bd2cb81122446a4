// Sunrise: a violet-to-gold sky over layered hills, the sun just above them.
#include <cmath>
#include <numbers>

#include "canvas.h"
#include "demo_sets.h"
#include "shapes.h"
#include "sprite.h"

namespace ris::demo {

namespace {

constexpr float kTau = 2.0f * std::numbers::pi_v<float>;

constexpr ColorStop kSky[] = {
    {0.0f, Hex(0x2A1B4D)}, {0.45f, Hex(0x8E3B6E)}, {0.75f, Hex(0xE8676A)}, {1.0f, Hex(0xFFB866)}};

struct HillLayer {
  float Base;       // height of the ridge, as a fraction of the picture
  float Amplitude;  // of the larger wave
  float Phase;
  Rgb Color;
};

constexpr HillLayer kHills[] = {
    {0.70f, 0.035f, 0.4f, Hex(0x9B4F78)},
    {0.76f, 0.045f, 2.1f, Hex(0x5E3466)},
    {0.85f, 0.050f, 4.0f, Hex(0x2E1A3F)},
};

void PaintSun(Canvas& canvas, float cx, float cy, float radius) {
  const Box whole = canvas.Whole();
  canvas.Paint(
      whole, [=](float x, float y) { return CircleDistance(x, y, cx, cy, radius * 2.2f); },
      Solid(Hex(0xFFC46B)), 0.35f, radius * 3.0f);
  canvas.Paint(
      whole, [=](float x, float y) { return CircleDistance(x, y, cx, cy, radius); },
      [=](float, float y) {
        return Mix(Hex(0xFFF6C8), Hex(0xFFD36E), (y - cy + radius) / (2 * radius));
      });
}

// Long thin clouds lit from below.
void PaintClouds(Canvas& canvas, float w, float h) {
  const float clouds[][4] = {{0.22f, 0.30f, 0.16f, 0.012f},
                             {0.40f, 0.36f, 0.12f, 0.010f},
                             {0.78f, 0.24f, 0.18f, 0.014f},
                             {0.66f, 0.45f, 0.10f, 0.008f}};
  for (const auto& c : clouds) {
    canvas.Paint(
        canvas.Whole(),
        [=](float x, float y) {
          return EllipseDistance(x, y, c[0] * w, c[1] * h, c[2] * w, c[3] * h);
        },
        Solid(Hex(0xFFB3A0)), 0.55f, 6.0f);
  }
}

void PaintHill(Canvas& canvas, const HillLayer& hill, float w, float h) {
  const auto top = [=](float x) {
    const float t = x / w;
    return h * (hill.Base - hill.Amplitude * std::sin(t * kTau * 1.3f + hill.Phase) -
                0.4f * hill.Amplitude * std::sin(t * kTau * 3.7f + 2 * hill.Phase));
  };
  canvas.Paint(
      canvas.Whole(), [=](float x, float y) { return BelowCurveDistance(x, y, top); },
      [=](float, float y) {
        return Mix(hill.Color, Scale(hill.Color, 0.55f), (y - top(w / 2)) / h * 2.5f);
      });
}

}  // namespace

Image DrawSunriseBackground(int width, int height) {
  Canvas canvas(width, height);
  const auto w = static_cast<float>(width), h = static_cast<float>(height);
  canvas.Fill([=](float, float y) { return Gradient(kSky, y / (0.78f * h)); });
  PaintClouds(canvas, w, h);
  PaintSun(canvas, 0.62f * w, 0.70f * h, 0.075f * w);
  for (const HillLayer& hill : kHills) PaintHill(canvas, hill, w, h);
  return canvas.ToImage();
}

// A sun with twelve tapering rays.
Image DrawSunriseSprite(int size) {
  return RenderSprite(size, {42, 27, 77, 255}, [](float u, float v) -> std::optional<Rgb> {
    const float d = std::hypot(u - 0.5f, v - 0.5f);
    if (d < 0.27f) return Mix(Hex(0xFFF7C2), Hex(0xFFA726), d / 0.27f);
    if (d < 0.31f || d > 0.47f) return std::nullopt;
    const float sector = kTau / 12.0f;
    const float angle = std::fmod(std::atan2(v - 0.5f, u - 0.5f) + kTau, sector) - sector / 2.0f;
    if (std::abs(angle) > 0.22f * (0.47f - d) / 0.16f) return std::nullopt;
    return Hex(0xFFB74D);
  });
}

}  // namespace ris::demo
