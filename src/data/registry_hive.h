#pragma once
// The per-user registry as the engine sees it: keys under the current user's
// root, addressed by backslash-separated paths, holding typed values whose
// data are raw bytes. Win32 maps this onto HKEY_CURRENT_USER; headless runs
// keep it in memory or in a .reg text file.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ris {

// Registry value types, numbered as the operating system numbers them.
enum class RegistryType : std::uint32_t {
  None = 0,
  String = 1,          // REG_SZ
  ExpandString = 2,    // REG_EXPAND_SZ
  Binary = 3,          // REG_BINARY
  Dword = 4,           // REG_DWORD, little-endian
  DwordBigEndian = 5,  // REG_DWORD_BIG_ENDIAN
  Link = 6,            // REG_LINK
  MultiString = 7,     // REG_MULTI_SZ
  Qword = 11,          // REG_QWORD
};

struct RegistryValue {
  RegistryType type = RegistryType::None;
  std::string data;  // the value's bytes exactly as stored, terminators included

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// An open key. Closing it (destroying the object) commits what was written.
// Value names compare without regard to letter case; the empty name is the
// key's default value.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  virtual std::optional<RegistryValue> ReadValue(std::string_view name) const = 0;

  // Creates or replaces the named value; false when the store refused it.
  virtual bool WriteValue(std::string_view name, const RegistryValue& value) = 0;
};

class RegistryHive {
 public:
  virtual ~RegistryHive() = default;

  // Opens an existing key; nullptr when it does not exist. Paths compare
  // without regard to letter case and may end in a backslash.
  virtual std::unique_ptr<RegistryKey> OpenKey(std::string_view path) = 0;

  // Opens a key, creating it and any missing parents; nullptr on failure.
  virtual std::unique_ptr<RegistryKey> CreateKey(std::string_view path) = 0;
};

}  // namespace ris
