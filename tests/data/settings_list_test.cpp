#include "data/settings_list.h"

#include <gtest/gtest.h>

#include <string>

namespace ris {
namespace {

TSettingsList Parse(std::string_view text) {
  TSettingsList list;
  ParseSettingsText(text, list);
  return list;
}

std::string Dump(const TSettingsList& list) {
  std::string dump;
  for (const auto& entry : list.Entries()) {
    dump += "[" + entry.Section + "]" + entry.Key + "=" + entry.Value + "|";
  }
  return dump;
}

TEST(SettingsText, ReadsSectionsAndPairsInOrder) {
  const auto list = Parse("title=Outside\r\n[general]\r\ntitle=Demo\r\n\r\n\r\n[bounce]\r\nSpeed=3\r\n");
  EXPECT_EQ(Dump(list), "[]title=Outside|[general]title=Demo|[bounce]Speed=3|");
}

TEST(SettingsText, RepeatedPairKeepsPlaceAndKeyButTakesLaterValueAndSection) {
  const auto list = Parse(
      "[general]\r\ntitle=First\r\nversion=1\r\n[GENERAL]\r\nTITLE=Second\r\n");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Entries()[0].Key, "title");
  EXPECT_EQ(list.Entries()[0].Section, "GENERAL");
  EXPECT_EQ(list.Entries()[0].Value, "Second");
  EXPECT_EQ(list.IndexOfKey("Title", "General"), 0);
}

TEST(SettingsText, CommentsFollowTheApostropheRule) {
  const auto list = Parse(
      "[general]\r\n"
      "url=www.example.com//path\r\n"
      "caption=Don't stop\r\n"
      "cut=Don't stop // because\r\n"
      "after=a // it's here\r\n"
      "// whole line comment\r\n");
  EXPECT_EQ(list.ReadValue("url", "general"), "www.example.com");
  EXPECT_EQ(list.ReadValue("caption", "general"), "Don't stop");
  EXPECT_EQ(list.ReadValue("cut", "general"), "Don");
  // An apostrophe after the "//" does not matter.
  EXPECT_EQ(list.ReadValue("after", "general"), "a");
  EXPECT_EQ(list.Count(), 4u);
}

TEST(SettingsText, TrimsLinesButNotKeysOrValues) {
  const auto list = Parse("\t [s] trailing\r\n  key = value \t\r\n=empty key\r\nnovalue=\r\nno equals\r\n");
  EXPECT_EQ(list.IndexOfKey("key", "s"), -1);
  EXPECT_EQ(list.ReadValue("key ", "s"), " value");
  EXPECT_EQ(list.ReadValue("", "s"), "empty key");
  EXPECT_EQ(list.IndexOfKey("novalue", "s"), 2);
  EXPECT_EQ(list.Count(), 3u);
}

TEST(SettingsText, HeaderWithoutBracketSelectsTheEmptySection) {
  const auto list = Parse("[bounce]\r\na=1\r\n[broken\r\nb=2\r\n[with spaces ]x\r\nc=3=4\r\n");
  EXPECT_EQ(list.ReadValue("b", ""), "2");
  EXPECT_EQ(list.ReadValue("c", "with spaces "), "3=4");
}

TEST(SettingsText, BareLineFeedsMakeOneLine) {
  const auto list = Parse("[general]\ntitle=Demo\n[bounce]\nSpeed=3\n");
  EXPECT_EQ(list.Count(), 0u);
  const auto one = Parse("title=Demo\nSpeed=3\n");
  ASSERT_EQ(one.Count(), 1u);
  EXPECT_EQ(one.Entries()[0].Value, "Demo\nSpeed=3");
}

TEST(SettingsText, FoldsOnlyAsciiLetters) {
  const auto list = Parse("[Caf\xC9]\r\nK\xC9Y=1\r\n");
  EXPECT_EQ(list.ReadValue("k\xC9y", "caf\xC9"), "1");
  EXPECT_EQ(list.IndexOfKey("k\xE9y", "caf\xC9"), -1);
}

TEST(SettingsLookups, ReadBoolAcceptsOnlyTheWordTrue) {
  const auto list = Parse("[s]\r\na=TRUE\r\nb=1\r\nc=yes\r\nd= true\r\ne=True\r\n");
  EXPECT_TRUE(list.ReadBool("a", "s"));
  EXPECT_TRUE(list.ReadBool("E", "S"));
  EXPECT_FALSE(list.ReadBool("b", "s"));
  EXPECT_FALSE(list.ReadBool("c", "s"));
  EXPECT_FALSE(list.ReadBool("d", "s"));
  EXPECT_FALSE(list.ReadBool("missing", "s"));
}

TEST(SettingsLookups, ReadValueDefFallsBackForAbsentAndEmpty) {
  const auto list = Parse("[language]\r\nok=\r\ncancel=Abort\r\n");
  EXPECT_EQ(list.ReadValueDef("OK", "ok", "language"), "OK");
  EXPECT_EQ(list.ReadValueDef("Configure", "configure", "language"), "Configure");
  EXPECT_EQ(list.ReadValueDef("Cancel", "CANCEL", "Language"), "Abort");
  EXPECT_EQ(list.ReadValue("absent", "language"), "");
}

TEST(SettingsLookups, ManyEntriesStayLinear) {
  std::string text = "[s]\r\n";
  for (int i = 0; i < 200000; ++i) text += "key" + std::to_string(i) + "=v\r\n";
  const auto list = Parse(text);
  EXPECT_EQ(list.Count(), 200000u);
  EXPECT_EQ(list.IndexOfKey("KEY199999", "S"), 199999);
}

TEST(SettingsLookups, ProductCodePageIsATabledOneOrTheSystems) {
  const struct {
    const char* Text;
    CodePage Expected;
  } cases[] = {
      {"[general]\r\ncodePage=1250\r\n", 1250},
      {"[GENERAL]\r\nCODEPAGE=1253\r\n", 1253},
      {"[general]\r\ntitle=x\r\n", kSystemCodePage},
      {"[general]\r\ncodePage=936\r\n", kSystemCodePage},
      {"[general]\r\ncodePage=-1250\r\n", kSystemCodePage},
      {"[general]\r\ncodePage=Greek\r\n", kSystemCodePage},
      {"[other]\r\ncodePage=1250\r\n", kSystemCodePage},
  };
  for (const auto& c : cases) EXPECT_EQ(ProductCodePage(Parse(c.Text)), c.Expected) << c.Text;
}

}  // namespace
}  // namespace ris
