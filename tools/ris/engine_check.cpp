#include "engine_check.h"

#include "data/product.h"
#include "engine_version.h"
#include "file_bytes.h"

namespace ris::tool {

namespace {

// The engines this command knows are far smaller; a larger file is not one.
constexpr std::uintmax_t kMaxEngineBytes = 64u << 20;

}  // namespace

Result<std::string, std::string> CheckedEngine(const std::filesystem::path& engine) {
  std::string shown = "'";
  shown.append(engine.string()).append("'");
  const auto bytes = ReadFileBytes(engine, kMaxEngineBytes);
  if (!bytes) return Failure{"cannot read the engine " + shown + ": " + bytes.error()};
  auto version = EngineVersionOf(*bytes);
  if (!version) {
    return Failure{shown + " is not the saver engine: --engine wants the saver engine, Demo.scr of the build, "
                           "whose version resource names it the engine with its version"};
  }
  // The prefix stands in the engine's data: an engine built with another
  // would refuse every archive this ris packs.
  if (bytes->find(kArchivePasswordPrefix) == std::string::npos) {
    return Failure{shown + " (engine " + *version + ") was built with another password prefix than this ris: it "
                           "would open none of its archives"};
  }
  return std::move(*version);
}

}  // namespace ris::tool
