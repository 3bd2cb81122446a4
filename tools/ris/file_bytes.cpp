#include "file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ris::tool {

Result<std::string, std::string> ReadFileBytes(const std::filesystem::path& path, std::uintmax_t limit) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return Failure{"is a folder"};
  const auto size = std::filesystem::file_size(path, error);
  if (error) return Failure{error.message()};
  if (size > limit) return Failure{"is larger than " + std::to_string(limit >> 20) + " MiB"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return Failure{std::string(std::strerror(errno))};
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) return Failure{"could not be read"};
  return bytes;
}

}  // namespace ris::tool
