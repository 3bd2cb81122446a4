#include "shells/headless/reg_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "data/registry_settings.h"
#include "shells/headless/memory_hive.h"
#include "shells/headless/reg_file_hive.h"

namespace ris {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

RegistryValue Dword(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {RegistryType::Dword, bytes};
}

std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::optional<RegistryValue> Read(RegistryHive& hive, std::string_view key, std::string_view name) {
  const auto opened = hive.OpenKey(key);
  return opened ? opened->ReadValue(name) : std::nullopt;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end + 2) {
    end = std::min(text.find("\r\n", start), text.size());
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Every kind of value the saver or a person may leave in the registry.
MemoryHive HiveWithEveryType() {
  MemoryHive hive;
  auto key = hive.CreateKey("Software\\Saver Title");
  std::string blob;
  for (int i = 0; i < 200; ++i) blob += static_cast<char>(i);
  const std::vector<NamedValue> values = {
      {"plain", {RegistryType::String, "C:\\Pics\\\"best\" \xE9\xFF;x\0"s}},
      {"", {RegistryType::String, "the default value\0"s}},
      {"lines", {RegistryType::String, "line one\r\nline two\0"s}},
      {"empty", {RegistryType::String, ""}},
      {"quote\"and\\slash \xC4", {RegistryType::String, "\0"s}},
      {"unterminated", {RegistryType::String, "abc"}},
      {"inner zero", {RegistryType::String, "a\0b\0"s}},
      {"expand", {RegistryType::ExpandString, "%TEMP%\\x\0"s}},
      {"speed", Dword(10)},
      {"short dword", {RegistryType::Dword, "\1\2"s}},
      {"ratio", {RegistryType::Binary, "\0\0\0\0\0\0\x04\x40"s}},
      {"blob", {RegistryType::Binary, blob}},
      {"none", {RegistryType::None, ""}},
      {"list", {RegistryType::MultiString, "a\0\xE9\0\0"s}},
      {"big", {RegistryType::Qword, "\1\2\3\4\5\6\7\x08"s}},
      {"big endian", {RegistryType::DwordBigEndian, "\0\0\0\x0A"s}},
      {"odd type", {static_cast<RegistryType>(0x12345), "xyz"}},
      {"top type", {static_cast<RegistryType>(0xFFFFFFFF), "\xFF"s}},
  };
  for (const auto& [name, value] : values) EXPECT_TRUE(key->WriteValue(name, value)) << name;
  hive.CreateKey("Software\\Saver Title\\Empty Leaf");
  EXPECT_TRUE(hive.CreateKey("")->WriteValue("at the root", Dword(1)));
  return hive;
}

TEST(RegFileWrite, EveryTypeIsSpelledAsTheRegistryEditorDoesAndReadsBackTheSame) {
  const MemoryHive hive = HiveWithEveryType();
  const std::string text = WriteRegFile(hive);
  const MemoryHive reread = ParseRegFile(text);
  EXPECT_EQ(reread.Contents(), hive.Contents());
  EXPECT_EQ(WriteRegFile(reread), text);

  const auto lines = LinesOf(text);
  EXPECT_TRUE(text.starts_with("REGEDIT4\r\n"));
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_EQ(text[at - 1], '\r') << "bare LF at byte " << at;
  }
  const auto has = [&lines](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  // The Software key is left out: its subkey's line implies it.
  EXPECT_FALSE(has("[HKEY_CURRENT_USER\\Software]"));
  for (const std::string line : {
           "[HKEY_CURRENT_USER\\Software\\Saver Title]",
           "[HKEY_CURRENT_USER\\Software\\Saver Title\\Empty Leaf]",
           "[HKEY_CURRENT_USER]", "@=\"the default value\"",
           "\"plain\"=\"C:\\\\Pics\\\\\\\"best\\\" \xE9\xFF;x\"",
           "\"quote\\\"and\\\\slash \xC4\"=\"\"",
           "\"speed\"=dword:0000000a", "\"short dword\"=hex(4):01,02",
           "\"lines\"=hex(1):6c,69,6e,65,20,6f,6e,65,0d,0a,6c,69,6e,65,20,74,77,6f,00",
           "\"empty\"=hex(1):", "\"none\"=hex(0):", "\"unterminated\"=hex(1):61,62,63",
           "\"inner zero\"=hex(1):61,00,62,00", "\"expand\"=hex(2):25,54,45,4d,50,25,5c,78,00",
           "\"ratio\"=hex:00,00,00,00,00,00,04,40", "\"big\"=hex(b):01,02,03,04,05,06,07,08",
           "\"odd type\"=hex(12345):78,79,7a", "\"top type\"=hex(ffffffff):ff",
       }) {
    EXPECT_TRUE(has(line)) << line;
  }

  // 200 bytes wrap onto continuation lines no wider than 80 columns.
  const auto blob = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.starts_with("\"blob\"=hex:");
  });
  ASSERT_NE(blob, lines.end());
  auto line = blob;
  for (; line->ends_with("\\"); ++line) {
    EXPECT_LE(line->size(), 80u);
    EXPECT_GE(line->size(), 76u) << "wrapped early";
    EXPECT_TRUE(std::next(line)->starts_with("  ")) << "continuation lines are indented";
  }
  EXPECT_TRUE(line->ends_with("c5,c6,c7"));
  EXPECT_GT(line - blob, 6);
}

