#pragma once
// Random-access bytes an archive is read from: a file kept open for the
// archive's life, or bytes in memory. Declared here, where the archive needs
// it; each shell opens files its own way.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace ris {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // The size the bytes had when opened; reads are judged against it.
  virtual std::uint64_t Size() const noexcept = 0;

  // Fills `out` with the bytes from `offset` on. False, never a partial
  // success, when they cannot all be read: a file that has changed its
  // size since it was opened, or a read the system refused.
  virtual bool ReadAt(std::uint64_t offset, std::span<char> out) const = 0;
};

// Bytes in memory, shared with whoever made them.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}

  std::uint64_t Size() const noexcept override { return bytes_ ? bytes_->size() : 0; }
  bool ReadAt(std::uint64_t offset, std::span<char> out) const override;

 private:
  std::shared_ptr<const std::string> bytes_;
};

// `count` bytes from `offset`, or nothing when they lie outside the source's
// size, exceed `limit` (checked before anything is allocated) or cannot be
// read.
std::optional<std::string> ReadRange(const ByteSource& source, std::uint64_t offset,
                                     std::uint64_t count, std::uint64_t limit);

}  // namespace ris
