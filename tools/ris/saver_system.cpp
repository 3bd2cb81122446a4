#include "saver_system.h"

#include "data/zip_file_settings.h"
#include "saver_name.h"

namespace ris::tool {

namespace {
constexpr std::string_view kInstallFolder = "C:\\Saver\\";
}  // namespace

std::unique_ptr<HeadlessSystem> SaverSystemFor(std::string_view saver,
                                               const std::filesystem::path& archive) {
  auto system = std::make_unique<HeadlessSystem>(std::string(kInstallFolder) + FileNamePart(saver));
  system->MapFile(ArchiveNameFor(system->ExecutablePath()), archive);
  return system;
}

}  // namespace ris::tool
