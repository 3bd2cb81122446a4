#pragma once
// A new product folder as `ris new` writes it, for the studio's page too.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace ris::tool {

// Writes settings.txt for `title` in the code page named (1252 when none),
// and the example set unless the sets come from photos. The reason when
// the code page has no table, the title cannot be written, or the folder
// holds something already (a maker's work is never written over).
Result<void, std::string> StartProduct(const std::filesystem::path& folder, std::string_view title,
                                       const std::optional<std::string>& code_page_named, bool example_set);

}  // namespace ris::tool
