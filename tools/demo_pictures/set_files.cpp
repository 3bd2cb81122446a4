#include "set_files.h"

#include <fstream>
#include <system_error>

namespace ris::demo {

namespace {

namespace fs = std::filesystem;

// Full-screen behind the moving pictures; the saver stretches it to the
// screen.
constexpr int kBackgroundWidth = 1024;
constexpr int kBackgroundHeight = 768;
constexpr int kSpriteSize = 64;
constexpr int kThumbnailSize = 16;

Result<void, std::string> WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return Failure{"cannot write " + path.string()};
  return {};
}

}  // namespace

Result<void, std::string> WriteSetFiles(const DemoSet& set, std::string_view name, const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder / "icons" / "thumbs", error);
  if (!error) fs::create_directories(folder / "backgrounds", error);
  if (error) return Failure{"cannot create folders in " + folder.string() + ": " + error.message()};
  const std::string file_name = std::string(name) + std::string(set.Extension);
  auto written = WriteFile(folder / "backgrounds" / file_name,
                           set.Encode(set.Background(kBackgroundWidth, kBackgroundHeight)));
  if (written) written = WriteFile(folder / "icons" / file_name, set.Encode(set.Sprite(kSpriteSize)));
  if (written) written = WriteFile(folder / "icons" / "thumbs" / file_name, set.Encode(set.Sprite(kThumbnailSize)));
  return written;
}

}  // namespace ris::demo
