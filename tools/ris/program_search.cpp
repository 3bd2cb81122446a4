#include <cstdlib>
#include <system_error>

#include "program_runner.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kPathListSeparator = ';';
constexpr std::string_view kExecutableSuffix = ".exe";
#else
constexpr char kPathListSeparator = ':';
constexpr std::string_view kExecutableSuffix = "";
#endif

bool IsProgram(const fs::path& candidate) {
  std::error_code error;
  return fs::is_regular_file(candidate, error);
}

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::optional<fs::path> FindProgram(
    std::string_view name, const std::vector<std::pair<std::string, std::string>>& usual_places) {
  const std::string file_name = std::string(name) + std::string(kExecutableSuffix);
  const std::string path_list = Environment("PATH");
  std::size_t start = 0;
  while (start <= path_list.size()) {
    std::size_t end = path_list.find(kPathListSeparator, start);
    if (end == std::string::npos) end = path_list.size();
    if (end > start) {
      const fs::path candidate = fs::path(path_list.substr(start, end - start)) / file_name;
      if (IsProgram(candidate)) return candidate;
    }
    start = end + 1;
  }
  for (const auto& [variable, folder] : usual_places) {
    const std::string root = Environment(variable);
    if (root.empty()) continue;
    const fs::path candidate = fs::path(root) / folder / file_name;
    if (IsProgram(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace ris::tool
