#include "saver_name.h"

#include "base/ascii.h"

namespace ris::tool {

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool EndsInScr(std::string_view name) {
  return name.size() > 4 && EqualsFolded(name.substr(name.size() - 4), ".scr");
}

}  // namespace ris::tool
