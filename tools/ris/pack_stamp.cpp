#include "pack_stamp.h"

#include <chrono>

#include "source_date.h"

namespace ris::tool {

namespace {

DosTimestamp StampFromEnvironment(PackFindings& findings) {
  using std::chrono::seconds;
  using std::chrono::sys_seconds;
  const SourceDate date = SourceDateFromEnvironment();
  if (!date.Error.empty()) {
    findings.Error(date.Error);
    return {};
  }
  return ToDosTimestamp(sys_seconds{seconds{date.Seconds.value_or(0)}});  // 0 clamps to 1980-01-01
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
  for (const auto* entries : {&content.Pictures, &content.SetupFiles}) {
    for (const PackEntry& entry : *entries) {
      hash.Add(entry.Name);
      hash.Add(entry.Bytes);
    }
  }
  return {StampFromEnvironment(findings), hash.Seed()};
}

}  // namespace ris::tool
