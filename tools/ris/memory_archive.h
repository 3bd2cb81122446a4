#pragma once
// A product run by the saver's own code without packing it to a file: the
// content is zipped in memory, unencrypted and stored as it is (so that a
// large product is ready at once), and the saver's system answers
// its archive from those bytes. `ris sheet` and `ris preview` show products
// this way.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "pack_content.h"
#include "pack_findings.h"
#include "shells/headless/headless_system.h"

namespace ris::tool {

// The settings text and the given pictures as archive bytes. Throws
// ESaverError when an entry cannot be added (a name twice, say).
std::string ZipInMemory(std::string_view settings, std::span<const PackEntry> pictures);

// The same, each entry that cannot be added an error of `findings`, in the
// words of ris pack (two pictures whose names differ only in case, say,
// which are one entry to the saver).
std::string ZipInMemory(std::string_view settings, std::span<const PackEntry> pictures, PackFindings& findings);

// A system whose saver, installed as `saver`, finds `archive` as its data
// archive.
std::unique_ptr<HeadlessSystem> SystemWithArchive(std::string_view saver, std::string archive);

}  // namespace ris::tool