TEST(RegFileRead, ReadsTheUnicodeFormWithByteOrderMark) {
  const std::string file = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Saver Title]\r\n"
      u"\"caf\u00e9\"=\"cr\u00e8me \u20ac \U0001F600!\"\r\n"
      u"\"expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
      u"\"list\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
      u"\"wide\"=hex(1):ac,20,41,00,3d,d8,00,de,00,00\r\n"
      u"\"raw\"=hex:01,00\r\n"
      u"\"n\"=dword:00000010\r\n");
  MemoryHive hive = ParseRegFile(file);
  const std::string key = "Software\\Saver Title";
  // Code units below 256 are bytes; anything else, a surrogate pair too, one '?'.
  EXPECT_EQ(Read(hive, key, "caf\xE9"), (RegistryValue{RegistryType::String, "cr\xE8me ? ?!\0"s}));
  EXPECT_EQ(Read(hive, key, "expand"), (RegistryValue{RegistryType::ExpandString, "%TEMP%\0"s}));
  EXPECT_EQ(Read(hive, key, "list"), (RegistryValue{RegistryType::MultiString, "a\0\xE9\0\0"s}));
  EXPECT_EQ(Read(hive, key, "wide"), (RegistryValue{RegistryType::String, "?A?\0"s}));
  EXPECT_EQ(Read(hive, key, "raw"), (RegistryValue{RegistryType::Binary, "\1\0"s}));
  EXPECT_EQ(Read(hive, key, "n"), Dword(16));

  // The header alone decides how text data is read. Version 5 saved as
  // bytes: its hex(2) data is still UTF-16.
  MemoryHive unicode = ParseRegFile(
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"e\"=hex(2):41,00,00,00\n");
  EXPECT_EQ(Read(unicode, "A", "e"), (RegistryValue{RegistryType::ExpandString, "A\0"s}));
  // REGEDIT4 saved as UTF-16: its hex(2) data is bytes.
  MemoryHive ansi =
      ParseRegFile(Utf16File(u"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"e\"=hex(2):41,00,00,00\n"));
  EXPECT_EQ(Read(ansi, "A", "e"), (RegistryValue{RegistryType::ExpandString, "A\0\0\0"s}));
}

TEST(RegFileRead, AcceptsWhatHandWrittenFilesHold) {
  MemoryHive hive = ParseRegFile(
      "REGEDIT4\n"
      "; written by hand, LF line ends\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Saver Title]\n"
      "\"elsewhere\"=hex:01,\\\n"
      "  02\n"
      "[HKCU\\Software\\Saver Title]  \n"
      "@=\"default\"\n"
      "\"Speed\"=dword:A\n"
      "\"gone\"=\"soon\"\n"
      "\"Blob\"  =  hex:01, 02,\\\n"
      "    \\\n"
      "   ff  \n"
      "\t; an indented comment\n"
      "[hkey_current_user\\SOFTWARE\\saver title\\Old\\Deeper]\n"
      "\"x\"=dword:1\n"
      "[HKEY_CURRENT_USER\\software\\SAVER TITLE]\r\n"
      "\"speed\"=dword:0000000B\r\n"
      "\"gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Saver Title\\old]\n"
      "\"ignored\"=\"under a deleted key\"\n");
  const auto contents = hive.Contents();
  ASSERT_EQ(contents.size(), 3u);  // the root, Software and its one subkey
  EXPECT_EQ(contents[2].path, "Software\\Saver Title");
  EXPECT_EQ(contents[2].values,
            (std::vector<NamedValue>{{"", {RegistryType::String, "default\0"s}},
                                     {"Blob", {RegistryType::Binary, "\1\2\xFF"s}},
                                     {"Speed", Dword(11)}}));
  const auto empty = ParseRegFile("").Contents();
  EXPECT_TRUE(empty.size() == 1 && empty[0].values.empty()) << "an empty text is an empty hive";
}

