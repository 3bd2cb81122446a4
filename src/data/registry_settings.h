#pragma once
// Keeps program variables in step with values under one per-user registry
// key. A variable is bound once, with a value name and a default, and loaded
// at that moment; every bound variable is written back when the store is
// destroyed (or earlier by SaveBindings).
//
// The store refers to the bound variables and to the hive: both must outlive
// it, because its destructor still writes the variables through the hive.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "data/registry_hive.h"

namespace ris {

// How a bound variable is kept in the registry:
//   Integer   32-bit signed, as REG_DWORD;
//   Double    64-bit IEEE, as REG_BINARY of exactly 8 bytes;
//   Boolean   as REG_DWORD 0 or 1 (any non-zero number reads as true);
//   String    as REG_SZ with its terminating zero, read from REG_SZ or
//             REG_EXPAND_SZ without expanding, up to the first zero byte.
// Numbered as the system's variant types number them.
enum class BindingKind : std::uint16_t {
  Integer = 3,   // VT_I4
  Double = 5,    // VT_R8
  String = 8,    // VT_BSTR
  Boolean = 11,  // VT_BOOL
};

// The variable a binding refers to; its alternative is the binding's kind.
using BoundVariable = std::variant<std::int32_t*, double*, bool*, std::string*>;
// A default, of the same alternative as its variable.
using SettingValue = std::variant<std::int32_t, double, bool, std::string>;

struct RegistryBinding {
  BoundVariable variable;
  BindingKind kind;
  SettingValue default_value;
  std::string name;
};

class TRegistrySettings {
 public:
  using ProblemHandler = std::function<void(const std::string&)>;

  // Without a key path; set one before binding.
  explicit TRegistrySettings(RegistryHive& hive);
  // The key "Software\<key_path>\" under the current user's root.
  TRegistrySettings(RegistryHive& hive, std::string_view key_path);

  // Saves every binding; problems go to the problem handler. Never raises.
  ~TRegistrySettings();

  TRegistrySettings(const TRegistrySettings&) = delete;
  TRegistrySettings& operator=(const TRegistrySettings&) = delete;

  // Both stored normalised: no leading backslash, one trailing backslash.
  const std::string& RootPath() const noexcept { return root_path_; }
  const std::string& KeyPath() const noexcept { return key_path_; }
  void SetRootPath(std::string_view path);
  void SetKeyPath(std::string_view path);

  // Each appends a binding and loads the variable at once: the stored value
  // when there is one of a fitting type, the default otherwise. A stored
  // value of the wrong type leaves the default in place and is reported in
  // LoadProblems ("Invalid data type for '<name>'"); the next save replaces
  // it. Raises ENoRegisterKey when RootPath and KeyPath are both empty.
  void BindInteger(std::int32_t& variable, std::string_view name, std::int32_t default_value);
  void BindString(std::string& variable, std::string_view name, std::string default_value);
  void BindBool(bool& variable, std::string_view name, bool default_value);
  void BindDouble(double& variable, std::string_view name, double default_value);

  const std::vector<RegistryBinding>& Bindings() const noexcept { return bindings_; }
  const std::vector<std::string>& LoadProblems() const noexcept { return load_problems_; }

  // Writes every binding, in binding order, creating the key when missing.
  // Returns one "Failed to set data for '<name>'" per value the hive
  // refused; the others are written all the same. When the key cannot be
  // created nothing is written and nothing reported.
  std::vector<std::string> SaveBindings();

  // Receives the problems of the save that destruction performs.
  void SetProblemHandler(ProblemHandler handler) { problem_handler_ = std::move(handler); }

 private:
  void Bind(BoundVariable variable, SettingValue default_value, std::string_view name);
  void LoadBinding(const RegistryBinding& binding);
  std::string FullPath() const { return root_path_ + key_path_; }

  RegistryHive& hive_;
  std::vector<RegistryBinding> bindings_;
  std::string root_path_;
  std::string key_path_;
  std::vector<std::string> load_problems_;
  ProblemHandler problem_handler_;
};

}  // namespace ris
