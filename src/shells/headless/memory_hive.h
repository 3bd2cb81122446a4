#pragma once
// A registry hive held in memory: the stand-in for the per-user registry in
// tests, and the contents of a .reg file while a file-backed hive is open.
// Key and value names compare with 'A'..'Z' folded, as the system registry
// compares them, and keep the spelling under which they were first written.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/registry_hive.h"

namespace ris {

// The system registry's own limits. Keeping them here means that a hive that
// works headless also fits the real registry, and that a hostile .reg file
// cannot nest keys deep enough to exhaust the stack.
inline constexpr std::size_t kMaxKeyNameBytes = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxValueNameBytes = 16383;

struct NamedValue {
  std::string name;  // as first written
  RegistryValue value;

  friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

// A key's values by folded name.
using ValueMap = std::map<std::string, NamedValue>;

// One key as the walk over a hive shows it; only valid during the visit.
struct KeyView {
  std::string_view path;  // full path as first spelled; empty for the root
  const ValueMap& values;
  bool has_subkeys;
};

// A key's contents copied out of the hive, for comparing hives.
struct KeyContents {
  std::string path;
  std::vector<NamedValue> values;

  friend bool operator==(const KeyContents&, const KeyContents&) = default;
};

struct MemoryHiveNode;  // the tree of keys, private to the implementation

// Keys handed out refer to the hive: close them before the hive is moved or
// destroyed. A moved-from hive may only be assigned to or destroyed. A key
// that is deleted while open reads as empty and refuses writes.
class MemoryHive : public RegistryHive {
 public:
  MemoryHive();
  ~MemoryHive() override;
  MemoryHive(MemoryHive&&) noexcept;
  MemoryHive& operator=(MemoryHive&&) noexcept;

  // A path is names separated by single backslashes, optionally ending in
  // one; the empty path is the root, which always exists. Paths with an
  // empty name, a name over kMaxKeyNameBytes or more than kMaxKeyDepth names
  // are refused (nullptr).
  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;

  // Removes the key with its values and subkeys; deleting the root empties
  // it. False when the path is not valid; a missing key is no error.
  bool DeleteKey(std::string_view path);
  // A missing key or value is no error.
  void DeleteValue(std::string_view path, std::string_view name);

  // Visits every key, each parent before its subkeys, the root first.
  void ForEachKey(const std::function<void(const KeyView&)>& visit) const;
  std::vector<KeyContents> Contents() const;

  // For tests of callers' error paths: from now on every write of a value
  // with this name, in any key, fails.
  void FailWritesOf(std::string_view name);

 private:
  class Key;

  std::unique_ptr<MemoryHiveNode> root_;
  std::vector<std::string> failing_names_;  // folded
};

}  // namespace ris
