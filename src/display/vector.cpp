#include "display/vector.h"

namespace ris {

float TVector::Distance(const TVector& v) const noexcept {
  const long double dx = X - v.X;
  const long double dy = Y - v.Y;
  return ToSingle(std::sqrt(dx * dx + dy * dy));
}

}  // namespace ris
