#pragma once
// A count told with its noun: "1 set", "2 sets", "1 entry", "4 entries".

#include <cstddef>
#include <string>
#include <string_view>

namespace ris::tool {

inline std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

}  // namespace ris::tool
