#pragma once
// Byte-string helpers. All text of the saver is a byte string in the Windows
// ANSI code page; letter-case folding maps only 'A'..'Z', so accented letters
// compare exactly whatever the code page.

#include <string>
#include <string_view>

namespace ris {

constexpr char FoldAscii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char UpperAscii(char c) noexcept {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string FoldAscii(std::string_view text);
std::string UpperAscii(std::string_view text);

// True when both texts are equal once 'A'..'Z' are folded.
bool EqualsFolded(std::string_view a, std::string_view b) noexcept;

// True when `a` sorts before `b` once 'A'..'Z' are folded, bytes compared
// unsigned.
bool LessFolded(std::string_view a, std::string_view b) noexcept;

// Bytes 0..32 (blanks and control characters) count as white space.
constexpr bool IsBlankOrControl(char c) noexcept {
  return static_cast<unsigned char>(c) <= 32;
}

constexpr bool IsSpaceOrTab(char c) noexcept { return c == ' ' || c == '\t'; }

// The text without the bytes that `trimmed` picks at its start, or its end.
template <typename Predicate>
constexpr std::string_view TrimStart(std::string_view text, Predicate trimmed) noexcept {
  while (!text.empty() && trimmed(text.front())) text.remove_prefix(1);
  return text;
}
template <typename Predicate>
constexpr std::string_view TrimEnd(std::string_view text, Predicate trimmed) noexcept {
  while (!text.empty() && trimmed(text.back())) text.remove_suffix(1);
  return text;
}

// The text without blanks and control characters at either end.
constexpr std::string_view TrimBlanks(std::string_view text) noexcept {
  return TrimEnd(TrimStart(text, IsBlankOrControl), IsBlankOrControl);
}

// True when `text` begins with `prefix` once 'A'..'Z' are folded.
bool StartsWithFolded(std::string_view text, std::string_view prefix) noexcept;

constexpr bool IsDecimalDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// 0..15 for a hexadecimal digit in either letter case, -1 for any other byte.
constexpr int HexDigitValue(char c) noexcept {
  if (IsDecimalDigit(c)) return c - '0';
  const char lower = FoldAscii(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

// The digit of a value 0..15, in lower case; UpperAscii gives the other.
constexpr char HexDigit(unsigned value) noexcept { return "0123456789abcdef"[value & 0xF]; }

}  // namespace ris
