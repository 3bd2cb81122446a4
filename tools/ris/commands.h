#pragma once
// The subcommands of ris. Each takes the arguments after its own name and
// returns the process exit code.

#include <iosfwd>
#include <span>
#include <string_view>

namespace ris::tool {

using Arguments = std::span<const std::string_view>;

struct CommandStreams {
  std::ostream& out;
  std::ostream& err;
};

int RunSettingsCommand(Arguments arguments, CommandStreams streams);
int RunListCommand(Arguments arguments, CommandStreams streams);
int RunPackCommand(Arguments arguments, CommandStreams streams);
int RunDecodeCommand(Arguments arguments, CommandStreams streams);
int RunRenderCommand(Arguments arguments, CommandStreams streams);
int RunDialogCommand(Arguments arguments, CommandStreams streams);
int RunInstallerCommand(Arguments arguments, CommandStreams streams);
int RunSignCommand(Arguments arguments, CommandStreams streams);
int RunNewCommand(Arguments arguments, CommandStreams streams);
int RunSheetCommand(Arguments arguments, CommandStreams streams);
int RunPreviewCommand(Arguments arguments, CommandStreams streams);

}  // namespace ris::tool
