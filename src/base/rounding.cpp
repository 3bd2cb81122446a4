#include "base/rounding.h"

#include <cmath>

namespace ris {

std::int64_t RoundHalfEven(long double value) noexcept {
  const long double floor = std::floor(value);
  const long double fraction = value - floor;
  auto whole = static_cast<std::int64_t>(floor);
  if (fraction > 0.5L || (fraction == 0.5L && (whole % 2) != 0)) ++whole;
  return whole;
}

std::int32_t DivideByPreviewDivisor(std::int32_t value) noexcept {
  const std::int64_t numerator = std::int64_t{value} * 5;
  // Floor division, then the remainder decides: more than half rounds up,
  // exactly half rounds to the even neighbour.
  std::int64_t quotient = numerator / 32;
  std::int64_t remainder = numerator % 32;
  if (remainder < 0) {
    remainder += 32;
    --quotient;
  }
  if (remainder > 16 || (remainder == 16 && (quotient % 2) != 0)) ++quotient;
  return static_cast<std::int32_t>(quotient);
}

}  // namespace ris
