#include "shells/win32/wide_text.h"

#include <climits>

namespace ris {
namespace {

int WideLength(std::string_view text, UINT code_page) {
  return MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
}

int NarrowLength(std::wstring_view wide, UINT code_page) {
  return WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}

}  // namespace

void WidenInto(std::wstring& wide, std::string_view text, CodePage code_page) {
  wide.clear();
  if (text.empty() || text.size() > INT_MAX) return;
  const int length = WideLength(text, code_page);
  if (length <= 0) {
    // The system lacks the product's code page. Its own ANSI code page would
    // show other letters; the engine's table shows the product's.
    const std::u16string table = Utf16FromCodePage(text, code_page);
    wide.assign(table.begin(), table.end());
    return;
  }
  wide.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
}

std::wstring Widen(std::string_view text, CodePage code_page) {
  std::wstring wide;
  WidenInto(wide, text, code_page);
  return wide;
}

std::string Narrow(std::wstring_view wide, CodePage code_page) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int length = NarrowLength(wide, code_page);
  if (length <= 0) return CodePageFromUtf16(std::u16string(wide.begin(), wide.end()), code_page);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace ris
