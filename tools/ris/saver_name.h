#pragma once
// The saver's file name as the commands take it with --saver: a plain name
// or a Windows path, of which only the file name counts (it gives the
// archive's name and password).

#include <string>
#include <string_view>

namespace ris::tool {

// The file name part of a path written with either separator.
std::string FileNamePart(std::string_view path);

bool EndsInScr(std::string_view name);

}  // namespace ris::tool
