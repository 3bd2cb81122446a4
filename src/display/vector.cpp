#include "display/vector.h"

#include <cmath>
#include <limits>

namespace ris {
namespace {

using Extended = long double;

constexpr Extended kFloatMax = std::numeric_limits<float>::max();
// Halfway between the largest float and 2^128 (half its last place, 2^103):
// from here on a value rounds to infinity, the tie going to the even 2^128.
constexpr Extended kFloatOverflow = kFloatMax + 0x1p103L;

}  // namespace

float ToSingle(long double value) noexcept {
  if (std::fabs(value) > kFloatMax) {
    const bool overflows = std::fabs(value) >= kFloatOverflow;
    const float magnitude = overflows ? std::numeric_limits<float>::infinity()
                                      : std::numeric_limits<float>::max();
    return value < 0 ? -magnitude : magnitude;
  }
  return static_cast<float>(value);
}

float TVector::Length() const noexcept {
  const Extended x = X;
  const Extended y = Y;
  return ToSingle(std::sqrt(x * x + y * y));
}

TVector& TVector::Normalize() noexcept {
  const float length = Length();
  if (length == 0.0f) {
    SetXY(0.0f, 0.0f);
  } else {
    X /= length;
    Y /= length;
  }
  return *this;
}

float TVector::Dot(const TVector& v) const noexcept {
  return ToSingle(Extended{X} * v.X + Extended{Y} * v.Y);
}

float TVector::Distance(const TVector& v) const noexcept {
  const Extended dx = X - v.X;
  const Extended dy = Y - v.Y;
  return ToSingle(std::sqrt(dx * dx + dy * dy));
}

}  // namespace ris
