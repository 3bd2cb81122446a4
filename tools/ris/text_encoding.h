#pragma once
// Settings texts saved as UTF-8 by today's editors, and the product's code
// page the saver reads them in.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/code_page.h"

namespace ris::tool {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// True when the text starts with a UTF-8 byte order mark, or holds bytes
// above ASCII that all form well-made UTF-8 sequences (which a text in a
// Windows code page practically never does).
bool IsUtf8Text(std::string_view text) noexcept;

// Why a text could not be converted: its line (counted from 1) and what is
// wrong there.
struct ConversionFailure {
  std::size_t Line = 0;
  std::string What;
};

// The text without its byte order mark, converted to `code_page`; nothing,
// with `failure` filled in, where the text holds a character the code page
// cannot, or bytes that are not UTF-8.
std::optional<std::string> Utf8ToCodePage(std::string_view text, CodePage code_page, ConversionFailure& failure);

// A product's text as ris prints it: in UTF-8 when the product names its
// code page, byte for byte when it leaves the code page to the system.
std::string ForTerminal(std::string_view text, CodePage code_page);

}  // namespace ris::tool
