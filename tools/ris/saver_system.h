#pragma once
// The system a command's saver runs on: installed under the saver's file
// name in a folder of its own, its data archive answered from the file the
// maker names. Only the file name matters to the saver, for the archive's
// name and password.

#include <filesystem>
#include <memory>
#include <string_view>

#include "shells/headless/headless_system.h"

namespace ris::tool {

std::unique_ptr<HeadlessSystem> SaverSystemFor(std::string_view saver,
                                               const std::filesystem::path& archive);

}  // namespace ris::tool
