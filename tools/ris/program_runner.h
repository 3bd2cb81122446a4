#pragma once
// Finding and running another program, as ris installer runs makensis.
// One implementation per platform, in platform/.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace ris::tool {

// A program by its name, without the executable suffix of the platform:
// searched in the folders of PATH, then where its own installer usually
// puts it (`usual_places`, each a path that may start with an environment
// variable's value, such as "ProgramFiles(x86)" + "NSIS").
std::optional<std::filesystem::path> FindProgram(
    std::string_view name, const std::vector<std::pair<std::string, std::string>>& usual_places);

// The folder of this program's own executable, where what ships with it
// lies (ris.exe's engine).
std::filesystem::path ThisProgramFolder();

struct ProgramRun {
  bool Started = false;
  int ExitCode = -1;
  std::string Why;  // why it did not start
};

// The most a program can be given on its standard input: the bytes are put
// into the pipe before the program starts, and every system's pipe holds
// this much without a reader.
inline constexpr std::size_t kMaxStandardInput = 4096;

// Runs the program with the arguments (UTF-8), each passed as one argument, with
// this process's output streams, and waits for it. With `standard_input`,
// the program reads those bytes (at most kMaxStandardInput) from a pipe
// instead of this process's standard input: a way to hand it a secret that
// no other process can read from its command line or a file.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::optional<std::string_view> standard_input = std::nullopt);

// Where a window lies on the screen, its frame included.
struct WindowPlace {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// A program started and not waited for, as ris preview runs the saver's
// window. Destroying it ends the program, if it still runs, and waits for it.
class StartedProgram {
 public:
  virtual ~StartedProgram() = default;
  // The exit code once the program has ended; nothing while it runs.
  virtual std::optional<int> ExitCode() = 0;
  virtual int WaitForExit() = 0;
  // Where the program's visible top-level window is; nothing while it has
  // none, while it is minimised, or where the system does not tell (off
  // Windows).
  virtual std::optional<WindowPlace> MainWindowPlace() = 0;
};

using Started = Result<std::unique_ptr<StartedProgram>, std::string>;

// The program running, or why it cannot be started. `standard_input` as
// for RunProgram. `first_window` is where the program's first ordinary
// window goes when the program leaves its place and size to the system
// (Windows only).
Started StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     std::optional<std::string_view> standard_input = std::nullopt,
                     std::optional<WindowPlace> first_window = std::nullopt);

// A path as an argument of a started program: UTF-8, as every argument is
// given, whatever the path holds.
std::string PathArgument(const std::filesystem::path& path);

}  // namespace ris::tool
