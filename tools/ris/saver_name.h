#pragma once
// The saver's file name as the commands take it with --saver: a plain name
// or a Windows path, of which only the file name counts (it gives the
// archive's name and password).

#include <optional>
#include <string>
#include <string_view>

#include "command_options.h"

namespace ris::tool {

// The file name part of a path written with either separator.
std::string FileNamePart(std::string_view path);

bool EndsInScr(std::string_view name);

// The saver's file name given with --saver. Nothing when the option is
// absent (`error` left empty) or names no file the saver could be installed
// as (the reason in `error`): an archive packed or tried for such a name
// would be one no end user can open.
std::optional<std::string> SaverOption(const CommandOptions& options, std::string& error);

}  // namespace ris::tool
