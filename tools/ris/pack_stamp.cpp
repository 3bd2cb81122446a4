#include "pack_stamp.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace ris::tool {

namespace {

// Up to eleven digits reach past the last year a ZIP time stamp can hold,
// and keep the calendar arithmetic far from overflow.
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

PackStamp PackStampFromEnvironment(PackFindings& findings) {
  using std::chrono::seconds;
  using std::chrono::sys_seconds;
  const char* epoch_text = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch_text == nullptr) {
    std::random_device device;
    return {ToDosTimestamp(std::chrono::floor<seconds>(std::chrono::system_clock::now())),
            device()};
  }
  const auto epoch = EpochSeconds(epoch_text);
  if (!epoch) {
    std::string text = "SOURCE_DATE_EPOCH='";
    text.append(epoch_text).append("' is not a number of seconds since 1970");
    findings.Error(text);
    return {};
  }
  return {ToDosTimestamp(sys_seconds{seconds{*epoch}}), static_cast<std::uint32_t>(*epoch)};
}

}  // namespace ris::tool
