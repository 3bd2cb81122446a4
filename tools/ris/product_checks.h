#pragma once
// What `ris pack` checks in a product's content, shared with the commands
// that show a product without packing it, so that they refuse and warn
// alike.

#include <cstddef>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

class Progress;

// How the content is prepared for the archive.
struct ContentPreparation {
  bool FixLineEnds = false;      // lone CR or LF made CR LF in the settings text
  bool KeepOrientation = false;  // photos archived as stored, even sideways
  bool Shrink = false;           // backgrounds larger than any screen shrunk to 3840 x 2160
  Progress* Shown = nullptr;     // told of each picture checked, when given
};

// Prepares the content as it will be archived and checks its settings: the
// settings text (line ends, the product's code page), the picture names in
// that code page, sideways photos turned upright. What `ris pack` stores.
void PrepareProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings);

// Prepares the content as above, then checks the picture sets; returns the
// number of sets.
std::size_t CheckProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings);

}  // namespace ris::tool
