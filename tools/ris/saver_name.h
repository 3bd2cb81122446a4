#pragma once
// The saver's file name as the commands take it with --saver: a plain name
// or a Windows path, of which only the file name counts (it gives the
// archive's name and password).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "command_options.h"

namespace ris::tool {

// The file name part of a path written with either separator.
std::string FileNamePart(std::string_view path);

bool EndsInScr(std::string_view name);

// The saver's file name suggested for a product, without ".scr": from its
// title, else from the folder's name, else "Product"; never one that `ris
// pack` would refuse (a title beyond ASCII, say, whose bytes and so the
// archive's password differ from one system to the next).
std::string SuggestedSaverName(std::string_view title, const std::filesystem::path& folder);

// The saver's file name given with --saver; nothing when the option is
// absent. The reason when it names no file the saver could be installed as:
// an archive packed or tried for such a name would be one no end user can
// open.
Result<std::optional<std::string>, std::string> SaverOption(const CommandOptions& options);

// The same for a command that cannot do without the name.
Result<std::string, std::string> RequiredSaverOption(const CommandOptions& options);

}  // namespace ris::tool
