#include "source_date.h"

#include <cstdlib>
#include <string_view>

namespace ris::tool {

namespace {

// Up to eleven digits reach past the last year a ZIP time stamp can hold,
// and keep calendar arithmetic far from overflow.
std::optional<std::int64_t> EpochSeconds(std::string_view text) {
  if (text.empty() || text.size() > 11) return std::nullopt;
  std::int64_t seconds = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    seconds = seconds * 10 + (c - '0');
  }
  return seconds;
}

}  // namespace

SourceDate SourceDateFromEnvironment() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr) return {};
  if (const auto seconds = EpochSeconds(text)) return {seconds, {}};
  return {std::nullopt, "SOURCE_DATE_EPOCH='" + std::string(text) + "' is not a number of seconds since 1970"};
}

}  // namespace ris::tool
