#pragma once
// Bytes read from untrusted input, as one type: a view of unsigned bytes.
// Texts (archive entries read into strings, settings) become bytes and
// bytes become text through this one pair of conversions.

#include <cstdint>
#include <span>
#include <string_view>

namespace ris {

using ByteSpan = std::span<const std::uint8_t>;

inline ByteSpan AsBytes(std::string_view text) noexcept {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string_view AsText(ByteSpan bytes) noexcept {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace ris
