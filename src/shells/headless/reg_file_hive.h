#pragma once
// A registry hive kept in a .reg file (see reg_file.h). The file is read once,
// when the hive is opened, and rewritten whole whenever a key through which
// something changed is closed. A change made to the file by another program
// while the hive is open is overwritten.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "data/registry_hive.h"
#include "shells/headless/memory_hive.h"

namespace ris {

// Where ris-saver, the Linux saver, keeps the settings of the product `name`:
// NAME.reg in $XDG_CONFIG_HOME/ris-saver, else in ~/.config/ris-saver, else
// in the working folder.
std::filesystem::path LinuxSaverSettingsFile(const std::string& name);

// Keys handed out refer to the hive: close them before it is destroyed.
class RegFileHive : public RegistryHive {
 public:
  // A missing file is an empty hive, created by the first commit. A file
  // that cannot be read or is not a valid .reg text raises ERegFileError
  // naming the file and line: no hive exists then, so nothing can overwrite
  // what the file holds.
  explicit RegFileHive(std::filesystem::path file);

  RegFileHive(const RegFileHive&) = delete;
  RegFileHive& operator=(const RegFileHive&) = delete;

  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  // Also refuses key names that the file form cannot carry (a line feed).
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;

  // Writes the whole hive to a temporary file in the same folder, flushes it
  // to the disk and renames it over the file, so that a crash leaves either
  // the old file or the new one. Raises ERegFileError when that fails; the
  // old file then stays as it was.
  void Commit();

  // What went wrong when closing a key last committed, or empty when that
  // commit succeeded. Closing a key cannot raise, so the error waits here;
  // the changes stay pending and the next close tries again.
  const std::string& LastCommitError() const noexcept { return last_commit_error_; }

  const MemoryHive& Contents() const noexcept { return hive_; }
  const std::filesystem::path& File() const noexcept { return file_; }

 private:
  class Key;

  void CommitOnClose() noexcept;

  std::filesystem::path file_;
  MemoryHive hive_;
  bool changed_ = false;
  std::string last_commit_error_;
};

}  // namespace ris
