#include "shells/headless/file_byte_source.h"

#include <optional>

namespace ris {
namespace {

// The file's size as the system has it now, not as it was opened.
std::optional<std::uint64_t> CurrentSize(std::ifstream& stream) {
  stream.clear();
  stream.seekg(0, std::ios::end);
  const std::streamoff end = stream.tellg();
  if (!stream || end < 0) return std::nullopt;
  return static_cast<std::uint64_t>(end);
}

}  // namespace

std::shared_ptr<const FileByteSource> FileByteSource::Open(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return nullptr;
  const auto size = CurrentSize(stream);
  if (!size) return nullptr;
  return std::shared_ptr<const FileByteSource>(new FileByteSource(std::move(stream), *size));
}

bool FileByteSource::ReadAt(std::uint64_t offset, std::span<char> out) const {
  if (offset > size_ || out.size() > size_ - offset || CurrentSize(stream_) != size_) return false;
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(out.data(), static_cast<std::streamsize>(out.size()));
  return stream_.gcount() == static_cast<std::streamsize>(out.size());
}

}  // namespace ris
