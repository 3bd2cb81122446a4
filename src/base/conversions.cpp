#include "base/conversions.h"

#include "base/ascii.h"
#include "base/errors.h"

namespace ris {
namespace {

constexpr std::string_view kInvalidInteger = "'%s' is not a valid integer value";
constexpr std::string_view kInvalidBoolean = "'%s' is not a valid boolean value";

// Strips a hexadecimal prefix and reports whether there was one.
bool ConsumeHexPrefix(std::string_view& digits) noexcept {
  if (!digits.empty() && (digits.front() == '$' || FoldAscii(digits.front()) == 'x')) {
    digits.remove_prefix(1);
    return true;
  }
  if (digits.size() >= 2 && digits[0] == '0' && FoldAscii(digits[1]) == 'x') {
    digits.remove_prefix(2);
    return true;
  }
  return false;
}

std::optional<std::uint64_t> ParseMagnitude(std::string_view digits, int base,
                                            std::uint64_t limit) noexcept {
  if (digits.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (const char c : digits) {
    const int digit = base == 16 ? HexDigitValue(c) : (IsDecimalDigit(c) ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  return magnitude;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) noexcept {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const bool hex = ConsumeHexPrefix(text);
  // Hexadecimal may spell any 32-bit pattern; decimal must fit the signed range.
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  const auto magnitude = ParseMagnitude(text, hex ? 16 : 10, limit);
  if (!magnitude) return std::nullopt;
  const auto bits = static_cast<std::uint32_t>(negative ? (0 - *magnitude) : *magnitude);
  return static_cast<std::int32_t>(bits);
}

std::int32_t StrToInt(std::string_view text) {
  if (const auto value = TryStrToInt(text)) return *value;
  throw EConvertError(FormatMessage(kInvalidInteger, text));
}

bool StrToBool(std::string_view text) {
  if (const auto number = TryStrToInt(text)) return *number != 0;
  if (EqualsFolded(text, "true")) return true;
  if (EqualsFolded(text, "false")) return false;
  throw EConvertError(FormatMessage(kInvalidBoolean, text));
}

}  // namespace ris
