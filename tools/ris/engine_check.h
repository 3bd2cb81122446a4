#pragma once
// What --engine must name: the saver engine this ris packs archives for,
// never another program (ris.exe itself, a test build) that setup or the
// preview would then install or run as the product's saver.

#include <filesystem>
#include <string>

#include "base/result.h"

namespace ris::tool {

// The engine's version when `engine` is the saver engine, marked so in its
// version resource and built with this ris's password prefix; the reason
// for any other file.
Result<std::string, std::string> CheckedEngine(const std::filesystem::path& engine);

}  // namespace ris::tool
