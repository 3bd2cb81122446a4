#include "shells/win32/win32_registry.h"

#include <string>

#include "shells/win32/owned_handle.h"

namespace ris {
namespace {

// Values larger than this are not the saver's: reading one would only cost
// memory.
constexpr DWORD kLargestValue = 1u << 20;

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}

  std::optional<RegistryValue> ReadValue(std::string_view name) const override {
    const std::string value_name(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_.Get(), value_name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kLargestValue) {
      return std::nullopt;
    }
    std::string data(size, '\0');
    if (RegQueryValueExA(key_.Get(), value_name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    data.resize(size);
    return RegistryValue{static_cast<RegistryType>(type), std::move(data)};
  }

  bool WriteValue(std::string_view name, const RegistryValue& value) override {
    const std::string value_name(name);
    return RegSetValueExA(key_.Get(), value_name.c_str(), 0, static_cast<DWORD>(value.type),
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

 private:
  OwnedRegistryKey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32RegistryHive::OpenKey(std::string_view path) {
  HKEY key = nullptr;
  const std::string key_path(path);
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_READ | KEY_WRITE, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key);
}

std::unique_ptr<RegistryKey> Win32RegistryHive::CreateKey(std::string_view path) {
  HKEY key = nullptr;
  const std::string key_path(path);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key);
}

}  // namespace ris
