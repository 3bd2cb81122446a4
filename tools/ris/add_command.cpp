// ris add DIR PHOTO... [--sprite PICTURE]: one picture set per photo in a
// product folder, each named after its photo.
#include <filesystem>

#include "command_options.h"
#include "commands.h"
#include "pack_content.h"
#include "photo_sets_folder.h"

namespace ris::tool {

namespace fs = std::filesystem;

int RunAddCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--sprite"}, {}});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() < 2) return report.Misused();
  const fs::path folder = options->Positional.front();
  std::error_code error;
  if (!fs::is_regular_file(folder / kSettingsEntryName, error)) {
    return report.Fail(folder.string() + " is no product folder (it has no settings.txt): start one with ris new");
  }
  const std::vector<fs::path> photos(options->Positional.begin() + 1, options->Positional.end());
  std::optional<fs::path> sprite;
  if (const auto named = options->Value("--sprite")) sprite = *named;
  return AddPhotoSets(folder, photos, sprite, report);
}

}  // namespace ris::tool
