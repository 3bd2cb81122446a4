#include "line_ends.h"

namespace ris::tool {

bool HasBareLineFeed(std::string_view text) noexcept {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
  }
  return false;
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string converted;
  converted.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
    converted += text[i];
  }
  return converted;
}

}  // namespace ris::tool
