// demo_pictures OUTPUT_DIR: draws the demo product's picture sets and writes
// them as OUTPUT_DIR/backgrounds/<set>, icons/<set> and icons/thumbs/<set>.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "demo_sets.h"

namespace {

namespace fs = std::filesystem;
using ris::demo::DemoSet;

// Full-screen behind the moving pictures; the saver stretches it to the
// screen.
constexpr int kBackgroundWidth = 1024;
constexpr int kBackgroundHeight = 768;
constexpr int kSpriteSize = 64;
constexpr int kThumbnailSize = 16;

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "demo_pictures: cannot write " << path << '\n';
  return static_cast<bool>(out);
}

bool WriteSet(const DemoSet& set, const fs::path& folder) {
  const std::string file_name = std::string(set.Name) + std::string(set.Extension);
  return WriteFile(folder / "backgrounds" / file_name,
                   set.Encode(set.Background(kBackgroundWidth, kBackgroundHeight))) &&
         WriteFile(folder / "icons" / file_name, set.Encode(set.Sprite(kSpriteSize))) &&
         WriteFile(folder / "icons" / "thumbs" / file_name, set.Encode(set.Sprite(kThumbnailSize)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: demo_pictures OUTPUT_DIR\n";
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code error;
  fs::create_directories(folder / "backgrounds", error);
  if (!error) fs::create_directories(folder / "icons" / "thumbs", error);
  if (error) {
    std::cerr << "demo_pictures: cannot create folders in " << folder << ": " << error.message()
              << '\n';
    return 1;
  }
  for (const DemoSet& set : ris::demo::DemoSets()) {
    if (!WriteSet(set, folder)) return 1;
  }
  return 0;
}
