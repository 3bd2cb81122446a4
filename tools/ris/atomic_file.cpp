#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

bool WriteWholeFile(const fs::path& path, std::string_view bytes, std::string& why) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) why = std::strerror(errno);
  return static_cast<bool>(out);
}

}  // namespace

fs::path TemporaryPathFor(const fs::path& path) {
  std::random_device device;
  fs::path temporary = path;
  temporary += ".tmp-";
  temporary += std::to_string(device());
  return temporary;
}

bool ReplaceWithTemporary(const fs::path& temporary, const fs::path& path, std::string& why) {
  std::error_code error;
  fs::rename(temporary, path, error);
  if (!error) return true;
  why = error.message();
  fs::remove(temporary, error);
  return false;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string& why) {
  const fs::path temporary = TemporaryPathFor(path);
  if (WriteWholeFile(temporary, bytes, why)) return ReplaceWithTemporary(temporary, path, why);
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return false;
}

}  // namespace ris::tool
