#pragma once
// The central directory of an archive turned into its entries, with every
// offset, size and count checked against the bytes present: whatever this
// returns can be extracted without reading outside the archive.

#include <string_view>
#include <vector>

#include "archive/zip_archive.h"
#include "base/result.h"

namespace ris {

Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(std::string_view archive);

}  // namespace ris
