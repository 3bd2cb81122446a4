#pragma once
// The subcommands of ris. Each takes the arguments after its own name and
// the report it speaks through, and returns the process exit code.

#include <iosfwd>
#include <span>
#include <string_view>

namespace ris::tool {

using Arguments = std::span<const std::string_view>;

// How a command is called, written once: `ris` alone lists every command's,
// and a command called wrongly shows its own.
struct CommandUsage {
  std::string_view Name;      // "pack"
  std::string_view Synopsis;  // "pack CONTENT_DIR OUT.dat --saver FILE_NAME.scr ..."
  std::string_view Summary;   // what it does, one or two lines
};

// What a command prints: its results on `out`, and on `err` every complaint
// with "ris NAME: " in front, so that a message names the command it came
// from however deep it was made.
class CommandReport {
 public:
  CommandReport(const CommandUsage& usage, std::ostream& out_stream, std::ostream& err_stream)
      : out(out_stream), err(err_stream), usage_(usage) {}

  std::ostream& out;
  std::ostream& err;

  // "ris NAME: " on the error stream, for a complaint written in pieces.
  std::ostream& Complain() const;
  // The complaint as one line; returns 1, the exit code of work that failed.
  int Fail(std::string_view why) const;
  // The complaint, when there is one, then the command's usage; returns 2,
  // the exit code of a call whose words are off.
  int Misused(std::string_view why = {}) const;

 private:
  const CommandUsage& usage_;
};

int RunSettingsCommand(Arguments arguments, const CommandReport& report);
int RunListCommand(Arguments arguments, const CommandReport& report);
int RunPackCommand(Arguments arguments, const CommandReport& report);
int RunDecodeCommand(Arguments arguments, const CommandReport& report);
int RunRenderCommand(Arguments arguments, const CommandReport& report);
int RunDialogCommand(Arguments arguments, const CommandReport& report);
int RunInstallerCommand(Arguments arguments, const CommandReport& report);
int RunSignCommand(Arguments arguments, const CommandReport& report);
int RunNewCommand(Arguments arguments, const CommandReport& report);
int RunAddCommand(Arguments arguments, const CommandReport& report);
int RunSheetCommand(Arguments arguments, const CommandReport& report);
int RunPreviewCommand(Arguments arguments, const CommandReport& report);
int RunStudioCommand(Arguments arguments, const CommandReport& report);

}  // namespace ris::tool
