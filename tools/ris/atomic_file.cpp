#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

Result<void, std::string> WriteWholeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) return Failure{std::string(std::strerror(errno))};
  return {};
}

}  // namespace

fs::path TemporaryPathFor(const fs::path& path) {
  std::random_device device;
  fs::path temporary = path;
  temporary += ".tmp-";
  temporary += std::to_string(device());
  return temporary;
}

Result<void, std::string> ReplaceWithTemporary(const fs::path& temporary, const fs::path& path) {
  std::error_code error;
  fs::rename(temporary, path, error);
  if (!error) return {};
  std::string why = error.message();
  fs::remove(temporary, error);
  return Failure{std::move(why)};
}

Result<void, std::string> WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  const fs::path temporary = TemporaryPathFor(path);
  auto written = WriteWholeFile(temporary, bytes);
  if (written) return ReplaceWithTemporary(temporary, path);
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return written;
}

}  // namespace ris::tool
