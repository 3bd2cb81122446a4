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
    Subcommand{"new", "new DIR --title TITLE [--code-page N]\n"
               "                  write a product folder to start from: every setting, one example set",
               &ris::tool::RunNewCommand},
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
    Subcommand{"preview",
               "preview CONTENT_DIR [--dialog] [--saver-program PATH] [--engine ENGINE.scr]\n"
               "                  show a product folder in the saver, again whenever a file is saved",
               &ris::tool::RunPreviewCommand},
    Subcommand{"sheet",
               "sheet ARCHIVE.dat|CONTENT_DIR --out SHEET.png [--saver FILE_NAME.scr]\n"
               "                  draw every set of a product on one picture, with what pack says",
               &ris::tool::RunSheetCommand},
    Subcommand{"installer",
               "installer ARCHIVE.dat --saver FILE_NAME.scr --engine ENGINE.scr --out SETUP.exe\n"
               "                  [--makensis PATH] [--pfx CERT.pfx --password-file FILE|-] [--timestamp URL]\n"
               "                  check the engine opens the archive, and build the product's setup\n"
               "                  (with --pfx: the engine and the setup signed)",
               &ris::tool::RunInstallerCommand},
    Subcommand{"sign",
               "sign PROGRAM --pfx CERT.pfx --password-file FILE|- [--timestamp URL]\n"
               "                  sign a Windows program (saver, ris.exe, setup) with Authenticode\n"
               "                  through osslsigncode; the password is the file's first line",
               &ris::tool::RunSignCommand},
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
