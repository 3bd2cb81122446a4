#pragma once
// The two-dimensional vector that carries the positions and directions of the
// moving images. Components are stored in single precision; every operation
// computes in extended precision (long double) and rounds once when it stores
// or returns, so results do not depend on how the compiler keeps temporaries.
//
// A single addition, subtraction, multiplication or division of two floats
// rounds to the same float whether it is computed in float or in extended
// precision first (extended carries more than twice a float's digits, so the
// second rounding cannot differ). Those operations therefore use float
// arithmetic, which is several times faster; sums of two products do not have
// that property and are computed in extended precision.

#include <cmath>
#include <limits>

namespace ris {

// Rounds an extended-precision value to single precision, to nearest with
// ties to even. Values beyond the float range become infinities as IEEE
// arithmetic makes them; a plain cast would be undefined behaviour there.
// Inline, as are Length, Normalize and Dot: a collision pass over thousands
// of images runs them for every pair that touches.
inline float ToSingle(long double value) noexcept {
  constexpr long double kFloatMax = std::numeric_limits<float>::max();
  if (std::fabs(value) > kFloatMax) [[unlikely]] {
    // Halfway between the largest float and 2^128 (half its last place,
    // 2^103): from here on a value rounds to infinity, the tie going to the
    // even 2^128.
    constexpr long double kFloatOverflow = kFloatMax + 0x1p103L;
    const bool overflows = std::fabs(value) >= kFloatOverflow;
    const float magnitude = overflows ? std::numeric_limits<float>::infinity()
                                      : std::numeric_limits<float>::max();
    return value < 0 ? -magnitude : magnitude;
  }
  return static_cast<float>(value);
}

struct TVector {
  float X = 0.0f;  // pixels, growing to the right
  float Y = 0.0f;  // pixels, growing downwards

  constexpr TVector() noexcept = default;
  constexpr TVector(float x, float y) noexcept : X(x), Y(y) {}

  void SetXY(float x, float y) noexcept {
    X = x;
    Y = y;
  }

  // Square root of X·X + Y·Y.
  float Length() const noexcept {
    const long double x = X;
    const long double y = Y;
    return ToSingle(std::sqrt(x * x + y * y));
  }

  // Divides both components by Length; the zero vector stays zero instead of
  // becoming NaN, which the collision of two coincident images relies on.
  TVector& Normalize() noexcept {
    const float length = Length();
    if (length == 0.0f) {
      SetXY(0.0f, 0.0f);
    } else {
      X /= length;
      Y /= length;
    }
    return *this;
  }

  float Dot(const TVector& v) const noexcept {
    return ToSingle(static_cast<long double>(X) * v.X + static_cast<long double>(Y) * v.Y);
  }

  // Each difference is rounded to single precision before it is squared.
  float Distance(const TVector& v) const noexcept;

  // In place; return *this so that N := Copy, Subtract, Normalize reads as one line.
  TVector& Subtract(const TVector& v) noexcept {
    X -= v.X;
    Y -= v.Y;
    return *this;
  }
  TVector& Add(const TVector& v) noexcept {
    X += v.X;
    Y += v.Y;
    return *this;
  }

  friend constexpr bool operator==(const TVector&, const TVector&) noexcept = default;
};

}  // namespace ris
