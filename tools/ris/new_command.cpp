// ris new DIR --title TITLE [--code-page N]: writes a product folder that
// packs and runs as it is: a settings.txt that holds and explains every key,
// and one example set drawn here. A title beyond ASCII is given in UTF-8 and
// must be written in the product's code page (1252 unless named).
#include <filesystem>
#include <ostream>
#include <system_error>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "data/product_names.h"
#include "demo_sets.h"
#include "installer_script.h"
#include "pack_content.h"
#include "product_template.h"
#include "set_files.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage = "usage: ris new DIR --title TITLE [--code-page N]\n";
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

// The code page named with --code-page, 1252 without it; nothing, with the
// reason, for one the saver has no table for.
std::optional<CodePage> CodePageOption(const CommandOptions& options, std::string& why) {
  const auto named = options.Value("--code-page");
  if (!named) return kWesternCodePage;
  for (const CodePage code_page : TabledCodePages()) {
    if (*named == std::to_string(code_page)) return code_page;
  }
  why.assign("--code-page ").append(*named).append(" is not one of");
  for (const CodePage code_page : TabledCodePages()) why.append(" ").append(std::to_string(code_page));
  return std::nullopt;
}

bool WriteProduct(const fs::path& folder, std::string_view title, CodePage code_page, std::string& why) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    why.assign("cannot create '").append(folder.string()).append("': ").append(error.message());
    return false;
  }
  return WriteFileAtomically(folder / kSettingsEntryName, NewProductSettings(title, kExampleSet, code_page),
                             why) &&
         demo::WriteSetFiles(demo::DemoSets().front(), kExampleSet, folder, why);
}

// The saver's file name suggested for the product, without ".scr": from its
// title, else from the folder's name, else "Product"; never one that `ris
// pack` would refuse (a title beyond ASCII, say, whose bytes and so the
// archive's password differ from one system to the next).
std::string SuggestedSaverName(std::string_view title, const fs::path& folder) {
  std::error_code error;
  const std::string folder_name = fs::absolute(folder, error).filename().string();
  for (const std::string_view candidate : {title, std::string_view(folder_name)}) {
    const std::string stem = FolderNameFor(candidate, "Product.scr");
    if (!SaverNameRefusal(stem + ".scr")) return stem;
  }
  return "Product";
}

}  // namespace

int RunNewCommand(Arguments arguments, CommandStreams streams) {
  std::string error;
  const auto options = ParseCommandOptions(arguments, {{"--title", "--code-page"}, {}}, error);
  const auto title = options ? options->Value("--title") : std::nullopt;
  if (!options || !title || options->Positional.size() != 1) {
    if (!error.empty()) streams.err << "ris new: " << error << '\n';
    streams.err << kUsage;
    return 2;
  }
  const fs::path folder = options->Positional.front();
  std::string why;
  const auto code_page = CodePageOption(*options, why);
  if (code_page) {
    if (const auto problem = TitleProblem(*title, *code_page)) why = *problem;
  }
  if (why.empty() && FolderIsFree(folder, why) && WriteProduct(folder, *title, *code_page, why)) {
    const std::string name = SuggestedSaverName(*title, folder);
    streams.out << "wrote " << folder.string() << ": settings.txt and the set '" << kExampleSet
                << "'\nsaver file name, for example: \"" << name << ".scr\" (archive \"" << name
                << ".dat\")\n";
    return 0;
  }
  streams.err << "ris new: " << why << '\n';
  return 1;
}

}  // namespace ris::tool
