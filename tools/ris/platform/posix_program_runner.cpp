#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "program_runner.h"

extern char** environ;

namespace ris::tool {

namespace {

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

class PosixProgram final : public StartedProgram {
 public:
  explicit PosixProgram(pid_t child) : child_(child) {}

  ~PosixProgram() override {
    if (exit_code_) return;
    kill(child_, SIGTERM);
    Wait(0);
  }

  std::optional<int> ExitCode() override {
    if (!exit_code_) Wait(WNOHANG);
    return exit_code_;
  }

  int WaitForExit() override {
    if (!exit_code_) Wait(0);
    return *exit_code_;
  }

 private:
  void Wait(int options) {
    int status = 0;
    pid_t waited = 0;
    while ((waited = waitpid(child_, &status, options)) < 0 && errno == EINTR) {
    }
    if (waited == child_) exit_code_ = ExitCodeOf(status);
    if (waited < 0) exit_code_ = 128;  // not ours to wait for any more
  }

  pid_t child_;
  std::optional<int> exit_code_;
};

std::unique_ptr<PosixProgram> Spawn(const std::filesystem::path& program,
                                    const std::vector<std::string>& arguments, std::string& why) {
  std::vector<std::string> owned{program.string()};
  owned.insert(owned.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : owned) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (const int error = posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ)) {
    why = std::strerror(error);
    return nullptr;
  }
  return std::make_unique<PosixProgram>(child);
}

}  // namespace

std::unique_ptr<StartedProgram> StartProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& arguments, std::string& why) {
  return Spawn(program, arguments, why);
}

}  // namespace ris::tool
