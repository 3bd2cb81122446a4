#include "shells/win32/wide_text.h"

#include <climits>

namespace ris {
namespace {

int WideLength(std::string_view text, UINT code_page) {
  return MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
}

}  // namespace

void WidenInto(std::wstring& wide, std::string_view text, CodePage code_page) {
  wide.clear();
  if (text.empty() || text.size() > INT_MAX) return;
  UINT system_page = code_page;
  int length = WideLength(text, system_page);
  if (length <= 0) {
    system_page = CP_ACP;
    length = WideLength(text, system_page);
  }
  if (length <= 0) return;
  wide.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(system_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
}

std::wstring Widen(std::string_view text, CodePage code_page) {
  std::wstring wide;
  WidenInto(wide, text, code_page);
  return wide;
}

}  // namespace ris
