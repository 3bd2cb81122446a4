#pragma once
// Reading a whole input file for the subcommands.

#include <filesystem>
#include <optional>
#include <string>

namespace ris::tool {

// The file's bytes, or nothing when it is missing or unreadable (the reason
// is put into `why`). Files over `limit` bytes are refused.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& why,
                                         std::uintmax_t limit = 256u << 20);

}  // namespace ris::tool
