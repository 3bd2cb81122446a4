#include "data/product_names.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

using namespace std::string_view_literals;

TEST(TitleRefusal, RefusesWhatWouldNameAnotherKeyOrBreakACaption) {
  struct Case {
    std::string_view title;
    std::string_view refusal;  // a part of the reason; empty: accepted
  };
  const Case cases[] = {
      {"Flowers", ""},
      {"Fleurs d'\xE9t\xE9", ""},
      {"", ""},  // no key at all: the saver keeps nothing
      {"Canary\0x"sv, "control character"},
      {"Two\r\nlines", "control character"},
      {"Tab\tbed", "control character"},
      {"Microsoft\\Windows", "backslash"},
      {"   ", "nothing but blanks"},
  };
  for (const Case& c : cases) {
    const auto refusal = TitleRefusal(c.title);
    if (c.refusal.empty()) {
      EXPECT_FALSE(refusal) << c.title;
    } else {
      ASSERT_TRUE(refusal) << c.title;
      EXPECT_NE(refusal->find(c.refusal), std::string::npos) << *refusal;
    }
  }
}

TEST(TitleRefusal, TheMessageShowsControlCharactersAsEscapes) {
  EXPECT_EQ(TitleRefusalMessage("Canary\0x"sv, "why"), "the title \"Canary\\x00x\" cannot name the product: why");
}

TEST(SaverNameRefusal, RefusesWhatWindowsCannotInstall) {
  struct Case {
    std::string_view name;
    std::string_view refusal;
  };
  const Case cases[] = {
      {"Flowers.scr", ""},
      {"My Flowers 2.scr", ""},
      {"CONSOLE.scr", ""},
      {"a\"b.scr", "'\"'"},
      {"a:b.scr", "':'"},
      {"a|b.scr", "'|'"},
      {"a?b.scr", "'?'"},
      {"a*b.scr", "'*'"},
      {"a<b.scr", "'<'"},
      {"a\tb.scr", "control character"},
      {"Flowers.scr.", "ends in a dot"},
      {"Flowers.scr ", "ends in a dot or a blank"},
      {"CON.scr", "device"},
      {"con.scr", "device"},
      {"Lpt1.tar.scr", "device"},
      {"nul .scr", "device"},
      {"Bl\xC3\xBCten.scr", "beyond ASCII"},
  };
  for (const Case& c : cases) {
    const auto refusal = SaverNameRefusal(c.name);
    if (c.refusal.empty()) {
      EXPECT_FALSE(refusal) << c.name;
    } else {
      ASSERT_TRUE(refusal) << c.name;
      EXPECT_NE(refusal->find(c.refusal), std::string::npos) << *refusal;
    }
  }
}

}  // namespace
}  // namespace ris
