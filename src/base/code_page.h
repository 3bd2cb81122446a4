#pragma once
// The Windows code pages a product's texts may be written in. Texts stay
// bytes everywhere in the engine; they become Unicode only where they are
// drawn or measured, by the system's conversion on Windows and by the
// tables here elsewhere (and on Windows where the system lacks the page).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ris {

// A Windows code page number. 0 is the system's ANSI code page (what the
// system calls CP_ACP); off Windows it reads as 1252.
using CodePage = std::uint32_t;
inline constexpr CodePage kSystemCodePage = 0;
inline constexpr CodePage kWesternCodePage = 1252;
// UTF-8, numbered as Windows numbers it: the texts the system writes for
// the user, such as the time of day, whose AM and PM markers no one code
// page holds. No product names it; its texts are all its own.
inline constexpr CodePage kUtf8CodePage = 65001;

// Whose bytes a drawn or measured text is: the product's, in the code page
// its settings name, or the system's, in UTF-8.
enum class TextEncoding : std::uint8_t { ProductCodePage, Utf8 };

// The code page a text of `encoding` is read in when the product's is
// `product`.
constexpr CodePage CodePageOf(TextEncoding encoding, CodePage product) noexcept {
  return encoding == TextEncoding::Utf8 ? kUtf8CodePage : product;
}

// The code pages the engine has tables for, in ascending order.
std::span<const CodePage> TabledCodePages() noexcept;
bool IsTabledCodePage(CodePage code_page) noexcept;

// The Unicode character a byte of `code_page` stands for; 0 for NUL and for
// bytes the code page leaves undefined, which are written as nothing. A code
// page without a table reads as 1252.
char32_t UnicodeFromCodePage(CodePage code_page, unsigned char byte) noexcept;

// The byte that stands for `character` in `code_page`, or nothing when the
// code page cannot hold it. A code page without a table holds only ASCII.
std::optional<unsigned char> CodePageByteFor(CodePage code_page, char32_t character) noexcept;

// Appends `character` to `out` in UTF-8; one outside Unicode's range is
// written as U+FFFD.
void AppendUtf8(std::string& out, char32_t character);

// The text converted from `code_page` to UTF-8; bytes the code page leaves
// undefined are dropped.
std::string CodePageToUtf8(std::string_view text, CodePage code_page);

// One character at the start of `bytes` in UTF-8 and the bytes it takes;
// Length 0 where they are no well-made sequence (overlong forms, surrogates
// and values beyond Unicode are not).
struct DecodedCharacter {
  char32_t Character = 0;
  std::size_t Length = 0;
};
DecodedCharacter DecodeUtf8(std::string_view bytes) noexcept;

// The character that starts at `at` in `text` read in `code_page`, `at`
// moved past it: one byte of a code page, as UnicodeFromCodePage reads it,
// or one UTF-8 sequence, where a byte that starts none reads as U+FFFD.
char32_t NextCharacter(std::string_view text, std::size_t& at, CodePage code_page) noexcept;

// `text` read in `code_page` (UTF-8 included), in UTF-16: NUL kept, bytes
// the code page leaves undefined dropped.
std::u16string Utf16FromCodePage(std::string_view text, CodePage code_page);

// UTF-16 `text` in `code_page` (UTF-8 included): characters the code page
// cannot hold, and halves of a surrogate pair without the other, as '?'.
std::string CodePageFromUtf16(std::u16string_view text, CodePage code_page);

}  // namespace ris
