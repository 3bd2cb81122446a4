#include "data/registry_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "base/errors.h"
#include "shells/headless/memory_hive.h"

namespace ris {
namespace {

using namespace std::string_literals;

constexpr std::string_view kTitle = "Saver Title";
constexpr std::string_view kKey = "Software\\Saver Title\\";

RegistryValue Dword(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {RegistryType::Dword, bytes};
}
RegistryValue Text(std::string bytes) { return {RegistryType::String, std::move(bytes)}; }
RegistryValue Binary(std::string bytes) { return {RegistryType::Binary, std::move(bytes)}; }

void Store(MemoryHive& hive, std::string_view name, const RegistryValue& value) {
  ASSERT_TRUE(hive.CreateKey(kKey)->WriteValue(name, value));
}

std::optional<RegistryValue> Stored(MemoryHive& hive, std::string_view name) {
  const auto key = hive.OpenKey(kKey);
  return key ? key->ReadValue(name) : std::nullopt;
}

// Binds the alternative that `variable` holds through the call of its kind.
void BindAny(TRegistrySettings& store, SettingValue& variable, const std::string& name,
             const SettingValue& default_value) {
  std::visit(
      [&](auto& value) {
        using T = std::remove_reference_t<decltype(value)>;
        const T& fallback = std::get<T>(default_value);
        if constexpr (std::is_same_v<T, std::int32_t>) store.BindInteger(value, name, fallback);
        if constexpr (std::is_same_v<T, double>) store.BindDouble(value, name, fallback);
        if constexpr (std::is_same_v<T, bool>) store.BindBool(value, name, fallback);
        if constexpr (std::is_same_v<T, std::string>) store.BindString(value, name, fallback);
      },
      variable);
}

// A value of the same kind that differs, so that a binding which leaves its
// variable alone cannot pass for one that loaded the default.
SettingValue Unlike(const SettingValue& value) {
  return std::visit(
      [](const auto& v) -> SettingValue {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return !v;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return v + "?";
        } else {
          return static_cast<T>(v + 1);
        }
      },
      value);
}

TEST(RegistrySettingsPaths, AreNormalisedAndTogetherNameTheKey) {
  MemoryHive hive;
  TRegistrySettings titled(hive, "\\Saver Title");
  EXPECT_EQ(titled.RootPath(), "Software\\");
  EXPECT_EQ(titled.KeyPath(), "Saver Title\\");

  std::int32_t speed = 0;  // outlives the store, whose destructor saves it
  TRegistrySettings store(hive);
  store.SetKeyPath("Maker\\Saver Title\\");
  EXPECT_EQ(store.KeyPath(), "Maker\\Saver Title\\");
  store.SetKeyPath("");
  EXPECT_EQ(store.KeyPath(), "");
  store.SetRootPath("\\Software");
  store.SetKeyPath("\\Saver Title");
  EXPECT_EQ(store.RootPath(), "Software\\");
  Store(hive, "Bounce SPEED", Dword(12));
  store.BindInteger(speed, "bounce Speed", 1);  // value names ignore letter case
  EXPECT_EQ(speed, 12);
}

TEST(RegistrySettingsPaths, BindingWithoutAnyPathRaisesAndNothingIsWritten) {
  MemoryHive hive;
  std::int32_t speed = 5;
  std::string sets = "unchanged";
  {
    TRegistrySettings store(hive);
    try {
      store.BindInteger(speed, "bounce Speed", 40);
      FAIL() << "no error raised";
    } catch (const ENoRegisterKey& error) {
      EXPECT_STREQ(error.what(), "No registry key entered");
    }
    EXPECT_THROW(store.BindString(sets, "sets selectedSets", ""), ERegistryException);
    EXPECT_EQ(sets, "unchanged");
    EXPECT_EQ(speed, 5);
    EXPECT_TRUE(store.Bindings().empty());
  }
  // Nor does destruction write anywhere, the root included.
  const auto contents = hive.Contents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_TRUE(contents[0].values.empty());
}

TEST(RegistrySettingsLoad, AnAbsentValueTakesTheDefaultAndEachBindingOpensTheKeyAfresh) {
  MemoryHive hive;
  std::int32_t speed = 0;
  std::int32_t count = 0;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindInteger(speed, "bounce Speed", 40);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(hive.OpenKey("Software"), nullptr) << "loading must not create keys";
    Store(hive, "bounce nrImages", Dword(2));
    store.BindInteger(count, "bounce nrImages", 0);
    EXPECT_EQ(count, 2);
    speed = 55;  // a change made while running is what gets stored
  }
  EXPECT_EQ(Stored(hive, "bounce Speed"), Dword(55));
}

