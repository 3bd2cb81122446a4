#include "shells/win32/win32_system.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace ris {
namespace {

// Closes a handle when it goes out of scope.
struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

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

std::optional<std::string> Win32System::ReadWholeFile(const std::string& path,
                                                      std::uint64_t limit) const {
  const FileHandle file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.handle, &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.handle, bytes.data() + done, chunk, &read, nullptr) || read == 0) {
      return std::nullopt;
    }
    done += read;
  }
  return bytes;
}

void Win32System::EndWithError(const std::string& message, int exit_code) {
  MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(exit_code));
}

void Win32Shell::OpenWebAddress(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ris
