#include "shells/headless/headless_system.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "base/ascii.h"

namespace ris {

HeadlessSystem::HeadlessSystem(std::string executable_path)
    : executable_path_(std::move(executable_path)) {}

void HeadlessSystem::MapFile(const std::string& windows_path, std::filesystem::path file) {
  files_[FoldAscii(windows_path)] = std::move(file);
}

std::optional<std::string> HeadlessSystem::ReadWholeFile(const std::string& path,
                                                         std::uint64_t limit) const {
  const auto mapped = files_.find(FoldAscii(path));
  if (mapped == files_.end()) return std::nullopt;
  std::error_code error;
  const auto size = std::filesystem::file_size(mapped->second, error);
  if (error || size > limit) return std::nullopt;
  std::ifstream in(mapped->second, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) return std::nullopt;
  return bytes;
}

void HeadlessSystem::EndWithError(const std::string& message, int exit_code) {
  throw ProcessExit(message, exit_code);
}

}  // namespace ris
