// ris: the saver's companion command for product makers.
#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "commands.h"

namespace {

struct Subcommand {
  std::string_view name;
  std::string_view summary;
  int (*run)(ris::tool::Arguments, ris::tool::CommandStreams);
};

constexpr std::array kSubcommands{
    Subcommand{"settings", "settings FILE   print every entry of a settings text",
               &ris::tool::RunSettingsCommand},
    Subcommand{"list",
               "list ARCHIVE.dat --saver FILE_NAME.scr [--mode saver|preview|configure]\n"
               "                  open a data archive as the saver would and list its sets",
               &ris::tool::RunListCommand},
    Subcommand{"pack", "pack CONTENT_DIR OUT.dat --saver FILE_NAME.scr [--fix-line-ends] [--keep-orientation]\n"
               "                  check a product folder and write its data archive",
               &ris::tool::RunPackCommand},
    Subcommand{"decode", "decode PICTURE OUT.pam|OUT.png   decode a picture as the saver would",
               &ris::tool::RunDecodeCommand},
    Subcommand{"render",
               "render ARCHIVE.dat --saver FILE_NAME.scr --out FRAME.png [--size WxH] [--seconds S]\n"
               "                  [--seed N] [--mode saver|preview] [--registry FILE.reg]\n"
               "                  [--key VK@SECONDS ...] [--mouse X,Y@SECONDS ...]\n"
               "                  run the display headless and write its last frame",
               &ris::tool::RunRenderCommand},
    Subcommand{"dialog",
               "dialog ARCHIVE.dat --saver FILE_NAME.scr\n"
               "                  show the configuration dialog's captions, rows and height",
               &ris::tool::RunDialogCommand},
    Subcommand{"installer",
               "installer ARCHIVE.dat --saver FILE_NAME.scr --engine ENGINE.scr --out SETUP.exe\n"
               "                  [--makensis PATH]\n"
               "                  check the engine opens the archive, and build the product's setup",
               &ris::tool::RunInstallerCommand},
};

int PrintUsage(std::ostream& out) {
  out << "usage: ris COMMAND ARGUMENTS\n";
  for (const Subcommand& command : kSubcommands) out << "  ris " << command.summary << '\n';
  return 2;
}

int Run(const std::vector<std::string_view>& arguments) {
  if (arguments.empty()) return PrintUsage(std::cerr);
  for (const Subcommand& command : kSubcommands) {
    if (arguments.front() == command.name) {
      return command.run(ris::tool::Arguments(arguments).subspan(1), {std::cout, std::cerr});
    }
  }
  std::cerr << "ris: unknown command '" << arguments.front() << "'\n";
  return PrintUsage(std::cerr);
}

}  // namespace

// The commands report what they expect to go wrong themselves; anything
// else (a file system that fails under a path, memory that runs out) ends
// here in one line.
int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string_view>(argv + 1, argv + argc));
  } catch (...) {
    std::cerr << "ris: " << ris::CurrentExceptionMessage() << '\n';
    return 1;
  }
}
