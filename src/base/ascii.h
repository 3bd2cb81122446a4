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

std::string_view TrimBlanks(std::string_view text) noexcept;

constexpr bool IsDecimalDigit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace ris
