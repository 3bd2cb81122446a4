#include "data/registry_settings.h"

#include <bit>
#include <optional>
#include <type_traits>
#include <utility>

#include "base/errors.h"
#include "data/text_helpers.h"

namespace ris {
namespace {

constexpr std::string_view kSoftwareRoot = "Software\\";
constexpr std::string_view kInvalidDataType = "Invalid data type for '%s'";
constexpr std::string_view kFailedToSetData = "Failed to set data for '%s'";

template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Registry numbers are little-endian whatever the machine.
std::uint64_t FromLittleEndian(std::string_view bytes) noexcept {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

std::string ToLittleEndian(std::uint64_t value, std::size_t size) {
  std::string bytes(size, '\0');
  for (auto& byte : bytes) {
    byte = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  return bytes;
}

// Each reader answers nothing when the stored value's type or length does
// not fit its kind: the data came from outside and may be anything.
std::optional<std::uint32_t> ReadDword(const RegistryValue& stored) noexcept {
  if (stored.type != RegistryType::Dword || stored.data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(FromLittleEndian(stored.data));
}

std::optional<double> ReadDouble(const RegistryValue& stored) noexcept {
  if (stored.type != RegistryType::Binary || stored.data.size() != 8) return std::nullopt;
  return std::bit_cast<double>(FromLittleEndian(stored.data));
}

std::optional<std::string> ReadText(const RegistryValue& stored) {
  if (stored.type != RegistryType::String && stored.type != RegistryType::ExpandString) {
    return std::nullopt;
  }
  // Read as stored, not expanded: a setting's text may hold '%' signs of its own.
  const std::string_view data = stored.data;
  return std::string(data.substr(0, data.find('\0')));
}

RegistryValue Encode(const BoundVariable& variable) {
  return std::visit(
      Overloaded{
          [](const std::int32_t* number) {
            return RegistryValue{RegistryType::Dword,
                                 ToLittleEndian(static_cast<std::uint32_t>(*number), 4)};
          },
          [](const double* number) {
            return RegistryValue{RegistryType::Binary,
                                 ToLittleEndian(std::bit_cast<std::uint64_t>(*number), 8)};
          },
          [](const bool* flag) {
            return RegistryValue{RegistryType::Dword, ToLittleEndian(*flag ? 1 : 0, 4)};
          },
          [](const std::string* text) {
            return RegistryValue{RegistryType::String, *text + '\0'};
          },
      },
      variable);
}

BindingKind KindOf(const BoundVariable& variable) noexcept {
  return std::visit(Overloaded{
                        [](std::int32_t*) { return BindingKind::Integer; },
                        [](double*) { return BindingKind::Double; },
                        [](bool*) { return BindingKind::Boolean; },
                        [](std::string*) { return BindingKind::String; },
                    },
                    variable);
}

// Stores the value when it fits the variable's kind; false otherwise.
bool Assign(const BoundVariable& variable, const RegistryValue& stored) {
  return std::visit(Overloaded{
                        [&](std::int32_t* number) {
                          const auto read = ReadDword(stored);
                          if (read) *number = static_cast<std::int32_t>(*read);
                          return read.has_value();
                        },
                        [&](double* number) {
                          const auto read = ReadDouble(stored);
                          if (read) *number = *read;
                          return read.has_value();
                        },
                        [&](bool* flag) {
                          const auto read = ReadDword(stored);
                          if (read) *flag = *read != 0;
                          return read.has_value();
                        },
                        [&](std::string* text) {
                          auto read = ReadText(stored);
                          if (read) *text = std::move(*read);
                          return read.has_value();
                        },
                    },
                    variable);
}

void AssignDefault(const RegistryBinding& binding) {
  std::visit(
      [&binding](auto* variable) {
        using Variable = std::remove_pointer_t<decltype(variable)>;
        *variable = std::get<Variable>(binding.default_value);
      },
      binding.variable);
}

}  // namespace

TRegistrySettings::TRegistrySettings(RegistryHive& hive) : hive_(hive) {}

TRegistrySettings::TRegistrySettings(RegistryHive& hive, std::string_view key_path)
    : hive_(hive),
      root_path_(NormalizeKeyPath(kSoftwareRoot)),
      key_path_(NormalizeKeyPath(key_path)) {}

TRegistrySettings::~TRegistrySettings() {
  std::vector<std::string> problems;
  try {
    problems = SaveBindings();
  } catch (...) {
    // A hive that raises instead of refusing leaves nothing to report.
    return;
  }
  for (const auto& problem : problems) {
    try {
      if (problem_handler_) problem_handler_(problem);
    } catch (...) {
      // The owner is being torn down; a handler that fails must not end the process.
    }
  }
}

void TRegistrySettings::SetRootPath(std::string_view path) { root_path_ = NormalizeKeyPath(path); }

void TRegistrySettings::SetKeyPath(std::string_view path) { key_path_ = NormalizeKeyPath(path); }

void TRegistrySettings::BindInteger(std::int32_t& variable, std::string_view name,
                                    std::int32_t default_value) {
  Bind(&variable, default_value, name);
}

void TRegistrySettings::BindString(std::string& variable, std::string_view name,
                                   std::string default_value) {
  Bind(&variable, std::move(default_value), name);
}

void TRegistrySettings::BindBool(bool& variable, std::string_view name, bool default_value) {
  Bind(&variable, default_value, name);
}

void TRegistrySettings::BindDouble(double& variable, std::string_view name, double default_value) {
  Bind(&variable, default_value, name);
}

void TRegistrySettings::Bind(BoundVariable variable, SettingValue default_value,
                             std::string_view name) {
  if (root_path_.empty() && key_path_.empty()) throw ENoRegisterKey();
  const BindingKind kind = KindOf(variable);
  bindings_.push_back(RegistryBinding{variable, kind, std::move(default_value), std::string(name)});
  LoadBinding(bindings_.back());
}

void TRegistrySettings::LoadBinding(const RegistryBinding& binding) {
  std::optional<RegistryValue> stored;
  if (const auto key = hive_.OpenKey(FullPath())) stored = key->ReadValue(binding.name);
  if (stored && Assign(binding.variable, *stored)) return;
  // A value of the wrong type must not stop the caller's loading: the
  // default stands in for it, and the next save replaces it.
  if (stored) load_problems_.push_back(FormatMessage(kInvalidDataType, binding.name));
  AssignDefault(binding);
}

std::vector<std::string> TRegistrySettings::SaveBindings() {
  std::vector<std::string> problems;
  // With no path the key would be the root itself; there is nothing to write to.
  if (root_path_.empty() && key_path_.empty()) return problems;
  const auto key = hive_.CreateKey(FullPath());
  if (!key) return problems;
  for (const auto& binding : bindings_) {
    if (!key->WriteValue(binding.name, Encode(binding.variable))) {
      problems.push_back(FormatMessage(kFailedToSetData, binding.name));
    }
  }
  return problems;
}

}  // namespace ris
