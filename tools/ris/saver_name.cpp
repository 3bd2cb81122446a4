#include "saver_name.h"

#include "base/ascii.h"
#include "data/product_names.h"

namespace ris::tool {

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool EndsInScr(std::string_view name) {
  return name.size() > 4 && EqualsFolded(name.substr(name.size() - 4), ".scr");
}

std::optional<std::string> SaverOption(const CommandOptions& options, std::string& error) {
  const auto given = options.Value("--saver");
  if (!given) return std::nullopt;
  std::string name = FileNamePart(*given);
  if (!EndsInScr(name)) {
    error = "--saver wants the saver's file name, such as Flowers.scr";
    return std::nullopt;
  }
  if (const auto refusal = SaverNameRefusal(name)) {
    error = "--saver " + name + " cannot be the saver's file name: " + *refusal;
    return std::nullopt;
  }
  return name;
}

}  // namespace ris::tool
