// ris installer and ris preview read the version resource of whatever file
// a maker names as the engine. Beyond not crashing: a mark found is
// printable ASCII, so that it can stand in a message as it is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto version = ris::tool::EngineVersionOf(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!version) return 0;
  if (version->empty()) std::abort();
  for (const char c : *version) {
    if (c < 0x20 || c > 0x7E) std::abort();
  }
  return 0;
}
