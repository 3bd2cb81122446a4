#include "shells/win32/win32_registry.h"

#include <string>

#include "shells/win32/owned_handle.h"
#include "shells/win32/wide_text.h"

namespace ris {
namespace {

// Values larger than this are not the saver's: reading one would only cost
// memory.
constexpr DWORD kLargestValue = 1u << 20;

// String values are stored in UTF-16 and handed over in the product's code
// page, terminators included, as the ANSI calls hand them over in the
// system's: the text of a selected set or a font's name then reads back the
// same bytes whatever the system's code page, and others see the product's
// letters.
bool IsText(RegistryType type) noexcept {
  return type == RegistryType::String || type == RegistryType::ExpandString || type == RegistryType::MultiString;
}

// The system reads a name up to its first NUL: "Name<NUL>x" would stand for
// "Name", another program's key or value.
bool HoldsNul(std::string_view name) noexcept { return name.find('\0') != std::string_view::npos; }

class Win32Key : public RegistryKey {
 public:
  Win32Key(HKEY key, CodePage code_page) : key_(key), code_page_(code_page) {}

  std::optional<RegistryValue> ReadValue(std::string_view name) const override {
    if (HoldsNul(name)) return std::nullopt;
    const std::wstring value_name = Widen(name, code_page_);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_.Get(), value_name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kLargestValue) {
      return std::nullopt;
    }
    std::string data(size, '\0');
    if (RegQueryValueExW(key_.Get(), value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    data.resize(size);
    const auto stored_type = static_cast<RegistryType>(type);
    if (IsText(stored_type)) data = FromUtf16(data);
    return RegistryValue{stored_type, std::move(data)};
  }

  bool WriteValue(std::string_view name, const RegistryValue& value) override {
    if (HoldsNul(name)) return false;
    const std::wstring value_name = Widen(name, code_page_);
    const std::wstring text = IsText(value.type) ? Widen(value.data, code_page_) : std::wstring();
    const auto* bytes = IsText(value.type) ? reinterpret_cast<const BYTE*>(text.data())
                                           : reinterpret_cast<const BYTE*>(value.data.data());
    const std::size_t size = IsText(value.type) ? text.size() * sizeof(wchar_t) : value.data.size();
    if (size > MAXDWORD) return false;
    return RegSetValueExW(key_.Get(), value_name.c_str(), 0, static_cast<DWORD>(value.type), bytes,
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
  }

 private:
  // A stored text of an odd size (written by another program) loses its
  // last byte, which is half a character.
  std::string FromUtf16(std::string_view data) const {
    std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
    data.copy(reinterpret_cast<char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return Narrow(wide, code_page_);
  }

  OwnedRegistryKey key_;
  CodePage code_page_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32RegistryHive::OpenKey(std::string_view path) {
  const CodePage code_page = system_.TextCodePage();
  HKEY key = nullptr;
  if (HoldsNul(path)) return nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path, code_page).c_str(), 0, KEY_READ | KEY_WRITE, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key, code_page);
}

std::unique_ptr<RegistryKey> Win32RegistryHive::CreateKey(std::string_view path) {
  const CodePage code_page = system_.TextCodePage();
  HKEY key = nullptr;
  if (HoldsNul(path)) return nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(path, code_page).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key, code_page);
}

}  // namespace ris
