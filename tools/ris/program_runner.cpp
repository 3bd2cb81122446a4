#include "program_runner.h"

namespace ris::tool {

ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::optional<std::string_view> standard_input) {
  ProgramRun run;
  const auto started = StartProgram(program, arguments, standard_input);
  if (!started) {
    run.Why = started.error();
    return run;
  }
  run.Started = true;
  run.ExitCode = (*started)->WaitForExit();
  return run;
}

std::string PathArgument(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace ris::tool
