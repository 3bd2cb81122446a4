#pragma once
// A product's text for the system's Unicode functions: its bytes converted
// from the product's code page, so its letters show whatever the system's
// own ANSI code page is; and back, for what the system hands over in
// Unicode.

#include <windows.h>

#include <string>
#include <string_view>

#include "base/code_page.h"

namespace ris {

// Replaces `wide` with `text` converted from `code_page` (the system's ANSI
// code page for kSystemCodePage; the engine's own table where the system
// lacks `code_page`). Takes a buffer so that text drawn every frame reuses
// its memory.
void WidenInto(std::wstring& wide, std::string_view text, CodePage code_page);

std::wstring Widen(std::string_view text, CodePage code_page);

// `wide` in `code_page`, as WidenInto reads it; characters the code page
// cannot hold become '?'.
std::string Narrow(std::wstring_view wide, CodePage code_page);

}  // namespace ris
