#include "shells/x11/override_hive.h"

#include "base/ascii.h"
#include "shells/x11/hack_options.h"

namespace ris {
namespace {

RegistryValue Dword(std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return {RegistryType::Dword, std::move(data)};
}

}  // namespace

class OverrideHive::Key : public RegistryKey {
 public:
  Key(std::unique_ptr<RegistryKey> stored, const std::map<std::string, RegistryValue>& overrides)
      : stored_(std::move(stored)), overrides_(overrides) {}

  std::optional<RegistryValue> ReadValue(std::string_view name) const override {
    if (const auto found = overrides_.find(FoldAscii(name)); found != overrides_.end()) return found->second;
    return stored_ ? stored_->ReadValue(name) : std::nullopt;
  }

  bool WriteValue(std::string_view name, const RegistryValue& value) override {
    if (overrides_.contains(FoldAscii(name))) return true;
    return stored_ && stored_->WriteValue(name, value);
  }

 private:
  std::unique_ptr<RegistryKey> stored_;  // none where nothing is stored yet
  const std::map<std::string, RegistryValue>& overrides_;
};

void OverrideHive::Override(std::string value_name, RegistryValue value) {
  overrides_[FoldAscii(value_name)] = std::move(value);
}

// A key nothing is stored in yet still answers the overrides.
std::unique_ptr<RegistryKey> OverrideHive::Wrap(std::unique_ptr<RegistryKey> key) {
  if (!key && overrides_.empty()) return nullptr;
  return std::make_unique<Key>(std::move(key), overrides_);
}

std::unique_ptr<RegistryKey> OverrideHive::OpenKey(std::string_view path) { return Wrap(stored_.OpenKey(path)); }

std::unique_ptr<RegistryKey> OverrideHive::CreateKey(std::string_view path) {
  return Wrap(stored_.CreateKey(path));
}

void OverrideFromSwitches(const HackOptions& options, OverrideHive& hive) {
  if (options.Speed) hive.Override("bounce Speed", Dword(*options.Speed));
  if (options.Images) hive.Override("bounce nrImages", Dword(*options.Images));
  if (options.Clock) hive.Override("clocksettings clock", Dword(*options.Clock));
  if (options.Bounce) hive.Override("bounce bounceImages", Dword(*options.Bounce ? 1 : 0));
}

}  // namespace ris
