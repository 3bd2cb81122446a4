// Settings texts come from product archives and are parsed on every start.
// Beyond not crashing, every entry the parser keeps must be findable again by
// its own key and section, and every value must survive the readings the
// engine gives it: as a number, a truth value, a text in the product's code
// page, a web address and a list of set names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/code_page.h"
#include "base/conversions.h"
#include "base/errors.h"
#include "data/settings_list.h"
#include "data/text_helpers.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

// The strict and the raising reading agree, and a number reads back as itself.
void ReadAsNumber(std::string_view value) {
  const auto number = ris::TryStrToInt(value);
  if (!number) {
    try {
      ris::StrToInt(value);
      std::abort();
    } catch (const ris::EConvertError&) {
    }
    return;
  }
  Require(ris::StrToInt(value) == *number);
  Require(ris::TryStrToInt(std::to_string(*number)) == number);
  Require(ris::StrToBool(value) == (*number != 0));
}

// In every code page a product may name, each byte it defines maps back to itself.
void ReadInCodePage(std::string_view value, ris::CodePage code_page) {
  std::string utf8;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t character = ris::UnicodeFromCodePage(code_page, byte);
    if (character == 0) continue;
    Require(ris::CodePageByteFor(code_page, character) == byte);
    ris::AppendUtf8(utf8, character);
  }
  Require(utf8.find('\0') == std::string::npos);
}

// The shell is only ever handed a web address without a line break: one of
// the two web schemes, as written ("https:www.example.com") or put in front.
void ReadAsWebAddress(std::string_view value) {
  const auto address = ris::WebAddressToOpen(value);
  if (!address) return;
  Require(address->starts_with("http:") || address->starts_with("https:"));
  Require(address->find_first_of("\r\n") == std::string::npos);
}

// A stored set selection, split and joined again, reads as the same sets,
// and the dialog's folded order ranks any two names exactly one way.
void ReadAsSetList(std::string_view value) {
  const ris::StringList sets = ris::SplitString(";", value);
  const std::string joined = ris::JoinStrings(";", sets);
  Require(joined.empty() || ris::SplitString(";", joined) == sets);
  for (std::size_t i = 0; i < sets.size(); ++i) {
    Require(ris::InStringList(sets, sets[i]));
    const std::string& next = sets[(i + 1) % sets.size()];
    const int ways = int{ris::LessFolded(sets[i], next)} + int{ris::LessFolded(next, sets[i])} +
                     int{ris::EqualsFolded(sets[i], ris::UpperAscii(next))};
    Require(ways == 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ris::TSettingsList list;
  ris::ParseSettingsText(text, list);
  const ris::CodePage code_page = ris::ProductCodePage(list);
  Require(code_page == ris::kSystemCodePage || ris::IsTabledCodePage(code_page));
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const auto& entry = list.Entries()[i];
    Require(list.IndexOfKey(entry.Key, entry.Section) == static_cast<std::ptrdiff_t>(i));
    Require(list.ReadValue(entry.Key, entry.Section) == entry.Value);
    Require(list.ReadBool(entry.Key, entry.Section) == ris::EqualsFolded(entry.Value, "true"));
    ReadAsNumber(entry.Value);
    for (const ris::CodePage table : ris::TabledCodePages()) ReadInCodePage(entry.Value, table);
    ReadAsWebAddress(entry.Value);
    ReadAsSetList(entry.Value);
  }
  return 0;
}
