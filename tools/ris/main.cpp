// ris: the saver's companion command for product makers.
#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "commands.h"

namespace {

using ris::tool::Arguments;
using ris::tool::CommandReport;
using ris::tool::CommandUsage;

struct Subcommand {
  CommandUsage Usage;
  int (*Run)(Arguments, const CommandReport&);
};

constexpr std::array kSubcommands{
    Subcommand{{"new", "new DIR --title TITLE [--code-page N] [--photos FOLDER [--sprite PICTURE]]",
                "write a product folder to start from: every setting, and one example set\n"
                "or a set for each photo of FOLDER"},
               &ris::tool::RunNewCommand},
    Subcommand{{"add", "add DIR PHOTO... [--sprite PICTURE]",
                "add a set for each photo to a product folder: the photo upright as the background,\n"
                "the moving picture (a framed copy of the photo, or PICTURE) and its thumbnail"},
               &ris::tool::RunAddCommand},
    Subcommand{{"settings", "settings FILE", "print every entry of a settings text"},
               &ris::tool::RunSettingsCommand},
    Subcommand{{"list", "list ARCHIVE.dat --saver FILE_NAME.scr [--mode saver|preview|configure]",
                "open a data archive as the saver would and list its sets"},
               &ris::tool::RunListCommand},
    Subcommand{{"pack",
                "pack CONTENT_DIR OUT.dat --saver FILE_NAME.scr [--fix-line-ends] [--keep-orientation] [--shrink]",
                "check a product folder and write its data archive"},
               &ris::tool::RunPackCommand},
    Subcommand{{"decode", "decode PICTURE OUT.pam|OUT.png", "decode a picture as the saver would"},
               &ris::tool::RunDecodeCommand},
    Subcommand{{"render",
                "render ARCHIVE.dat --saver FILE_NAME.scr --out FRAME.png [--size WxH] [--seconds S]\n"
                "         [--monitors WxH,WxH@X,Y...] [--seed N] [--mode saver|preview] [--registry FILE.reg]\n"
                "         [--key VK@SECONDS ...] [--mouse X,Y@SECONDS ...]",
                "run the display headless and write its last frame"},
               &ris::tool::RunRenderCommand},
    Subcommand{{"dialog", "dialog ARCHIVE.dat --saver FILE_NAME.scr",
                "show the configuration dialog's captions, rows and height"},
               &ris::tool::RunDialogCommand},
    Subcommand{{"preview", "preview CONTENT_DIR [--dialog] [--saver-program PATH] [--engine ENGINE.scr]",
                "show a product folder in the saver, again whenever a file is saved"},
               &ris::tool::RunPreviewCommand},
    Subcommand{{"studio",
                "studio [FOLDER] [--out FOLDER] [--engine ENGINE.scr] [--no-browser] [--idle-seconds N]",
                "make, preview, check and build a product in a browser page served on 127.0.0.1;\n"
                "ends on Ctrl+C or a minute after the page is closed"},
               &ris::tool::RunStudioCommand},
    Subcommand{{"sheet", "sheet ARCHIVE.dat|CONTENT_DIR --out SHEET.png [--saver FILE_NAME.scr]",
                "draw every set of a product on one picture, with what pack says"},
               &ris::tool::RunSheetCommand},
    Subcommand{{"installer",
                "installer ARCHIVE.dat --saver FILE_NAME.scr --engine ENGINE.scr --out SETUP.exe\n"
                "         [--makensis PATH] [--pfx CERT.pfx --password-file FILE|-] [--timestamp URL]\n"
                "         [--osslsigncode PATH]",
                "check the engine opens the archive, and build the product's setup\n"
                "(with --pfx: the engine and the setup signed)"},
               &ris::tool::RunInstallerCommand},
    Subcommand{{"sign",
                "sign PROGRAM --pfx CERT.pfx --password-file FILE|- [--timestamp URL] [--osslsigncode PATH]",
                "sign a Windows program (saver, ris.exe, setup) with Authenticode\n"
                "through osslsigncode; the password is the file's first line"},
               &ris::tool::RunSignCommand},
};

// Every line of `text` after the first indented by `indent`.
void WriteIndented(std::ostream& out, std::string_view text, std::string_view indent) {
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    out << text.substr(start, end - start) << '\n';
    if (end == std::string_view::npos) return;
    out << indent;
    start = end + 1;
  }
}

void PrintUsage(std::ostream& out) {
  out << "usage: ris COMMAND ARGUMENTS\n";
  for (const Subcommand& command : kSubcommands) {
    out << "  ris ";
    WriteIndented(out, command.Usage.Synopsis, "  ");
    out << "      ";
    WriteIndented(out, command.Usage.Summary, "      ");
  }
}

bool AsksForHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "help";
}

int Run(const std::vector<std::string_view>& arguments) {
  if (arguments.empty()) {
    PrintUsage(std::cerr);
    return 2;
  }
  if (AsksForHelp(arguments.front())) {
    PrintUsage(std::cout);
    return 0;
  }
  for (const Subcommand& command : kSubcommands) {
    if (arguments.front() == command.Usage.Name) {
      const CommandReport report(command.Usage, std::cout, std::cerr);
      return command.Run(Arguments(arguments).subspan(1), report);
    }
  }
  std::cerr << "ris: unknown command '" << arguments.front() << "'\n";
  PrintUsage(std::cerr);
  return 2;
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
