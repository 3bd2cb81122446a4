#include "shells/headless/file_byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ris {
namespace {

std::optional<std::uint64_t> CurrentSize(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || status.st_size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace

std::shared_ptr<const FileByteSource> FileByteSource::Open(const std::filesystem::path& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  const auto size = CurrentSize(descriptor);
  if (!size) {
    ::close(descriptor);
    return nullptr;
  }
  return std::shared_ptr<const FileByteSource>(new FileByteSource(descriptor, *size));
}

FileByteSource::~FileByteSource() { ::close(descriptor_); }

bool FileByteSource::ReadAt(std::uint64_t offset, std::span<char> out) const {
  if (offset > size_ || out.size() > size_ - offset || CurrentSize(descriptor_) != size_) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t read = ::pread(descriptor_, out.data() + done, out.size() - done,
                                 static_cast<off_t>(offset + done));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) return false;
    done += static_cast<std::size_t>(read);
  }
  return true;
}

}  // namespace ris
