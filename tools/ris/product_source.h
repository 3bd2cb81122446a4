#pragma once
// A product as the maker's commands see it, read from its content folder or
// from its packed archive: the settings text and the pictures, named as in
// the folder ("icons/thumbs/x.png"), and the setup program's files.

#include <filesystem>
#include <string_view>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

// A folder is read and prepared as `ris pack` reads and prepares it, so
// that it is what its archive will hold (its findings included); an archive
// is opened with the password of a saver named `saver`, and its settings
// checked. What cannot be read is an error in `findings`.
PackContent ReadProduct(const std::filesystem::path& input, std::string_view saver,
                        PackFindings& findings);

// Only the settings text and the setup/ files of a packed archive, as its
// setup program needs them: the pictures are neither extracted nor checked.
PackContent ReadArchivedSetup(const std::filesystem::path& archive, std::string_view saver, PackFindings& findings);

}  // namespace ris::tool
