#pragma once
// The Windows code pages a product's texts may be written in. Texts stay
// bytes everywhere in the engine; they become Unicode only where they are
// drawn or measured, by the system's conversion on Windows and by the
// tables here elsewhere.

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

}  // namespace ris
