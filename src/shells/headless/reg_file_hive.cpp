#include "shells/headless/reg_file_hive.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "shells/headless/reg_file.h"

namespace ris {
namespace {

std::string ErrnoText() { return std::error_code(errno, std::generic_category()).message(); }

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ERegFileError(0, "cannot be read", file.string());
  std::string bytes;
  std::string buffer(64 * 1024, '\0');
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    bytes.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    // Checked while reading, so that a huge file is never held whole.
    if (bytes.size() > kMaxRegFileBytes) {
      throw ERegFileError(0, "the file is larger than 64 MiB", file.string());
    }
  }
  if (in.bad()) throw ERegFileError(0, "cannot be read", file.string());
  return bytes;
}

std::filesystem::path TemporaryFor(const std::filesystem::path& file) {
#ifdef _WIN32
  const auto process = _getpid();
#else
  const auto process = getpid();
#endif
  // Named per process, so that two programs committing the same hive at
  // once never write into one temporary file.
  std::filesystem::path temporary = file;
  temporary += ".";
  temporary += std::to_string(process);
  temporary += ".tmp";
  return temporary;
}

bool FlushToDisk(std::FILE* stream) {
#ifdef _WIN32
  return _commit(_fileno(stream)) == 0;
#else
  return fsync(fileno(stream)) == 0;
#endif
}

// Makes the rename itself survive a crash; where the folder cannot be
// opened this way the rename still happened, so failure is not reported.
void FlushFolder(const std::filesystem::path& folder) {
#ifndef _WIN32
  const std::string name = folder.empty() ? std::string(".") : folder.string();
  const int descriptor = open(name.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
#else
  (void)folder;
#endif
}

void WriteDurably(const std::filesystem::path& temporary, std::string_view text,
                  const std::filesystem::path& file) {
  std::FILE* stream = std::fopen(temporary.string().c_str(), "wb");
  if (stream == nullptr) {
    throw ERegFileError(0, "cannot create " + temporary.filename().string() + ": " + ErrnoText(),
                        file.string());
  }
  bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  written = std::fflush(stream) == 0 && written;
  written = written && FlushToDisk(stream);
  std::string problem = written ? std::string() : ErrnoText();
  if (std::fclose(stream) != 0 && written) {
    written = false;
    problem = ErrnoText();
  }
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw ERegFileError(0, "cannot write " + temporary.filename().string() + ": " + problem,
                        file.string());
  }
}

}  // namespace

// Forwards to the in-memory key, noting changes so that closing it commits.
class RegFileHive::Key final : public RegistryKey {
 public:
  Key(RegFileHive& hive, std::unique_ptr<RegistryKey> inner)
      : hive_(hive), inner_(std::move(inner)) {}

  ~Key() override { hive_.CommitOnClose(); }

  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  std::optional<RegistryValue> ReadValue(std::string_view name) const override {
    return inner_->ReadValue(name);
  }

  bool WriteValue(std::string_view name, const RegistryValue& value) override {
    if (!FitsRegFile(name) || !inner_->WriteValue(name, value)) return false;
    hive_.changed_ = true;
    return true;
  }

 private:
  RegFileHive& hive_;
  std::unique_ptr<RegistryKey> inner_;
};

RegFileHive::RegFileHive(std::filesystem::path file) : file_(std::move(file)) {
  std::error_code error;
  const auto status = std::filesystem::status(file_, error);
  if (status.type() == std::filesystem::file_type::not_found) return;
  if (error) throw ERegFileError(0, "cannot be read: " + error.message(), file_.string());
  if (std::filesystem::is_directory(status)) {
    throw ERegFileError(0, "is a folder, not a .reg file", file_.string());
  }
  const std::string bytes = ReadFileBytes(file_);
  try {
    hive_ = ParseRegFile(bytes);
  } catch (const ERegFileError& broken) {
    throw ERegFileError(broken.Line(), broken.Problem(), file_.string());
  }
}

std::unique_ptr<RegistryKey> RegFileHive::OpenKey(std::string_view path) {
  auto inner = hive_.OpenKey(path);
  if (!inner) return nullptr;
  return std::make_unique<Key>(*this, std::move(inner));
}

std::unique_ptr<RegistryKey> RegFileHive::CreateKey(std::string_view path) {
  if (!FitsRegFile(path)) return nullptr;
  const bool existed = hive_.OpenKey(path) != nullptr;
  auto inner = hive_.CreateKey(path);
  if (!inner) return nullptr;
  if (!existed) changed_ = true;
  return std::make_unique<Key>(*this, std::move(inner));
}

void RegFileHive::Commit() {
  const std::string text = WriteRegFile(hive_);
  // A larger file could not be read back: refuse it while the old one is intact.
  if (text.size() > kMaxRegFileBytes) {
    throw ERegFileError(0, "the hive would be larger than 64 MiB", file_.string());
  }
  const auto temporary = TemporaryFor(file_);
  WriteDurably(temporary, text, file_);
  std::error_code error;
  std::filesystem::rename(temporary, file_, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw ERegFileError(0, "cannot replace the file: " + error.message(), file_.string());
  }
  FlushFolder(file_.parent_path());
  changed_ = false;
}

void RegFileHive::CommitOnClose() noexcept {
  if (!changed_) return;
  try {
    try {
      Commit();
      last_commit_error_.clear();
    } catch (const std::exception& failure) {
      last_commit_error_ = failure.what();
    }
  } catch (...) {
    // Even the message could not be kept; the changes stay pending.
  }
}

std::filesystem::path LinuxSaverSettingsFile(const std::string& name) {
  namespace fs = std::filesystem;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const fs::path folder = config != nullptr && *config != '\0' ? fs::path(config) / "ris-saver"
                          : home != nullptr                    ? fs::path(home) / ".config" / "ris-saver"
                                                               : fs::path(".");
  return folder / (name + ".reg");
}

}  // namespace ris