TEST(RegistrySettingsLoad, TakesValuesOfTheKindsTypeOnlyAndSavesEachKindInIt) {
  const RegistryValue one = Binary("\0\0\0\0\0\0\xF0\x3F"s);  // 1.0
  struct Case {
    std::string name;  // "bad ..." holds a value of the wrong type for its kind
    RegistryValue stored;
    SettingValue default_value, loaded;
    RegistryValue saved;
  };
  const Case cases[] = {
      // Integers: sign and byte order as stored. A bad value before a good
      // one must not stop the good one's binding.
      {"color", Dword(0xFFFFFFFF), 0, -1, Dword(0xFFFFFFFF)},
      {"bad text number", Text("12\0"s), 3, 3, Dword(3)},
      {"count", Dword(0x01020304), 0, 0x01020304, Dword(0x01020304)},
      {"bad short dword", {RegistryType::Dword, "\1\0"s}, 2, 2, Dword(2)},
      {"bad qword", {RegistryType::Qword, "\x3C\0\0\0\0\0\0\0"s}, 600, 600, Dword(600)},
      // Booleans: any non-zero number is true, not only a non-zero low byte.
      {"high", Dword(0x100), false, true, Dword(1)},
      {"top", Dword(0x80000000), false, true, Dword(1)},
      {"zero", Dword(0), true, false, Dword(0)},
      {"bad binary flag", Binary("\0\0\0\0"s), true, true, Dword(1)},
      {"bad big endian", {RegistryType::DwordBigEndian, "\0\0\0\1"s}, false, false, Dword(0)},
      // Strings: up to the first zero, EXPAND_SZ unexpanded; saved terminated.
      {"expand", {RegistryType::ExpandString, "%TEMP%\\pics\0left over\0"s}, "d"s,
       "%TEMP%\\pics"s, Text("%TEMP%\\pics\0"s)},
      {"unterminated", Text("no zero"), "d"s, "no zero"s, Text("no zero\0"s)},
      {"empty", Text(""), "d"s, ""s, Text("\0"s)},
      {"lines", Text("one\r\ntwo\0"s), "d"s, "one\r\ntwo"s, Text("one\r\ntwo\0"s)},
      {"bad dword text", Dword(3), "*all*"s, "*all*"s, Text("*all*\0"s)},
      // Doubles: exactly 8 little-endian bytes.
      {"negative", Binary("\0\0\0\0\0\0\xC0\xBF"s), 1.0, -0.125, Binary("\0\0\0\0\0\0\xC0\xBF"s)},
      {"bad 7 bytes", Binary("\0\0\0\0\0\0\x04"s), 1.0, 1.0, one},
      {"bad 9 bytes", Binary("\0\0\0\0\0\0\x04\x40\0"s), 1.0, 1.0, one},
  };
  MemoryHive hive;
  for (const Case& c : cases) Store(hive, c.name, c.stored);
  std::vector<SettingValue> variables(std::size(cases));
  std::vector<std::string> problems;
  {
    TRegistrySettings store(hive, kTitle);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      const Case& c = cases[i];
      variables[i] = Unlike(c.default_value);
      BindAny(store, variables[i], c.name, c.default_value);
      EXPECT_EQ(variables[i], c.loaded) << c.name;
      if (c.name.starts_with("bad ")) problems.push_back("Invalid data type for '" + c.name + "'");
    }
    EXPECT_EQ(store.LoadProblems(), problems);
    EXPECT_EQ(store.Bindings().size(), std::size(cases));
  }
  for (const Case& c : cases) EXPECT_EQ(Stored(hive, c.name), c.saved) << c.name;
}

TEST(RegistrySettingsSave, FailedWritesAreReportedAndTheOthersStillWritten) {
  MemoryHive hive;
  hive.FailWritesOf("b");
  hive.FailWritesOf("d");
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  std::vector<std::string> reported;
  const std::vector<std::string> failures = {"Failed to set data for 'b'",
                                             "Failed to set data for 'd'"};
  EXPECT_NO_THROW({
    TRegistrySettings store(hive, kTitle);
    // A handler that raises gets every problem all the same, and the
    // destructor does not raise.
    store.SetProblemHandler([&reported](const std::string& problem) {
      reported.push_back(problem);
      throw std::runtime_error(problem);
    });
    store.BindInteger(a, "a", 1);
    store.BindInteger(b, "b", 2);
    store.BindInteger(c, "c", 3);
    store.BindInteger(d, "d", 4);
    EXPECT_EQ(store.SaveBindings(), failures);
    EXPECT_TRUE(reported.empty()) << "only destruction hands problems to the handler";
  });
  EXPECT_EQ(reported, failures);
  EXPECT_EQ(Stored(hive, "a"), Dword(1));
  EXPECT_EQ(Stored(hive, "b"), std::nullopt);
  EXPECT_EQ(Stored(hive, "c"), Dword(3));
}

TEST(RegistrySettingsSave, AKeyThatCannotBeCreatedWritesAndReportsNothing) {
  // A registry in which no key can be opened or created.
  class LockedHive : public RegistryHive {
   public:
    std::unique_ptr<RegistryKey> OpenKey(std::string_view) override { return nullptr; }
    std::unique_ptr<RegistryKey> CreateKey(std::string_view) override { return nullptr; }
  } hive;
  bool reported = false;
  std::int32_t speed = 0;
  {
    TRegistrySettings store(hive, kTitle);
    store.SetProblemHandler([&reported](const std::string&) { reported = true; });
    store.BindInteger(speed, "bounce Speed", 40);
    EXPECT_EQ(speed, 40);
    EXPECT_TRUE(store.SaveBindings().empty());
  }
  EXPECT_FALSE(reported);
}

}  // namespace
}  // namespace ris
