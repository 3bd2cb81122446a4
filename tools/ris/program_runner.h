#pragma once
// Finding and running another program, as ris installer runs makensis.
// One implementation per platform, in platform/.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ris::tool {

// A program by its name, without the executable suffix of the platform:
// searched in the folders of PATH, then where its own installer usually
// puts it (`usual_places`, each a path that may start with an environment
// variable's value, such as "ProgramFiles(x86)" + "NSIS").
std::optional<std::filesystem::path> FindProgram(
    std::string_view name, const std::vector<std::pair<std::string, std::string>>& usual_places);

struct ProgramRun {
  bool Started = false;
  int ExitCode = -1;
  std::string Why;  // why it did not start
};

// Runs the program with the arguments, each passed as one argument, with
// this process's output streams, and waits for it.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments);

}  // namespace ris::tool
