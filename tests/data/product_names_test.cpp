#include "data/product_names.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

using namespace std::string_view_literals;

struct Case {
  std::string_view text;
  std::string_view refusal;  // a part of the reason; empty: accepted
};

// Each case accepted or refused, a refusal giving its reason.
template <typename Check>
void ExpectRefusals(std::initializer_list<Case> cases, Check check) {
  for (const Case& c : cases) {
    const auto refusal = check(c.text);
    if (c.refusal.empty()) {
      EXPECT_FALSE(refusal) << c.text;
    } else {
      ASSERT_TRUE(refusal) << c.text;
      EXPECT_NE(refusal->find(c.refusal), std::string::npos) << *refusal;
    }
  }
}

TEST(TitleRefusal, RefusesWhatWouldNameAnotherKeyOrBreakACaption) {
  ExpectRefusals({
      {"Flowers", ""},
      {"Fleurs d'\xE9t\xE9", ""},
      {"", ""},  // no key at all: the saver keeps nothing
      {"Canary\0x"sv, "control character"},
      {"Two\r\nlines", "control character"},
      {"Tab\tbed", "control character"},
      {"Microsoft\\Windows", "backslash"},
      {"   ", "nothing but blanks"},
  }, TitleRefusal);
}

TEST(TitleRefusal, TheMessageShowsControlCharactersAsEscapes) {
  EXPECT_EQ(TitleRefusalMessage("Canary\0x"sv, "why"), "the title \"Canary\\x00x\" cannot name the product: why");
}

TEST(SaverNameRefusal, RefusesWhatWindowsCannotInstall) {
  ExpectRefusals({
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
  }, SaverNameRefusal);
}

}  // namespace
}  // namespace ris
