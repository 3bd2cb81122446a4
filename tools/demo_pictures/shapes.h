#pragma once
// Signed distances of simple shapes, in the units of their arguments:
// negative inside, zero on the outline, positive outside.

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ris::demo {

inline float CircleDistance(float x, float y, float cx, float cy, float radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

// Not exact away from the outline, which only the soft edge sees.
inline float EllipseDistance(float x, float y, float cx, float cy, float rx, float ry) {
  const float scaled = std::hypot((x - cx) / rx, (y - cy) / ry);
  return (scaled - 1.0f) * std::min(rx, ry);
}

// Everything below the curve y = top(x); the vertical distance stands in for
// the true one, which is close enough for gentle slopes.
template <typename Curve>
float BelowCurveDistance(float x, float y, Curve top) {
  return top(x) - y;
}

// The points of a five-pointed star around (cx, cy), one point straight up.
inline bool InsideStar(float x, float y, float cx, float cy, float outer, float inner) {
  const float angle = std::atan2(x - cx, cy - y);  // 0 straight up, clockwise
  const float sector = 2.0f * std::numbers::pi_v<float> / 5.0f;
  float within = std::fmod(angle + 2.0f * std::numbers::pi_v<float>, sector);
  within = std::abs(within - sector / 2.0f) / (sector / 2.0f);  // 1 at a point, 0 between two
  // The outline between a point and the next inner corner is a straight line;
  // its radius along the ray at angle `within` follows from the triangle.
  const float point_x = outer, corner_x = inner * std::cos(sector / 2.0f);
  const float corner_y = inner * std::sin(sector / 2.0f);
  const float ray = (1.0f - within) * sector / 2.0f;
  const float dx = corner_x - point_x, dy = corner_y;
  const float t = (point_x * dy) / (std::cos(ray) * dy - std::sin(ray) * dx);
  return std::hypot(x - cx, y - cy) <= t;
}

}  // namespace ris::demo
