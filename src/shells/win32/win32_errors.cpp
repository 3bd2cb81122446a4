#include "shells/win32/win32_errors.h"

#include <stdexcept>

#include "base/errors.h"
#include "shells/win32/wide_text.h"
#include "shells/win32/win32_system.h"

namespace ris {
namespace {

// The system's text for an error code, without its line break.
std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text != nullptr ? text : "", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

}  // namespace

void ShowErrorBox(HWND owner, const std::string& message, const std::string& caption, CodePage code_page) {
  const std::wstring wide_message = Widen(message, code_page);
  const std::wstring wide_caption = Widen(caption, code_page);
  // An empty caption would show as none; the system's own default then.
  MessageBoxW(IsWindow(owner) ? owner : nullptr, wide_message.c_str(),
              wide_caption.empty() ? nullptr : wide_caption.c_str(), MB_OK | MB_ICONERROR);
}

void ThrowLastError(const std::string& what) {
  const DWORD code = GetLastError();
  const std::string reason = SystemMessage(code);
  throw std::runtime_error(what + ": " + (reason.empty() ? "error " + std::to_string(code) : reason));
}

int RunWithErrorBox(const Win32System& system, const std::function<int()>& body) noexcept {
  try {
    try {
      return body();
    } catch (...) {
      ShowErrorBox(nullptr, CurrentExceptionMessage(), system.ApplicationTitle(), system.TextCodePage());
    }
  } catch (...) {
    // Not even the box could be shown: the exit code still tells.
  }
  return 1;
}

}  // namespace ris
