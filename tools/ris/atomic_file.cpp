#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

// Beside the target, so that the rename stays on one file system; with a
// random part, so that two packs of the same file do not share it.
fs::path TemporaryPathFor(const fs::path& path) {
  std::random_device device;
  fs::path temporary = path;
  temporary += ".tmp-";
  temporary += std::to_string(device());
  return temporary;
}

bool WriteWholeFile(const fs::path& path, std::string_view bytes, std::string& why) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) why = std::strerror(errno);
  return static_cast<bool>(out);
}

}  // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string& why) {
  const fs::path temporary = TemporaryPathFor(path);
  std::error_code error;
  if (WriteWholeFile(temporary, bytes, why)) {
    fs::rename(temporary, path, error);
    if (!error) return true;
    why = error.message();
  }
  fs::remove(temporary, error);
  return false;
}

}  // namespace ris::tool
