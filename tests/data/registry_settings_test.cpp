#include "data/registry_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors.h"
#include "platform/headless/memory_hive.h"

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

void Store(MemoryHive& hive, std::string_view name, const RegistryValue& value) {
  ASSERT_TRUE(hive.CreateKey(kKey)->WriteValue(name, value));
}

std::optional<RegistryValue> Stored(MemoryHive& hive, std::string_view name) {
  const auto key = hive.OpenKey(kKey);
  if (!key) return std::nullopt;
  return key->ReadValue(name);
}

// A registry in which no key can be opened or created.
class LockedHive : public RegistryHive {
 public:
  std::unique_ptr<RegistryKey> OpenKey(std::string_view) override { return nullptr; }
  std::unique_ptr<RegistryKey> CreateKey(std::string_view) override { return nullptr; }
};

TEST(RegistrySettingsPaths, KeyPathIsNormalisedUnderSoftware) {
  MemoryHive hive;
  TRegistrySettings store(hive, "\\Saver Title");
  EXPECT_EQ(store.RootPath(), "Software\\");
  EXPECT_EQ(store.KeyPath(), "Saver Title\\");

  TRegistrySettings bare(hive);
  EXPECT_EQ(bare.RootPath(), "");
  EXPECT_EQ(bare.KeyPath(), "");
  bare.SetRootPath("\\Software");
  bare.SetKeyPath("Maker\\Saver Title\\");
  EXPECT_EQ(bare.RootPath(), "Software\\");
  EXPECT_EQ(bare.KeyPath(), "Maker\\Saver Title\\");
  bare.SetKeyPath("");
  EXPECT_EQ(bare.KeyPath(), "");
}

TEST(RegistrySettingsPaths, RootAndKeyPathTogetherNameTheKey) {
  MemoryHive hive;
  Store(hive, "bounce Speed", Dword(12));
  std::int32_t speed = 0;
  TRegistrySettings store(hive);
  store.SetRootPath("Software");
  store.SetKeyPath("\\Saver Title");
  store.BindInteger(speed, "bounce Speed", 1);
  EXPECT_EQ(speed, 12);
}

TEST(RegistrySettingsPaths, BindingWithoutAnyPathRaisesAndBindsNothing) {
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
    EXPECT_TRUE(store.Bindings().empty());
    EXPECT_EQ(speed, 5);
  }
  // Nor does destruction write anywhere, the root included.
  const auto contents = hive.Contents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_TRUE(contents[0].values.empty());
}

TEST(RegistrySettingsInteger, AbsentValueKeepsDefaultAndIsCreatedOnlyAtDestruction) {
  MemoryHive hive;
  std::int32_t speed = 0;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindInteger(speed, "bounce Speed", 40);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(hive.OpenKey("Software"), nullptr) << "loading must not create keys";
    speed = 55;  // a change made while running is what gets stored
  }
  EXPECT_EQ(Stored(hive, "bounce Speed"), Dword(55));
}

TEST(RegistrySettingsInteger, StoredValueWinsOverTheDefault) {
  MemoryHive hive;
  Store(hive, "General BackgroundColor", Dword(0xFFFFFFFF));
  Store(hive, "bounce nrImages", Dword(0x01020304));
  std::int32_t color = 7;
  std::int32_t count = 7;
  TRegistrySettings store(hive, kTitle);
  store.BindInteger(color, "general backgroundcolor", 0);  // names ignore letter case
  store.BindInteger(count, "bounce nrImages", 0);
  EXPECT_EQ(color, -1);
  EXPECT_EQ(count, 0x01020304);
  EXPECT_TRUE(store.LoadProblems().empty());
}

TEST(RegistrySettingsInteger, EachLoadOpensTheKeyAfresh) {
  MemoryHive hive;
  std::int32_t first = 0;
  std::int32_t second = 0;
  TRegistrySettings store(hive, kTitle);
  store.BindInteger(first, "first", 1);  // the key does not exist yet
  Store(hive, "second", Dword(2));
  store.BindInteger(second, "second", 0);
  EXPECT_EQ(second, 2);
}

