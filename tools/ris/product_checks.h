#pragma once
// What `ris pack` checks in a product's content, shared with the commands
// that show a product without packing it, so that they refuse and warn
// alike.

#include <cstddef>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

// Prepares the settings text as it will be archived (line ends) and checks
// it, then checks the picture sets; returns the number of sets.
std::size_t CheckProductContent(PackContent& content, bool fix_line_ends, PackFindings& findings);

}  // namespace ris::tool
