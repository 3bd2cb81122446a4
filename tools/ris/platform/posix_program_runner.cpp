#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "program_runner.h"

extern char** environ;

namespace ris::tool {

namespace {

// A pipe that already holds the child's standard input: written before the
// child starts, the bytes fit into the pipe's buffer (kMaxStandardInput is
// below what any system's pipe holds), so the write neither blocks nor meets
// a reader that has gone. Both ends close on exec; the child gets the read
// end as its standard input through a dup2, which keeps it open.
class FilledPipe {
 public:
  FilledPipe() = default;
  FilledPipe(const FilledPipe&) = delete;
  FilledPipe& operator=(const FilledPipe&) = delete;
  ~FilledPipe() {
    Close(ends_[0]);
    Close(ends_[1]);
  }

  // Zero, or the errno of the failed step.
  int Fill(std::string_view bytes) {
    if (pipe(ends_) != 0) return errno;
    for (const int end : ends_) fcntl(end, F_SETFD, FD_CLOEXEC);
    while (!bytes.empty()) {
      const ssize_t written = write(ends_[1], bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return errno;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    Close(ends_[1]);
    return 0;
  }
  int ReadEnd() const { return ends_[0]; }

 private:
  static void Close(int& end) {
    if (end >= 0) close(end);
    end = -1;
  }
  int ends_[2] = {-1, -1};
};

// A parent that set SIGCHLD to SIG_IGN passes that on across exec, and with
// it the system reaps every child at once: waitpid would then fail and
// never give an exit code. Nothing of ris handles SIGCHLD, so the default
// goes back before any program starts; the started program gets it too.
void AwaitChildrenAgain(posix_spawnattr_t& attributes) {
  signal(SIGCHLD, SIG_DFL);
  sigset_t reset;
  sigemptyset(&reset);
  sigaddset(&reset, SIGCHLD);
  posix_spawnattr_setsigdefault(&attributes, &reset);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
}

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

  // An X window's place is the window manager's to keep.
  std::optional<WindowPlace> MainWindowPlace() override { return std::nullopt; }

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

}  // namespace

std::filesystem::path ThisProgramFolder() {
  std::error_code ignored;
  return std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
}

Started StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     std::optional<std::string_view> standard_input, std::optional<WindowPlace> /*first_window*/) {
  std::string why;
  std::vector<std::string> owned{program.string()};
  owned.insert(owned.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : owned) argv.push_back(argument.data());
  argv.push_back(nullptr);

  FilledPipe input;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (standard_input) {
    if (standard_input->size() > kMaxStandardInput) {
      why = "more standard input than a pipe holds";
    } else if (const int error = input.Fill(*standard_input)) {
      why = std::strerror(error);
    } else {
      posix_spawn_file_actions_adddup2(&actions, input.ReadEnd(), STDIN_FILENO);
    }
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  AwaitChildrenAgain(attributes);
  pid_t child = 0;
  if (why.empty()) {
    if (const int error = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ)) {
      why = std::strerror(error);
    }
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (!why.empty()) return Failure{std::move(why)};
  return Started(std::make_unique<PosixProgram>(child));
}

}  // namespace ris::tool
