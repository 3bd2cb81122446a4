#pragma once
// A picture set made from one photo, as makers of photo savers start: the
// photo upright as the background (shrunk to the largest screen when
// larger), and a moving picture with its thumbnail, either the maker's own
// or a small framed copy of the photo on a colour the photo does not use,
// which the saver keys out.

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "background_size.h"
#include "pack_content.h"

namespace ris::tool {

// One of a set's pictures: its extension (".jpg") and its file bytes.
using SetPicture = StoredPicture;

struct PhotoSetPictures {
  SetPicture Background;
  SetPicture Sprite;
  SetPicture Thumbnail;
  std::vector<std::string> Notes;  // what was done to the photo on the way
};

// `photo` and `sprite` are named by their file names, which give their
// extensions. The reason when either is no picture the saver shows.
Result<PhotoSetPictures, std::string> MakePhotoSet(const PackEntry& photo, const std::optional<PackEntry>& sprite);

// A set name from the photo's file name: its stem, 'A'..'Z' lower-cased,
// with every character a set or entry name cannot carry (separators, ";"
// of the set list, control characters) as '_', and "-2", "-3", ... after it
// until no name in `taken` (lower case) is the same.
std::string SetNameFor(std::string_view file_name, const std::vector<std::string>& taken);

}  // namespace ris::tool
