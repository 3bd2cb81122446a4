#pragma once
// The central directory of an archive turned into its entries, with every
// offset, size and count checked against the archive's size: whatever this
// returns lies inside the archive. Only the end records and the directory
// are read; each entry's local header is read when it is extracted.

#include <vector>

#include "archive/byte_source.h"
#include "archive/zip_archive.h"
#include "base/result.h"

namespace ris {

Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(const ByteSource& source);

}  // namespace ris
