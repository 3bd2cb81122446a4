#pragma once
// Adding sets made from photos to a product folder: the step `ris add` and
// `ris new --photos` share. The folder's photos.txt records which photo
// made which set; ris pack leaves it out of the archive.

#include <filesystem>
#include <optional>
#include <vector>

#include "commands.h"
#include "pack_content.h"

namespace ris::tool {

// One set per photo, named after it; a photo that cannot become one is
// told and skipped. Returns 0 when every photo became a set, 1 otherwise.
int AddPhotoSets(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& photos,
                 const std::optional<std::filesystem::path>& sprite, const CommandReport& report);

// A photo already read: its bytes under its file name, and where it came
// from as photos.txt records it.
struct ReadPhoto {
  PackEntry Picture;
  std::string Source;
};

// The same for photos already read (the studio's uploads, which are never
// files of their own).
int AddPhotoSets(const std::filesystem::path& folder, const std::vector<ReadPhoto>& photos,
                 const std::optional<PackEntry>& sprite, const CommandReport& report);

// The pictures in `folder` (not below it), in name order: what
// `ris new --photos` makes sets of.
std::vector<std::filesystem::path> PhotosIn(const std::filesystem::path& folder);

}  // namespace ris::tool
