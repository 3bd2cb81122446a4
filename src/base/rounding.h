#pragma once
// Conversions from real values to whole pixels and points round to the
// nearest integer, halves to even.

#include <cstdint>

namespace ris {

std::int64_t RoundHalfEven(long double value) noexcept;

// In the preview the speed and the overlay font sizes are divided by 6.4.
// 6.4 is 32/5, so the quotient is computed exactly in integers: a value whose
// true quotient is a half (16 gives 2.5, 48 gives 7.5) rounds to even.
std::int32_t DivideByPreviewDivisor(std::int32_t value) noexcept;

}  // namespace ris
