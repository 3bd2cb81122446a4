// Replays a fuzz target's seed corpus without libFuzzer: every file named on
// the command line, or found in a folder named there, is fed to the target once.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int ReplayFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << path << '\n';
    return 1;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path root(argv[i]);
    if (std::filesystem::is_directory(root)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
          failures += ReplayFile(entry.path());
          ++replayed;
        }
      }
    } else {
      failures += ReplayFile(root);
      ++replayed;
    }
  }
  // An empty input is a case of its own that every target must survive.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::cout << "replayed " << replayed << " inputs\n";
  return failures == 0 ? 0 : 1;
}
