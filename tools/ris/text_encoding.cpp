#include "text_encoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ris::tool {
namespace {

std::string CharacterName(char32_t character) {
  std::string name = "'";
  AppendUtf8(name, character);
  char code[16];
  std::snprintf(code, sizeof code, "' (U+%04X)", static_cast<unsigned>(character));
  return name + code;
}

std::size_t LineOf(std::string_view text, std::size_t position) {
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

}  // namespace

bool IsUtf8Text(std::string_view text) noexcept {
  if (text.starts_with(kUtf8ByteOrderMark)) return true;
  bool beyond_ascii = false;
  while (!text.empty()) {
    const DecodedCharacter decoded = DecodeUtf8(text);
    if (decoded.Length == 0) return false;
    beyond_ascii |= decoded.Length > 1;
    text.remove_prefix(decoded.Length);
  }
  return beyond_ascii;
}

std::optional<std::string> Utf8ToCodePage(std::string_view text, CodePage code_page, ConversionFailure& failure) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  std::string converted;
  converted.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const DecodedCharacter decoded = DecodeUtf8(text.substr(position));
    if (decoded.Length == 0) {
      failure = {LineOf(text, position), "bytes that are not UTF-8"};
      return std::nullopt;
    }
    const std::optional<unsigned char> byte = CodePageByteFor(code_page, decoded.Character);
    if (!byte) {
      failure = {LineOf(text, position),
                 CharacterName(decoded.Character) + " is not in code page " + std::to_string(code_page)};
      return std::nullopt;
    }
    converted += static_cast<char>(*byte);
    position += decoded.Length;
  }
  return converted;
}

std::string ForTerminal(std::string_view text, CodePage code_page) {
  return code_page == kSystemCodePage ? std::string(text) : CodePageToUtf8(text, code_page);
}

}  // namespace ris::tool