TEST(RegistrySettingsBool, TrueIsStoredAsOneAndAnyNonZeroNumberReadsTrue) {
  MemoryHive hive;
  bool bounce = false;
  bool fixed = true;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindBool(bounce, "bounce bounceImages", true);
    store.BindBool(fixed, "bounce fixedSpeed", false);
    EXPECT_TRUE(bounce);
    EXPECT_FALSE(fixed);
  }
  EXPECT_EQ(Stored(hive, "bounce bounceImages"), Dword(1));
  EXPECT_EQ(Stored(hive, "bounce fixedSpeed"), Dword(0));

  // Only the lowest byte is zero in 256: a reader of one byte would say false.
  Store(hive, "high", Dword(0x100));
  Store(hive, "top", Dword(0x80000000));
  Store(hive, "zero", Dword(0));
  bool high = false;
  bool top = false;
  bool zero = true;
  TRegistrySettings store(hive, kTitle);
  store.BindBool(high, "high", false);
  store.BindBool(top, "top", false);
  store.BindBool(zero, "zero", true);
  EXPECT_TRUE(high);
  EXPECT_TRUE(top);
  EXPECT_FALSE(zero);
}

TEST(RegistrySettingsString, ReadsStringsAsStoredUpToTheFirstZero) {
  MemoryHive hive;
  Store(hive, "expand", {RegistryType::ExpandString, "%TEMP%\\pics\0left over\0"s});
  Store(hive, "unterminated", {RegistryType::String, "no zero at the end"});
  Store(hive, "empty", {RegistryType::String, ""});
  Store(hive, "lines", {RegistryType::String, "one\r\ntwo\0"s});
  std::string expand;
  std::string unterminated;
  std::string empty = "unchanged";
  std::string lines;
  TRegistrySettings store(hive, kTitle);
  store.BindString(expand, "expand", "default");
  store.BindString(unterminated, "unterminated", "default");
  store.BindString(empty, "empty", "default");
  store.BindString(lines, "lines", "default");
  EXPECT_EQ(expand, "%TEMP%\\pics");
  EXPECT_EQ(unterminated, "no zero at the end");
  EXPECT_EQ(empty, "");
  EXPECT_EQ(lines, "one\r\ntwo");
  EXPECT_TRUE(store.LoadProblems().empty());
}

TEST(RegistrySettingsString, IsWrittenAsTerminatedString) {
  MemoryHive hive;
  std::string sets;
  std::string none;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindString(sets, "sets selectedSets", "*all*");
    store.BindString(none, "empty", "");
    sets = "cats;dogs";
  }
  EXPECT_EQ(Stored(hive, "sets selectedSets"),
            (RegistryValue{RegistryType::String, "cats;dogs\0"s}));
  EXPECT_EQ(Stored(hive, "empty"), (RegistryValue{RegistryType::String, "\0"s}));
}

TEST(RegistrySettingsDouble, IsKeptAsEightLittleEndianBytes) {
  MemoryHive hive;
  double ratio = 0;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindDouble(ratio, "ratio", 2.5);
    EXPECT_EQ(ratio, 2.5);
  }
  // 2.5 is 0x4004000000000000.
  EXPECT_EQ(Stored(hive, "ratio"), (RegistryValue{RegistryType::Binary, "\0\0\0\0\0\0\x04\x40"s}));

  Store(hive, "negative", {RegistryType::Binary, "\0\0\0\0\0\0\xC0\xBF"s});  // -0.125
  Store(hive, "short", {RegistryType::Binary, "\0\0\0\0\0\0\x04"s});
  Store(hive, "long", {RegistryType::Binary, "\0\0\0\0\0\0\x04\x40\0"s});
  double negative = 0;
  double short_one = 0;
  double long_one = 0;
  TRegistrySettings store(hive, kTitle);
  store.BindDouble(negative, "negative", 1);
  store.BindDouble(short_one, "short", 1);
  store.BindDouble(long_one, "long", 1);
  EXPECT_EQ(negative, -0.125);
  EXPECT_EQ(short_one, 1);
  EXPECT_EQ(long_one, 1);
  EXPECT_EQ(store.LoadProblems(), (std::vector<std::string>{"Invalid data type for 'short'",
                                                            "Invalid data type for 'long'"}));
}

