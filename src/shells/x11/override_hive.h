#pragma once
// The user's stored settings with some values put in their place, as the
// program's switches ask: a read of such a value answers the switch, and a
// write of it is dropped, so the stored setting outlives the run untouched.

#include <map>
#include <memory>
#include <string>

#include "data/registry_hive.h"

namespace ris {

struct HackOptions;

class OverrideHive : public RegistryHive {
 public:
  explicit OverrideHive(RegistryHive& stored) : stored_(stored) {}

  // `value_name` as the settings name it: section, blank, key.
  void Override(std::string value_name, RegistryValue value);
  bool Empty() const noexcept { return overrides_.empty(); }

  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;

 private:
  class Key;
  std::unique_ptr<RegistryKey> Wrap(std::unique_ptr<RegistryKey> key);

  RegistryHive& stored_;
  std::map<std::string, RegistryValue> overrides_;  // by folded value name
};

// The switches a settings dialog of XScreenSaver can set, as overrides of
// the settings' registry values.
void OverrideFromSwitches(const HackOptions& options, OverrideHive& hive);

}  // namespace ris
