#include "saver_name.h"

#include <algorithm>

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

Result<std::string, std::string> SaverFileNameOption(const std::optional<std::string>& given) {
  std::string name = FileNamePart(given.value_or(""));
  if (!EndsInScr(name)) return Failure{"--saver wants the saver's file name, such as Flowers.scr"};
  if (const auto refusal = SaverNameRefusal(name)) return Failure{"--saver " + name + ": " + *refusal};
  return name;
}

std::string SuggestedSaverName(std::string_view title, const std::filesystem::path& folder) {
  const auto ascii = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  std::error_code error;
  const std::string folder_name = std::filesystem::absolute(folder, error).filename().string();
  for (const std::string_view candidate : {title, std::string_view(folder_name)}) {
    if (ascii(candidate)) return FolderNameFor(candidate, "Product.scr");
  }
  return "Product";
}

}  // namespace ris::tool
