// ris list ARCHIVE.dat --saver FILE_NAME.scr [--mode saver|preview|configure]
// Opens a data archive exactly as a saver installed under FILE_NAME.scr
// would, and shows the product title and the picture sets it finds (in
// UTF-8 for a product that names its code page).
#include <ostream>

#include "command_options.h"
#include "commands.h"
#include "data/settings_list.h"
#include "data/zip_file_settings.h"
#include "packed_saver.h"
#include "saver_name.h"
#include "saver_system.h"
#include "shells/headless/headless_system.h"
#include "text_encoding.h"

namespace ris::tool {
namespace {

std::optional<RunMode> ModeNamed(std::string_view name) {
  if (name == "saver") return rmSaver;
  if (name == "preview") return rmPreview;
  if (name == "configure") return rmConfigure;
  return std::nullopt;
}

void PrintSet(const TImageSet& set, CodePage code_page, std::ostream& out) {
  out << ForTerminal(set.Name, code_page);
  for (const auto& entry : set.Backgrounds) out << '\t' << ForTerminal(entry, code_page);
  for (const auto& entry : set.Images) out << '\t' << ForTerminal(entry, code_page);
  out << '\n';
}

}  // namespace

int RunListCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--saver", "--mode"}, {}});
  if (!options) return report.Misused(options.error());
  const auto mode = ModeNamed(options->Value("--mode").value_or("saver"));
  if (options->Positional.size() != 1 || !mode) return report.Misused();
  const auto saver = RequiredSaverOption(*options);
  if (!saver) return report.Misused(saver.error());

  const auto saver_system = SaverSystemFor(*saver, options->Positional.front());
  HeadlessSystem& system = *saver_system;
  try {
    TZipFileSettings archive(system, *mode);
    archive.ScanSets();
    const CodePage code_page = ProductCodePage(archive.SettingsList());
    report.out << ForTerminal(system.ApplicationTitle(), code_page) << '\n';
    for (const TImageSet& set : archive.ImageSets) PrintSet(set, code_page, report.out);
    return 0;
  } catch (const ProcessExit& exit) {
    report.err << ExplainedExit(exit, options->Positional.front(), *saver) << '\n';
    return exit.ExitCode();
  }
}

}  // namespace ris::tool
