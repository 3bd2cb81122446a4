#pragma once
// Reading a whole input file for the subcommands.

#include <filesystem>
#include <string>

#include "base/result.h"

namespace ris::tool {

// The file's bytes, or why not: it is missing, unreadable, a folder, or
// over `limit` bytes.
Result<std::string, std::string> ReadFileBytes(const std::filesystem::path& path,
                                               std::uintmax_t limit = 256u << 20);

}  // namespace ris::tool
