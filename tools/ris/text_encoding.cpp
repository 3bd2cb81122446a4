#include "text_encoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ris::tool {
namespace {

struct DecodedCharacter {
  char32_t Character = 0;
  std::size_t Length = 0;  // 0: not a well-made sequence
};

// One character at the start of `bytes`, refusing overlong forms,
// surrogates and values beyond Unicode.
DecodedCharacter DecodeUtf8(std::string_view bytes) noexcept {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t character = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, character = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, character = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, character = lead & 0x07u, smallest = 0x10000;
  } else {
    return {};
  }
  if (bytes.size() < length) return {};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {};
    character = (character << 6) | (byte(i) & 0x3Fu);
  }
  const bool surrogate = character >= 0xD800 && character < 0xE000;
  if (character < smallest || character > 0x10FFFF || surrogate) return {};
  return {character, length};
}

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
