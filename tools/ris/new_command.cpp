// ris new DIR --title TITLE: writes a product folder that packs and runs as
// it is: a settings.txt that holds and explains every key, and one example
// set drawn here.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "demo_sets.h"
#include "installer_script.h"
#include "pack_content.h"
#include "product_template.h"
#include "set_files.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage = "usage: ris new DIR --title TITLE\n";
constexpr std::string_view kExampleSet = "example";

// A maker's existing work is never written over: the folder must be new or
// empty.
bool FolderIsFree(const fs::path& folder, std::string& why) {
  std::error_code error;
  if (!fs::exists(folder, error)) return true;
  if (fs::is_directory(folder, error) && fs::is_empty(folder, error)) return true;
  why = folder.string() + " exists and is not an empty folder";
  return false;
}

bool WriteProduct(const fs::path& folder, std::string_view title, std::string& why) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    why.assign("cannot create '").append(folder.string()).append("': ").append(error.message());
    return false;
  }
  return WriteFileAtomically(folder / kSettingsEntryName, NewProductSettings(title, kExampleSet),
                             why) &&
         demo::WriteSetFiles(demo::DemoSets().front(), kExampleSet, folder, why);
}

}  // namespace

int RunNewCommand(Arguments arguments, CommandStreams streams) {
  std::string error;
  const auto options = ParseCommandOptions(arguments, {{"--title"}, {}}, error);
  const auto title = options ? options->Value("--title") : std::nullopt;
  if (!options || !title || options->Positional.size() != 1) {
    if (!error.empty()) streams.err << "ris new: " << error << '\n';
    streams.err << kUsage;
    return 2;
  }
  const fs::path folder = options->Positional.front();
  std::string why;
  if (const auto problem = TitleProblem(*title)) why = *problem;
  if (why.empty() && FolderIsFree(folder, why) && WriteProduct(folder, *title, why)) {
    const std::string name = FolderNameFor(*title, "Product.scr");
    streams.out << "wrote " << folder.string() << ": settings.txt and the set '" << kExampleSet
                << "'\nsaver file name, for example: \"" << name << ".scr\" (archive \"" << name
                << ".dat\")\n";
    return 0;
  }
  streams.err << "ris new: " << why << '\n';
  return 1;
}

}  // namespace ris::tool
