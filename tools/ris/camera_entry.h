#pragma once
// A product's picture, or a photo made into a set, in a camera format the
// saver does not read, stored in its place as the JPEG or PNG it converts to.

#include <optional>
#include <string>

#include "base/result.h"
#include "pack_content.h"

namespace ris::tool {

// Converts an entry in a camera format and renames it to its new extension;
// returns what was done ("WebP converted to JPEG"), or nothing for an entry
// in no such format. An entry that cannot be converted is left as it is.
Result<std::optional<std::string>, std::string> ConvertCameraEntry(PackEntry& entry);

}  // namespace ris::tool
