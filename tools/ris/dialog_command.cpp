// ris dialog ARCHIVE.dat --saver FILE_NAME.scr
// Runs the configuration dialog's set-up over a data archive, its texts
// measured headless, and prints what the dialog shows: its caption, then
// each item and row in layout order with whether it is shown, its height
// and its caption, then the client height, then where every item and
// control lies. A product that names its code page has its texts printed in
// UTF-8; any other, byte for byte.
#include <ostream>
#include <string>

#include "base/errors.h"
#include "command_options.h"
#include "commands.h"
#include "data/zip_file_settings.h"
#include "dialog_layout.h"
#include "platform_text.h"
#include "packed_saver.h"
#include "saver_name.h"
#include "saver_system.h"
#include "shells/headless/headless_system.h"
#include "text_encoding.h"

namespace ris::tool {
namespace {

// Line breaks and tabs written out, so that every row stays one line.
std::string OneLine(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else {
      line += c;
    }
  }
  return line;
}

void PrintLine(std::ostream& out, std::string_view item, std::string_view row, bool shown, std::int32_t height,
               std::string_view caption) {
  out << item << '\t' << row << '\t' << (shown ? "shown" : "hidden") << '\t' << height << '\t' << OneLine(caption)
      << '\n';
}

}  // namespace

int RunDialogCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--saver"}, {}});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() != 1) return report.Misused();
  const auto saver = RequiredSaverOption(*options);
  if (!saver) return report.Misused(saver.error());

  const auto saver_system = SaverSystemFor(*saver, options->Positional.front());
  const std::unique_ptr<PlatformText> text = MakePlatformText();
  const auto print = [&report](const TConfigureForm& form, const std::vector<PlacedControl>& placed) {
    const auto shown = [&form](std::string_view caption) { return ForTerminal(caption, form.TextCodePage()); };
    report.out << shown(form.Caption) << '\n';
    for (const auto* column : {&form.LeftItems, &form.RightItems}) {
      for (const TDialogItem& item : *column) {
        PrintLine(report.out, item.Name, "", item.Visible, item.Height, shown(item.Caption));
        for (const TDialogRow& row : item.Rows) {
          PrintLine(report.out, item.Name, row.Name, row.Visible, row.CurrentHeight(),
                    shown(RowCaption(placed, row.Id)));
        }
      }
    }
    report.out << "client height\t" << form.ClientHeight << '\n';
    for (const PlacedControl& control : placed) {
      const TBounds& b = control.Bounds;
      report.out << "place\t" << control.Name << '\t' << b.Left << ',' << b.Top << ',' << b.Width << ','
                 << b.Height << '\t' << (control.Visible ? "shown" : "hidden") << '\n';
    }
  };
  try {
    VisitDialogLayout(*saver_system, *text, print);
    return 0;
  } catch (const ProcessExit& exit) {
    report.err << ExplainedExit(exit, options->Positional.front(), *saver) << '\n';
    return exit.ExitCode();
  } catch (const ESaverError& failure) {
    report.Complain() << failure.what() << '\n';
    return 1;
  }
}

}  // namespace ris::tool
