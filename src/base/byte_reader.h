#pragma once
// Reads little-endian fields from untrusted bytes. A read past the end does
// not throw or touch memory outside the bytes: it yields zero and marks the
// reader as overrun, so that a record is parsed field by field in plain
// sequence and checked once at its end.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/byte_span.h"

namespace ris {

class ByteReader {
 public:
  explicit ByteReader(ByteSpan bytes) noexcept : bytes_(AsText(bytes)) {}
  // Bytes that came as text (an archive entry read into a string).
  explicit ByteReader(std::string_view bytes) noexcept : bytes_(bytes) {}

  std::uint16_t U16() noexcept { return static_cast<std::uint16_t>(Little(2)); }
  std::uint32_t U32() noexcept { return static_cast<std::uint32_t>(Little(4)); }
  std::uint64_t U64() noexcept { return Little(8); }

  // Single bytes and big-endian fields (SGI, Photoshop), with the same
  // overrun rule.
  std::uint8_t U8() noexcept { return static_cast<std::uint8_t>(Little(1)); }
  std::uint16_t U16Big() noexcept { return static_cast<std::uint16_t>(Big(2)); }
  std::uint32_t U32Big() noexcept { return static_cast<std::uint32_t>(Big(4)); }

  // The next `count` bytes; empty, and overrun, when fewer remain.
  std::string_view Bytes(std::size_t count) noexcept {
    if (count > Remaining()) {
      overrun_ = true;
      position_ = bytes_.size();
      return {};
    }
    const std::string_view taken = bytes_.substr(position_, count);
    position_ += count;
    return taken;
  }

  void Skip(std::size_t count) noexcept { static_cast<void>(Bytes(count)); }

  std::size_t Position() const noexcept { return position_; }
  std::size_t Remaining() const noexcept { return bytes_.size() - position_; }
  bool Overrun() const noexcept { return overrun_; }

 private:
  std::uint64_t Little(std::size_t width) noexcept {
    const std::string_view field = Bytes(width);
    std::uint64_t value = 0;
    for (std::size_t i = field.size(); i > 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(field[i - 1]);
    }
    return value;
  }

  std::uint64_t Big(std::size_t width) noexcept {
    const std::string_view field = Bytes(width);
    std::uint64_t value = 0;
    for (const char byte : field) value = (value << 8) | static_cast<unsigned char>(byte);
    return value;
  }

  std::string_view bytes_;
  std::size_t position_ = 0;
  bool overrun_ = false;
};

}  // namespace ris
