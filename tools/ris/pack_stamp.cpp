#include "pack_stamp.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

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

DosTimestamp StampFromEnvironment(PackFindings& findings) {
  using std::chrono::seconds;
  using std::chrono::sys_seconds;
  const char* epoch_text = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch_text == nullptr) return ToDosTimestamp(sys_seconds{});  // clamps to 1980-01-01
  const auto epoch = EpochSeconds(epoch_text);
  if (!epoch) {
    std::string text = "SOURCE_DATE_EPOCH='";
    text.append(epoch_text).append("' is not a number of seconds since 1970");
    findings.Error(text);
    return {};
  }
  return ToDosTimestamp(sys_seconds{seconds{*epoch}});
}

// 64-bit FNV-1a, folded to the writer's 32-bit seed. Lengths go in before
// the bytes, so that moving bytes from one entry's end to the next entry's
// name cannot give the same hash.
class ContentHash {
 public:
  void Add(std::string_view bytes) {
    AddLength(bytes.size());
    for (const char c : bytes) Mix(static_cast<unsigned char>(c));
  }
  std::uint32_t Seed() const { return static_cast<std::uint32_t>(state_ ^ (state_ >> 32)); }

 private:
  void AddLength(std::uint64_t length) {
    for (int shift = 0; shift < 64; shift += 8) Mix(static_cast<unsigned char>(length >> shift));
  }
  void Mix(unsigned char byte) { state_ = (state_ ^ byte) * 0x100000001b3ull; }

  std::uint64_t state_ = 0xcbf29ce484222325ull;
};

}  // namespace

PackStamp PackStampFor(std::string_view password, std::string_view settings,
                       const PackContent& content, PackFindings& findings) {
  ContentHash hash;
  hash.Add(password);
  hash.Add(kSettingsEntryName);
  hash.Add(settings);
  for (const PackEntry& picture : content.Pictures) {
    hash.Add(picture.Name);
    hash.Add(picture.Bytes);
  }
  return {StampFromEnvironment(findings), hash.Seed()};
}

}  // namespace ris::tool
