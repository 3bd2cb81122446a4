#include "file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ris::tool {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& why,
                                         std::uintmax_t limit) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    why = "is a folder";
    return std::nullopt;
  }
  const auto size = std::filesystem::file_size(path, error);
  if (error) {
    why = error.message();
    return std::nullopt;
  }
  if (size > limit) {
    why = "is larger than " + std::to_string(limit >> 20) + " MiB";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) {
    why = "could not be read";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace ris::tool
