#include "shells/win32/win32_system.h"

#include <windows.h>

#include <shellapi.h>

#include "shells/win32/wide_text.h"
#include "shells/win32/win32_file_source.h"

namespace ris {

std::string Win32System::ExecutablePath() const {
  // Paths may be longer than MAX_PATH; grow until the whole path fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::shared_ptr<const ByteSource> Win32System::OpenFile(const std::string& path) const {
  return Win32FileSource::Open(path);
}

void Win32System::EndWithError(const std::string& message, int exit_code) {
  MessageBoxW(nullptr, Widen(message, TextCodePage()).c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(exit_code));
}

void Win32Shell::OpenWebAddress(const std::string& address) {
  ShellExecuteW(nullptr, L"open", Widen(address, system_.TextCodePage()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ris
