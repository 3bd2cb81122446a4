#pragma once
// The saver's file name as the commands take it with --saver: a plain name
// or a Windows path, of which only the file name counts (it gives the
// archive's name and password).

#include <filesystem>
#include <string>
#include <string_view>
#include <optional>

#include "base/result.h"

namespace ris::tool {

// The file name part of a path written with either separator.
std::string FileNamePart(std::string_view path);

bool EndsInScr(std::string_view name);

// The saver's file name suggested for a product, without ".scr": from its
// title, or from its folder's name when the title goes beyond ASCII. The
// archive's password comes from the file name's bytes, which only ASCII
// keeps the same on every system.
std::string SuggestedSaverName(std::string_view title, const std::filesystem::path& folder);

// The saver's file name given with --saver, or why it cannot be one: no
// name, no ".scr", or a name Windows would refuse or read otherwise.
Result<std::string, std::string> SaverFileNameOption(const std::optional<std::string>& given);

}  // namespace ris::tool
