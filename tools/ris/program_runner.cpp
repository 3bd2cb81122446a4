#include "program_runner.h"

namespace ris::tool {

ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::optional<std::string_view> standard_input) {
  ProgramRun run;
  const auto started = StartProgram(program, arguments, run.Why, standard_input);
  if (!started) return run;
  run.Started = true;
  run.ExitCode = started->WaitForExit();
  return run;
}

}  // namespace ris::tool