TEST(RegistrySettingsWrongType, IsReportedWithoutStoppingLaterBindingsAndRepairedOnSave) {
  MemoryHive hive;
  Store(hive, "bounce nrImages", {RegistryType::String, "12\0"s});
  Store(hive, "bounce Speed", Dword(7));
  Store(hive, "bounce fixedSpeed", {RegistryType::Binary, "\1\0\0\0"s});
  Store(hive, "clocksettings clock", {RegistryType::Dword, "\1\0"s});
  Store(hive, "sets SetTime", {RegistryType::Qword, "\x3C\0\0\0\0\0\0\0"s});
  Store(hive, "sets selectedSets", Dword(3));
  Store(hive, "bounce bounceImages", {RegistryType::DwordBigEndian, "\0\0\0\1"s});
  std::int32_t count = 0;
  std::int32_t speed = 0;
  bool fixed = false;
  std::int32_t clock = 0;
  std::int32_t set_time = 0;
  std::string sets;
  bool bounce = false;
  {
    TRegistrySettings store(hive, kTitle);
    store.BindInteger(count, "bounce nrImages", 3);
    store.BindInteger(speed, "bounce Speed", 40);
    store.BindBool(fixed, "bounce fixedSpeed", true);
    store.BindInteger(clock, "clocksettings clock", 2);
    store.BindInteger(set_time, "sets SetTime", 600);
    store.BindString(sets, "sets selectedSets", "*all*");
    store.BindBool(bounce, "bounce bounceImages", false);

    EXPECT_EQ(count, 3);
    EXPECT_EQ(speed, 7) << "a bad value before it must not stop this binding";
    EXPECT_TRUE(fixed);
    EXPECT_EQ(clock, 2);
    EXPECT_EQ(set_time, 600);
    EXPECT_EQ(sets, "*all*");
    EXPECT_FALSE(bounce);
    EXPECT_EQ(
        store.LoadProblems(),
        (std::vector<std::string>{
            "Invalid data type for 'bounce nrImages'", "Invalid data type for 'bounce fixedSpeed'",
            "Invalid data type for 'clocksettings clock'", "Invalid data type for 'sets SetTime'",
            "Invalid data type for 'sets selectedSets'",
            "Invalid data type for 'bounce bounceImages'"}));
    EXPECT_EQ(store.Bindings().size(), 7u);
  }
  EXPECT_EQ(Stored(hive, "bounce nrImages"), Dword(3));
  EXPECT_EQ(Stored(hive, "bounce fixedSpeed"), Dword(1));
  EXPECT_EQ(Stored(hive, "clocksettings clock"), Dword(2));
  EXPECT_EQ(Stored(hive, "sets SetTime"), Dword(600));
  EXPECT_EQ(Stored(hive, "sets selectedSets"), (RegistryValue{RegistryType::String, "*all*\0"s}));
  EXPECT_EQ(Stored(hive, "bounce bounceImages"), Dword(0));
}

TEST(RegistrySettingsSave, AFailedWriteIsReportedAndTheLaterValuesAreStillWritten) {
  MemoryHive hive;
  hive.FailWritesOf("bounce Speed");
  std::int32_t count = 0;
  std::int32_t speed = 0;
  std::string sets;
  TRegistrySettings store(hive, kTitle);
  store.BindInteger(count, "bounce nrImages", 5);
  store.BindInteger(speed, "bounce Speed", 40);
  store.BindString(sets, "sets selectedSets", "a;b");

  EXPECT_EQ(store.SaveBindings(),
            (std::vector<std::string>{"Failed to set data for 'bounce Speed'"}));
  EXPECT_EQ(Stored(hive, "bounce nrImages"), Dword(5));
  EXPECT_EQ(Stored(hive, "bounce Speed"), std::nullopt);
  EXPECT_EQ(Stored(hive, "sets selectedSets"), (RegistryValue{RegistryType::String, "a;b\0"s}));
}

TEST(RegistrySettingsSave, DestructionSavesAndHandsItsProblemsToTheOwner) {
  MemoryHive hive;
  hive.FailWritesOf("b");
  hive.FailWritesOf("c");
  std::vector<std::string> reported;
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  {
    TRegistrySettings store(hive, kTitle);
    store.SetProblemHandler(
        [&reported](const std::string& problem) { reported.push_back(problem); });
    store.BindInteger(a, "a", 1);
    store.BindInteger(b, "b", 2);
    store.BindInteger(c, "c", 3);
  }
  EXPECT_EQ(reported,
            (std::vector<std::string>{"Failed to set data for 'b'", "Failed to set data for 'c'"}));
  EXPECT_EQ(Stored(hive, "a"), Dword(1));
}

TEST(RegistrySettingsSave, DestructionNeverRaises) {
  MemoryHive hive;
  hive.FailWritesOf("a");
  std::int32_t a = 0;
  EXPECT_NO_THROW({
    TRegistrySettings store(hive, kTitle);
    store.SetProblemHandler([](const std::string& problem) { throw std::runtime_error(problem); });
    store.BindInteger(a, "a", 1);
  });
}

TEST(RegistrySettingsSave, AKeyThatCannotBeCreatedWritesAndReportsNothing) {
  LockedHive hive;
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
