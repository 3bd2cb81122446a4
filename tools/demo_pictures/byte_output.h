#pragma once
// Appending integers to a file's bytes in either byte order.

#include <cstdint>
#include <string>

namespace ris::demo {

inline void AppendByte(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFFu);
}

inline void AppendLe16(std::string& out, std::uint32_t value) {
  AppendByte(out, value);
  AppendByte(out, value >> 8);
}

inline void AppendLe32(std::string& out, std::uint32_t value) {
  AppendLe16(out, value & 0xFFFFu);
  AppendLe16(out, value >> 16);
}

inline void AppendBe32(std::string& out, std::uint32_t value) {
  AppendByte(out, value >> 24);
  AppendByte(out, value >> 16);
  AppendByte(out, value >> 8);
  AppendByte(out, value);
}

}  // namespace ris::demo
