#pragma once
// A file kept open for reading at any offset, shared for reading, writing
// and deletion, so a product can be replaced while its saver or preview
// runs. Each read first checks that the file still has the size it had when
// opened: a file shortened or rewritten to another length fails the read.

#include <memory>
#include <string>

#include "archive/byte_source.h"
#include "shells/win32/owned_handle.h"

namespace ris {

class Win32FileSource final : public ByteSource {
 public:
  // The open file, or nothing when it cannot be opened.
  static std::shared_ptr<const Win32FileSource> Open(const std::string& path);


  std::uint64_t Size() const noexcept override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<char> out) const override;

 private:
  Win32FileSource(OwnedKernelObject file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  OwnedKernelObject file_;
  std::uint64_t size_;
};

}  // namespace ris
