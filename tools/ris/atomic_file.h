#pragma once
// Writing an output file so that it is either the old file or the complete
// new one, never a half-written mix: a build that stops midway, or a saver
// that reads the archive while it is being packed, sees no torn archive.

#include <filesystem>
#include <string>
#include <string_view>

namespace ris::tool {

// A path beside `path`, on its file system, for a file that will be renamed
// over it; with a random part, so that two writers of one file do not share it.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

// Renames `temporary` over `path`. False, with the reason in `why` and the
// temporary file removed, when that fails.
bool ReplaceWithTemporary(const std::filesystem::path& temporary, const std::filesystem::path& path,
                          std::string& why);

// Writes `bytes` to a temporary file beside `path`, then renames it over
// `path`. False, with the reason in `why` and no file left behind, when
// either step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& why);

}  // namespace ris::tool
