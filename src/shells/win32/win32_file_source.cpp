#include "shells/win32/win32_file_source.h"

#include <algorithm>
#include <optional>

namespace ris {
namespace {

std::optional<std::uint64_t> CurrentSize(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

std::shared_ptr<const Win32FileSource> Win32FileSource::Open(const std::string& path) {
  const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return nullptr;
  OwnedKernelObject file(opened);
  const auto size = CurrentSize(file.Get());
  if (!size) return nullptr;
  return std::shared_ptr<const Win32FileSource>(new Win32FileSource(std::move(file), *size));
}

bool Win32FileSource::ReadAt(std::uint64_t offset, std::span<char> out) const {
  const HANDLE file = file_.Get();
  if (offset > size_ || out.size() > size_ - offset || CurrentSize(file) != size_) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    // The offset travels in the OVERLAPPED block; the handle is synchronous,
    // so the read has finished when ReadFile returns.
    OVERLAPPED place{};
    const std::uint64_t at = offset + done;
    place.Offset = static_cast<DWORD>(at);
    place.OffsetHigh = static_cast<DWORD>(at >> 32);
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file, out.data() + done, chunk, &read, &place) || read == 0) return false;
    done += read;
  }
  return true;
}

}  // namespace ris
