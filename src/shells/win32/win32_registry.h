#pragma once
// The registry seam over the current user's real registry.

#include "data/registry_hive.h"

namespace ris {

class Win32RegistryHive : public RegistryHive {
 public:
  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;
};

}  // namespace ris
