#include "data/text_helpers.h"

#include <gtest/gtest.h>

#include "data/shell.h"

namespace ris {
namespace {

TEST(LastPos, FindsTheLastOccurrence) {
  EXPECT_EQ(LastPos("\\", "C:\\Saver\\"), 9u);
  EXPECT_EQ(LastPos("\\", "C:\\Saver\\Demo.scr"), 9u);
  EXPECT_EQ(LastPos("ab", "abab"), 3u);
  EXPECT_EQ(LastPos("x", "abc"), 0u);
  EXPECT_EQ(LastPos("long", "ab"), 0u);
}

TEST(SplitString, FoldsRunsAndKeepsOneLeadingEmptyItem) {
  EXPECT_EQ(SplitString(";", ";a;;b;"), (StringList{"", "a", "b"}));
  EXPECT_EQ(SplitString(";", ""), StringList{});
  EXPECT_EQ(SplitString(";", "*all*"), StringList{"*all*"});
  EXPECT_EQ(SplitString("\r\n", "a\r\n\r\n\r\nb\r\n"), (StringList{"a", "b"}));
  EXPECT_EQ(SplitString(";", ";;;"), StringList{""});
}

TEST(JoinStrings, PutsDelimitersOnlyBetweenItems) {
  EXPECT_EQ(JoinStrings(";", {}), "");
  EXPECT_EQ(JoinStrings(";", {"one"}), "one");
  EXPECT_EQ(JoinStrings(";", {"a", "", "b"}), "a;;b");
}

TEST(InStringList, ComparesExactly) {
  const StringList sets{"flowers", "Sea"};
  EXPECT_TRUE(InStringList(sets, "flowers"));
  EXPECT_FALSE(InStringList(sets, "sea"));
  EXPECT_FALSE(InStringList({}, ""));
}

TEST(NormalizeKeyPath, DropsLeadingAndAddsTrailingBackslash) {
  EXPECT_EQ(NormalizeKeyPath("\\Software\\Demo"), "Software\\Demo\\");
  EXPECT_EQ(NormalizeKeyPath("Software\\"), "Software\\");
  EXPECT_EQ(NormalizeKeyPath(""), "");
}

class RecordingShell : public Shell {
 public:
  void OpenWebAddress(const std::string& address) override { opened.push_back(address); }
  std::vector<std::string> opened;
};

TEST(OpenURL, HandsTheShellOnlyWebAddresses) {
  const std::pair<const char*, const char*> cases[] = {
      {"www.example.com/saver", "http://www.example.com/saver"},
      {"https://example.com", "https://example.com"},
      {"http://example.com", "http://example.com"},
      {"https:www.example.com", "https:www.example.com"},  // the secure link a settings text can hold
      {"HTTPS://EXAMPLE.COM", "http://HTTPS://EXAMPLE.COM"},  // the scheme counts in lower case only
      {"example.com/http", "http://example.com/http"},         // "http" inside is no scheme
      {"C:\\tools\\httpd.exe", "http://C:\\tools\\httpd.exe"},
      {"javascript:alert('http')", "http://javascript:alert('http')"},
  };
  for (const auto& [address, opened] : cases) {
    RecordingShell shell;
    EXPECT_TRUE(OpenURL(address, shell)) << address;
    EXPECT_EQ(shell.opened, std::vector<std::string>{opened}) << address;
  }
}

TEST(OpenURL, RefusesTooShortAddressesAndLineBreaks) {
  RecordingShell shell;
  EXPECT_FALSE(OpenURL("", shell));
  EXPECT_FALSE(OpenURL("x", shell));
  EXPECT_FALSE(OpenURL("example.com\r\ncalc.exe", shell));
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace ris
