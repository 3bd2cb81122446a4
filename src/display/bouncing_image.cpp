#include "display/bouncing_image.h"

namespace ris {

bool DiscsTouch(const TVector& a, const TVector& b, std::int32_t width) noexcept {
  return static_cast<long double>(width) >= a.Distance(b);
}

void BounceApart(TBouncingImage& first, TBouncingImage& second) noexcept {
  // Unit vector from the second image to the first.
  TVector normal = first.Position;
  normal.Subtract(second.Position).Normalize();
  const float along_first = first.Direction.Dot(normal);
  const float along_second = second.Direction.Dot(normal);
  // Twice the difference of the components over the sum of the two unit
  // masses, which is the difference itself: doubling and halving are exact.
  const float impulse = along_first - along_second;
  const TVector exchange(impulse * normal.X, impulse * normal.Y);
  first.Direction.Subtract(exchange);
  second.Direction.Add(exchange);
}

}  // namespace ris
