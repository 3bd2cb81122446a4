#pragma once
// Writing an output file so that it is either the old file or the complete
// new one, never a half-written mix: a build that stops midway, or a saver
// that reads the archive while it is being packed, sees no torn archive.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.h"

namespace ris::tool {

// A path beside `path`, on its file system, for a file that will be renamed
// over it; with a random part, so that two writers of one file do not share it.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

// Renames `temporary` over `path`. The reason, with the temporary file
// removed, when that fails.
Result<void, std::string> ReplaceWithTemporary(const std::filesystem::path& temporary,
                                               const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path`, then renames it over
// `path`. The reason, with no file left behind, when either step fails.
Result<void, std::string> WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace ris::tool
