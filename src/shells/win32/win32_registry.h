#pragma once
// The registry seam over the current user's real registry, through the
// system's Unicode calls: a key's path and a string value's text are in the
// product's code page, which the system's ANSI calls would read in the
// system's own code page instead.

#include "data/registry_hive.h"
#include "data/system.h"

namespace ris {

class Win32RegistryHive : public RegistryHive {
 public:
  // The product's code page is `system`'s, read at each key: the archive
  // names it only once it is open.
  explicit Win32RegistryHive(const System& system) : system_(system) {}

  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;

 private:
  const System& system_;
};

}  // namespace ris
