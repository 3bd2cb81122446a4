#include "archive/byte_source.h"

#include <algorithm>

namespace ris {

bool MemoryByteSource::ReadAt(std::uint64_t offset, std::span<char> out) const {
  if (offset > Size() || out.size() > Size() - offset) return false;
  std::copy_n(bytes_->data() + offset, out.size(), out.data());
  return true;
}

std::optional<std::string> ReadRange(const ByteSource& source, std::uint64_t offset,
                                     std::uint64_t count, std::uint64_t limit) {
  const std::uint64_t size = source.Size();
  if (count > limit || offset > size || count > size - offset) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(count), '\0');
  if (!source.ReadAt(offset, bytes)) return std::nullopt;
  return bytes;
}

}  // namespace ris
