#pragma once
// Strict conversions of settings text to numbers and booleans, and the
// integer arithmetic that user input may push to its limits.

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace ris {

// Leading blanks, an optional sign, then decimal digits; "$", "x" or "0x"
// (any letter case) introduce hexadecimal digits, which may fill all 32 bits
// so that colours such as $FFFFFFFF read as the bit pattern they spell.
// Anything else, trailing characters or the empty text included, is no number.
std::optional<std::int32_t> TryStrToInt(std::string_view text) noexcept;

// As TryStrToInt; raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// A number is true unless it is 0; otherwise "true" or "false" in any letter
// case. Anything else raises EConvertError "'<text>' is not a valid boolean value".
bool StrToBool(std::string_view text);

// A wider value brought into the 32-bit range, stopping at its ends.
constexpr std::int32_t SaturateToInt32(std::int64_t value) noexcept {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// Counters that the user raises by key stop at the ends of their range
// instead of wrapping around.
constexpr std::int32_t SaturatingAdd(std::int32_t value, std::int32_t delta) noexcept {
  return SaturateToInt32(std::int64_t{value} + delta);
}

}  // namespace ris
