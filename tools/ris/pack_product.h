#pragma once
// Packing a product folder into its data archive: what `ris pack` does,
// callable by the studio's Build so that both write the same bytes.

#include <cstddef>
#include <filesystem>
#include <string>

#include "pack_findings.h"

namespace ris::tool {

class Progress;

struct PackRequest {
  std::filesystem::path Content;
  std::filesystem::path Output;
  std::string Saver;  // the saver's file name, without folders
  bool FixLineEnds = false;
  bool KeepOrientation = false;  // photos archived as stored, even sideways
  bool Shrink = false;           // backgrounds larger than any screen shrunk
};

struct PackOutcome {
  PackFindings Findings;
  std::string Archive;  // empty when an error stopped the pack
  std::size_t EntryCount = 0;
  std::size_t SetCount = 0;
};

// Checks the folder and builds the archive in memory; writes nothing.
PackOutcome PackProduct(const PackRequest& request, Progress& progress);

}  // namespace ris::tool
