#pragma once
// The files of a product folder that go into its data archive: settings.txt,
// the pictures in backgrounds/, icons/ and icons/thumbs/, and the files of
// its setup program in setup/. Anything else but the record of photos is
// left out, with a warning, so that a stray file is noticed rather than
// shipped.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pack_findings.h"

namespace ris::tool {

struct PackEntry {
  std::string Name;  // as archived: "backgrounds/x.png"
  std::string Bytes;
};

struct PackContent {
  std::optional<std::string> Settings;  // settings.txt's bytes, when read
  std::vector<PackEntry> Pictures;      // each folder listed in sorted name order
  std::vector<PackEntry> SetupFiles;    // "setup/icon.ico": what the setup shows, never the saver
};

inline constexpr std::string_view kSettingsEntryName = "settings.txt";
// The maker's record of which photo made which set (`ris add` writes it):
// kept in the folder, never archived.
inline constexpr std::string_view kPhotoRecordName = "photos.txt";

// Reads the product folder. Files that cannot be read, or that are larger
// than the saver reads, and a missing settings.txt are errors.
PackContent CollectPackContent(const std::filesystem::path& folder, PackFindings& findings);

}  // namespace ris::tool
