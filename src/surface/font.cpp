#include "surface/font.h"

#include <algorithm>
#include <limits>

namespace ris {
namespace {

constexpr std::int32_t kPointsPerInch = 72;

// a * b / c with the product in 64 bits, rounded half away from zero and
// saturated to the 32-bit range. `c` is positive.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) noexcept {
  const std::int64_t product = std::int64_t{a} * b;
  const bool negative = product < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
  const auto divisor = static_cast<std::uint64_t>(c);
  // |product| <= 2^62, so doubling it stays inside 64 unsigned bits.
  const std::uint64_t quotient = (2 * magnitude + divisor) / (2 * divisor);
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  if (negative) {
    if (quotient > kMax) return std::numeric_limits<std::int32_t>::min();
    return -static_cast<std::int32_t>(quotient);
  }
  if (quotient > kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(quotient);
}

// Size and height have opposite signs; negating the lowest value saturates.
std::int32_t Negate(std::int32_t value) noexcept {
  return value == std::numeric_limits<std::int32_t>::min()
             ? std::numeric_limits<std::int32_t>::max()
             : -value;
}

std::int32_t EffectivePixelsPerInch(std::int32_t pixels_per_inch) noexcept {
  return pixels_per_inch > 0 ? pixels_per_inch : TFont::kDefaultPixelsPerInch;
}

}  // namespace

std::int32_t TFont::Size() const noexcept {
  return Negate(MulDiv(Height, kPointsPerInch, EffectivePixelsPerInch(PixelsPerInch)));
}

void TFont::SetSize(std::int32_t points) noexcept {
  Height = Negate(MulDiv(points, EffectivePixelsPerInch(PixelsPerInch), kPointsPerInch));
}

void TFont::ClampHeight() noexcept { Height = std::clamp(Height, -kLargestHeight, kLargestHeight); }

}  // namespace ris
