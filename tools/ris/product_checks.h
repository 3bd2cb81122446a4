#pragma once
// What `ris pack` checks in a product's content, shared with the commands
// that show a product without packing it, so that they refuse and warn
// alike.

#include <cstddef>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

// How the content is prepared for the archive.
struct ContentPreparation {
  bool FixLineEnds = false;      // lone CR or LF made CR LF in the settings text
  bool KeepOrientation = false;  // photos archived as stored, even sideways
};

// Prepares the settings text as it will be archived (line ends, the
// product's code page) and checks it, turns sideways photos upright, then
// checks the picture sets; returns the number of sets.
std::size_t CheckProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings);

}  // namespace ris::tool
