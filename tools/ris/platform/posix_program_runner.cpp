#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "program_runner.h"

extern char** environ;

namespace ris::tool {

ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> owned{program.string()};
  owned.insert(owned.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : owned) argv.push_back(argument.data());
  argv.push_back(nullptr);

  ProgramRun run;
  pid_t child = 0;
  if (const int error = posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ)) {
    run.Why = std::strerror(error);
    return run;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.Started = true;
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace ris::tool
