#pragma once
// What --engine must name: the saver engine this ris packs archives for,
// never another program (ris.exe itself, a test build) that setup or the
// preview would then install or run as the product's saver.

#include <filesystem>
#include <optional>
#include <string>

namespace ris::tool {

// The engine's version when `engine` is the saver engine, marked so in its
// version resource and built with this ris's password prefix; nothing, with
// the reason in `why`, for any other file.
std::optional<std::string> CheckedEngine(const std::filesystem::path& engine, std::string& why);

}  // namespace ris::tool
