// ris new DIR --title TITLE [--code-page N] [--photos FOLDER [--sprite
// PICTURE]]: writes a product folder that packs and runs as it is: a
// settings.txt that holds and explains every key, and one example set drawn
// here or a set for each photo of FOLDER. A title beyond ASCII is given in
// UTF-8 and must be written in the product's code page (1252 unless named).
#include <filesystem>
#include <ostream>
#include <system_error>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "demo_sets.h"
#include "installer_script.h"
#include "new_product.h"
#include "pack_content.h"
#include "photo_sets_folder.h"
#include "product_template.h"
#include "saver_name.h"
#include "set_files.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExampleSet = "example";

// A maker's existing work is never written over: the folder must be new or
// empty.
Result<void, std::string> FolderIsFree(const fs::path& folder) {
  std::error_code error;
  if (!fs::exists(folder, error)) return {};
  if (fs::is_directory(folder, error) && fs::is_empty(folder, error)) return {};
  return Failure{folder.string() + " exists and is not an empty folder"};
}

// The code page named with --code-page, 1252 without it; the reason for one
// the saver has no table for.
Result<CodePage, std::string> CodePageOption(const std::optional<std::string>& named) {
  if (!named) return kWesternCodePage;
  for (const CodePage code_page : TabledCodePages()) {
    if (*named == std::to_string(code_page)) return code_page;
  }
  std::string why = "--code-page " + *named + " is not one of";
  for (const CodePage code_page : TabledCodePages()) why.append(" ").append(std::to_string(code_page));
  return Failure{std::move(why)};
}

// The settings text, and the example set unless the product's sets come
// from photos.
Result<void, std::string> WriteProduct(const fs::path& folder, std::string_view title, CodePage code_page,
                                       bool example_set) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return Failure{"cannot create '" + folder.string() + "': " + error.message()};
  auto written = WriteFileAtomically(folder / kSettingsEntryName, NewProductSettings(title, kExampleSet, code_page));
  if (written && example_set) written = demo::WriteSetFiles(demo::DemoSets().front(), kExampleSet, folder);
  return written;
}

}  // namespace

Result<void, std::string> StartProduct(const fs::path& folder, std::string_view title,
                                       const std::optional<std::string>& code_page_named, bool example_set) {
  const auto code_page = CodePageOption(code_page_named);
  if (!code_page) return Failure{code_page.error()};
  if (const auto problem = TitleProblem(title, *code_page)) return Failure{*problem};
  if (const auto free = FolderIsFree(folder); !free) return free;
  return WriteProduct(folder, title, *code_page, example_set);
}

int RunNewCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--title", "--code-page", "--photos", "--sprite"}, {}});
  if (!options) return report.Misused(options.error());
  const auto title = options->Value("--title");
  const auto photos = options->Value("--photos");
  if (!title || options->Positional.size() != 1) return report.Misused();
  if (options->Value("--sprite") && !photos) return report.Misused("--sprite goes with --photos");
  const fs::path folder = options->Positional.front();
  if (const auto started = StartProduct(folder, *title, options->Value("--code-page"), !photos); !started) {
    return report.Fail(started.error());
  }
  int status = 0;
  if (photos) {
    std::optional<fs::path> sprite;
    if (const auto named = options->Value("--sprite")) sprite = *named;
    status = AddPhotoSets(folder, PhotosIn(*photos), sprite, report);
    report.out << "wrote " << folder.string() << ": settings.txt and the sets above\n";
  } else {
    report.out << "wrote " << folder.string() << ": settings.txt and the set '" << kExampleSet << "'\n";
  }
  const std::string name = SuggestedSaverName(*title, folder);
  report.out << "saver file name, for example: \"" << name << ".scr\" (archive \"" << name << ".dat\")\n";
  return status;
}

}  // namespace ris::tool
