#pragma once
// A file kept open for reading at any offset. Each read first checks that
// the file still has the size it had when opened, so a file shortened or
// rewritten to another length under an open archive fails the read instead
// of handing out the new bytes as the old ones.

#include <filesystem>
#include <fstream>
#include <memory>

#include "archive/byte_source.h"

namespace ris {

class FileByteSource final : public ByteSource {
 public:
  // The open file, or nothing when it cannot be opened.
  static std::shared_ptr<const FileByteSource> Open(const std::filesystem::path& path);

  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  std::uint64_t Size() const noexcept override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<char> out) const override;

 private:
  FileByteSource(std::ifstream stream, std::uint64_t size) : stream_(std::move(stream)), size_(size) {}

  // Reading moves the stream's position, which is no part of the source's
  // state: every read seeks first. The tools read from one thread only.
  mutable std::ifstream stream_;
  std::uint64_t size_;
};

}  // namespace ris