std::optional<ERegFileError> ParseError(std::string_view text) {
  try {
    ParseRegFile(text);
  } catch (const ERegFileError& error) {
    return error;
  }
  return std::nullopt;
}

TEST(RegFileErrors, EachBrokenTextNamesItsLine) {
  const std::string key = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software]\r\n";
  std::string deep = "x";
  for (int i = 0; i < 512; ++i) deep += "\\x";
  const struct { std::string text; std::size_t line; std::string problem; } cases[] = {
      {"REGEDIT5\r\n", 1, "does not start with"},
      {"\xEF\xBB\xBFREGEDIT4\r\n", 1, "does not start with"},
      {"REGEDIT4\r\n\"a\"=dword:1\r\n", 2, "before the first key"},
      {"REGEDIT4\r\nhello\r\n", 2, "expected a key"},
      {"REGEDIT4\r\n[HKCU\\A\r\n", 2, "must end with ']'"},
      {"REGEDIT4\r\n[]\r\n", 2, "no root key"},
      {"REGEDIT4\r\n[HKCU\\A\\\\B]\r\n", 2, "key path"},
      {"REGEDIT4\r\n[HKCU\\" + std::string(256, 'k') + "]\r\n", 2, "key path"},
      {"REGEDIT4\r\n[HKCU\\" + deep + "]\r\n", 2, "key path"},
      {key + "\"a\"=hex:01,zz\r\n", 3, "hex byte"},
      {key + "\"a\"=hex:123\r\n", 3, "hex byte"},
      {key + "\"a\"=hex:01,,02\r\n", 3, "empty item"},
      {key + "\"a\"=hex:01,\\\r\n  02,0g\r\n", 4, "hex byte"},
      {key + "\n\"a\"=hex:01,\\\r\n", 4, "past the end"},
      {key + "\"a\"=\"no closing quote\r\n", 3, "unterminated"},
      {key + "\"a\"=\"ends in a backslash\\\r\n", 3, "unterminated"},
      {key + "\"no closing quote=1\r\n", 3, "unterminated"},
      {key + "\"a\\q\"=\"b\"\r\n", 3, "escape"},
      {key + "\"a\" \"b\"\r\n", 3, "expected '='"},
      {key + "@\r\n", 3, "expected '='"},
      {key + "\"a\"=\"b\" and more\r\n", 3, "after the closing quote"},
      {key + "\"a\"=dword:123456789\r\n", 3, "dword"},
      {key + "\"a\"=dword:-1\r\n", 3, "dword"},
      {key + "\"a\"=dword:\r\n", 3, "dword"},
      {key + "\"a\"=text\r\n", 3, "unknown kind"},
      {key + "\"a\"=hex(2:01\r\n", 3, "without ')'"},
      {key + "\"a\"=hex(123456789):01\r\n", 3, "type"},
      {key + "\"a\"=hex;01\r\n", 3, "expected ':'"},
      {key + "\"" + std::string(16384, 'n') + "\"=\"\"\r\n", 3, "16383"},
      {"Windows Registry Editor Version 5.00\r\n[HKCU\\A]\r\n\"a\"=hex(1):41\r\n", 3, "odd"},
      // Values under keys of other roots are still checked.
      {"REGEDIT4\r\n[HKEY_CLASSES_ROOT\\A]\r\n\"a\"=hex:zz\r\n", 3, "hex byte"},
      {Utf16File(u"REGEDIT4\r\n") + "R", 2, "half a character"},
  };
  for (const auto& broken : cases) {
    SCOPED_TRACE(broken.text.substr(0, 120));
    const auto error = ParseError(broken.text);
    if (!error) {
      ADD_FAILURE() << "no error raised";
      continue;
    }
    EXPECT_EQ(error->Line(), broken.line);
    const std::string message = error->what();
    EXPECT_TRUE(message.starts_with("line " + std::to_string(broken.line) + ": ")) << message;
    EXPECT_NE(message.find(broken.problem), std::string::npos) << message;
  }
  // Too large a text is refused whatever it holds.
  const auto huge = ParseError(std::string(kMaxRegFileBytes + 1, ' '));
  ASSERT_TRUE(huge.has_value());
  EXPECT_EQ(huge->Line(), 0u);
  EXPECT_STREQ(huge->what(), "the text is larger than 64 MiB");
}

class RegFileHiveTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("ris_reg_file_" + std::to_string(getpid()) + "_" + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    file_ = folder_ / "settings.reg";
  }
  void TearDown() override { fs::remove_all(folder_); }

  void WriteFile(const std::string& bytes) const {
    std::ofstream(file_, std::ios::binary) << bytes;
  }
  std::string FileBytes() const {
    std::ifstream in(file_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(RegFileHiveTest, AMissingFileIsEmptyAndWrittenWhenAChangedKeyCloses) {
  RegFileHive hive(file_);
  EXPECT_EQ(hive.OpenKey("Software"), nullptr);
  {
    auto key = hive.CreateKey("Software\\Saver Title\\");
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->WriteValue("bounce Speed", Dword(40)));
    EXPECT_FALSE(fs::exists(file_)) << "written before the key closed";
  }
  EXPECT_EQ(hive.LastCommitError(), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1) << "temporary file left";
  EXPECT_TRUE(FileBytes().starts_with("REGEDIT4\r\n"));
  RegFileHive reopened(file_);
  EXPECT_EQ(Read(reopened, "software\\saver title", "bounce speed"), Dword(40));
}

TEST_F(RegFileHiveTest, AFailedCommitKeepsTheOldFileAndIsRetried) {
  WriteFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"n\"=dword:00000001\r\n");
  const std::string before = FileBytes();
  RegFileHive hive(file_);
  // A folder where the temporary file would go makes creating it fail, as a
  // full disk or a read-only folder would.
  const fs::path blocker = file_.string() + "." + std::to_string(getpid()) + ".tmp";
  fs::create_directory(blocker);

  EXPECT_TRUE(hive.CreateKey("A")->WriteValue("n", Dword(2)));
  EXPECT_NE(hive.LastCommitError().find(file_.string()), std::string::npos)
      << hive.LastCommitError();
  EXPECT_EQ(FileBytes(), before);
  EXPECT_THROW(hive.Commit(), ERegFileError);
  EXPECT_EQ(FileBytes(), before);

  fs::remove(blocker);
  hive.OpenKey("A");  // closing any key retries the pending commit
  EXPECT_EQ(hive.LastCommitError(), "");
  RegFileHive reopened(file_);
  EXPECT_EQ(Read(reopened, "A", "n"), Dword(2));
}

TEST_F(RegFileHiveTest, OpeningAndReadingNeverRewriteTheFile) {
  const std::string hand_written =
      "REGEDIT4\n; kept as it is\n[HKCU\\Software\\Saver Title]\n\"n\"=dword:2\n";
  WriteFile(hand_written);
  {
    RegFileHive hive(file_);
    EXPECT_EQ(Read(hive, "Software\\Saver Title", "n"), Dword(2));
    hive.CreateKey("Software\\Saver Title");  // exists already: nothing changes
  }
  EXPECT_EQ(FileBytes(), hand_written);

  // A broken file is refused, naming file and line, and kept as it is.
  const std::string broken = "REGEDIT4\r\n[HKCU\\A]\r\n\"x\"=hex:zz\r\n";
  WriteFile(broken);
  try {
    RegFileHive hive(file_);
    FAIL() << "a broken file was opened";
  } catch (const ERegFileError& error) {
    EXPECT_EQ(error.Line(), 3u);
    EXPECT_TRUE(std::string(error.what()).starts_with(file_.string() + ": line 3: "))
        << error.what();
  }
  EXPECT_EQ(FileBytes(), broken);
  fs::remove(file_);
  fs::create_directory(file_);
  EXPECT_THROW(RegFileHive{file_}, ERegFileError);
}

TEST_F(RegFileHiveTest, NamesWithALineFeedAreRefused) {
  RegFileHive hive(file_);
  EXPECT_EQ(hive.CreateKey("Software\\two\nlines"), nullptr);
  EXPECT_FALSE(hive.CreateKey("Software")->WriteValue("two\nlines", Dword(1)));
  // A memory hive holds them, but cannot be written as a .reg text.
  MemoryHive memory;
  memory.CreateKey("A")->WriteValue("two\nlines", Dword(1));
  EXPECT_THROW(WriteRegFile(memory), ERegFileError);
  EXPECT_TRUE(FitsRegFile("carriage\rreturn"));
}

TEST_F(RegFileHiveTest, KeepsASettingsStoreAcrossRuns) {
  const std::string font = "object\r\n  Font.Height = -13\r\nend";
  for (const bool first_run : {true, false}) {
    std::int32_t speed = 0;
    std::string read_font;
    RegFileHive hive(file_);
    TRegistrySettings store(hive, "Saver Title");
    store.BindInteger(speed, "bounce Speed", 40);
    store.BindString(read_font, "ClockSettings clockFont", first_run ? font : "");
    EXPECT_EQ(speed, first_run ? 40 : 41);
    EXPECT_EQ(read_font, font);
    EXPECT_TRUE(store.LoadProblems().empty());
    speed = 41;
  }
}

}  // namespace
}  // namespace ris
