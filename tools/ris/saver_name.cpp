#include "saver_name.h"

#include "base/ascii.h"
#include "installer_script.h"
#include "data/product_names.h"

namespace ris::tool {

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool EndsInScr(std::string_view name) {
  return name.size() > 4 && EqualsFolded(name.substr(name.size() - 4), ".scr");
}

Result<std::optional<std::string>, std::string> SaverOption(const CommandOptions& options) {
  const auto given = options.Value("--saver");
  if (!given) return std::optional<std::string>();
  std::string name = FileNamePart(*given);
  if (!EndsInScr(name)) return Failure{"--saver wants the saver's file name, such as Flowers.scr"};
  if (const auto refusal = SaverNameRefusal(name)) {
    return Failure{"--saver " + name + " cannot be the saver's file name: " + *refusal};
  }
  return std::optional<std::string>(std::move(name));
}

Result<std::string, std::string> RequiredSaverOption(const CommandOptions& options) {
  auto saver = SaverOption(options);
  if (!saver) return Failure{saver.error()};
  if (!*saver) return Failure{"--saver wants the saver's file name, such as Flowers.scr"};
  return **saver;
}

std::string SuggestedSaverName(std::string_view title, const std::filesystem::path& folder) {
  std::error_code error;
  const std::string folder_name = std::filesystem::absolute(folder, error).filename().string();
  for (const std::string_view candidate : {title, std::string_view(folder_name)}) {
    const std::string stem = FolderNameFor(candidate, "Product.scr");
    if (!SaverNameRefusal(stem + ".scr")) return stem;
  }
  return "Product";
}

}  // namespace ris::tool
