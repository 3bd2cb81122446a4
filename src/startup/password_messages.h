#pragma once
// What the box says when the saver password cannot be changed because the
// system's password library is missing or lacks its entry point. The texts
// are the ones users and support pages know, down to their odd spelling
// and spacing.

#include <string>
#include <string_view>

namespace ris {

// `system_folder` ends in a backslash.
std::string LibraryNotLoadedMessage(std::string_view system_folder);
std::string EntryPointMissingMessage(std::string_view system_folder);

}  // namespace ris
