#pragma once
// Writing a drawn picture set into a product folder: its background, its
// moving picture and its thumbnail under one file name, in the folders the
// saver sorts sets by.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.h"
#include "demo_sets.h"

namespace ris::demo {

// Creates backgrounds/, icons/ and icons/thumbs/ in `folder` as needed and
// writes the set's three pictures there as `name` plus the set's extension.
// The reason when a folder or file cannot be written.
Result<void, std::string> WriteSetFiles(const DemoSet& set, std::string_view name,
                                        const std::filesystem::path& folder);

}  // namespace ris::demo
