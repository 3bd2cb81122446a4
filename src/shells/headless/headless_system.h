#pragma once
// The system seam without an operating system's windows: for the tests and
// the companion command. The executable may be given any Windows path, and
// the files the engine asks for by such paths are opened from real files
// mapped to them.

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/shell.h"
#include "data/system.h"

namespace ris {

// Thrown where a real process would end, carrying what the user would have
// been shown and the exit code.
class ProcessExit : public std::runtime_error {
 public:
  ProcessExit(const std::string& message, int exit_code)
      : std::runtime_error(message), exit_code_(exit_code) {}
  int ExitCode() const noexcept { return exit_code_; }

 private:
  int exit_code_;
};

class HeadlessSystem : public System {
 public:
  explicit HeadlessSystem(std::string executable_path);

  // Answers reads of `windows_path` (compared without regard to letter case,
  // as Windows compares paths) from the file at `file`.
  void MapFile(const std::string& windows_path, std::filesystem::path file);

  std::string ExecutablePath() const override { return executable_path_; }
  std::shared_ptr<const ByteSource> OpenFile(const std::string& path) const override;
 protected:
  void EndWithError(const std::string& message, int exit_code) override;

 private:
  std::string executable_path_;
  std::map<std::string, std::filesystem::path> files_;  // by folded Windows path
};

// Keeps the addresses it was asked to open instead of opening them.
class HeadlessShell : public Shell {
 public:
  void OpenWebAddress(const std::string& address) override { Opened.push_back(address); }

  std::vector<std::string> Opened;
};

}  // namespace ris
