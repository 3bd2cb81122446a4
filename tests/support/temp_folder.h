#pragma once
// A scratch folder for one test, removed with everything in it afterwards.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ris::testing_support {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ris-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Writes `bytes` to the relative path, creating folders on the way.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const {
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

  std::string Read(const std::filesystem::path& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // Runs a shell command inside the folder; true when it exits with 0.
  bool Run(const std::string& command) const {
    const std::string line = "cd '" + path_.string() + "' && ( " + command + " ) >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace ris::testing_support
