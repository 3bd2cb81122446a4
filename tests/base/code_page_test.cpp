#include "base/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace ris {
namespace {

struct KnownByte {
  CodePage Page;
  unsigned char Byte;
  char32_t Character;
};

// A few bytes of each code page checked against the published tables,
// chosen where the pages differ from one another.
constexpr KnownByte kKnownBytes[] = {
    {1252, 'A', U'A'},          {1252, 0x80, U'\u20AC'}, {1252, 0x8A, U'\u0160'},
    {1252, 0x9F, U'\u0178'},    {1252, 0xA0, U'\u00A0'}, {1252, 0xE9, U'\u00E9'},
    {1250, 0xA3, U'\u0141'},    {1250, 0xB3, U'\u0142'}, {1250, 0x8C, U'\u015A'},
    {1250, 0xEA, U'\u0119'},    {1251, 0xC0, U'\u0410'}, {1251, 0xFF, U'\u044F'},
    {1251, 0xA8, U'\u0401'},    {1253, 0xC1, U'\u0391'}, {1253, 0xF0, U'\u03C0'},
    {1253, 0xA2, U'\u0386'},    {1254, 0xD0, U'\u011E'}, {1254, 0xFD, U'\u0131'},
    {1257, 0xC0, U'\u0104'},    {1257, 0xFE, U'\u017E'}, {kSystemCodePage, 0x80, U'\u20AC'},
    {1255, 0xE9, U'\u00E9'},  // no table: read as 1252
};

TEST(CodePage, ReadsEachTabledPage) {
  for (const KnownByte& known : kKnownBytes) {
    EXPECT_EQ(UnicodeFromCodePage(known.Page, known.Byte), known.Character)
        << known.Page << " byte " << int{known.Byte};
  }
}

TEST(CodePage, UndefinedBytesAreNothing) {
  for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(UnicodeFromCodePage(1252, static_cast<unsigned char>(undefined)), U'\0') << undefined;
  }
  EXPECT_EQ(UnicodeFromCodePage(1253, 0xAA), U'\0');
  EXPECT_EQ(UnicodeFromCodePage(1251, 0x98), U'\0');
}

TEST(CodePage, EveryDefinedByteRoundTrips) {
  for (const CodePage page : TabledCodePages()) {
    for (int byte = 1; byte < 256; ++byte) {
      const char32_t character = UnicodeFromCodePage(page, static_cast<unsigned char>(byte));
      if (character == 0) continue;
      EXPECT_EQ(CodePageByteFor(page, character), byte) << page << " byte " << byte;
    }
  }
}

TEST(CodePage, RefusesWhatAPageCannotHold) {
  EXPECT_EQ(CodePageByteFor(1252, U'\u0142'), std::nullopt);
  EXPECT_EQ(CodePageByteFor(1250, U'\u03C0'), std::nullopt);
  EXPECT_EQ(CodePageByteFor(1253, U'\U0001F600'), std::nullopt);
  EXPECT_EQ(CodePageByteFor(1250, U'\0'), std::nullopt);
  EXPECT_EQ(CodePageByteFor(1255, U'A'), 'A');
  EXPECT_EQ(CodePageByteFor(1255, U'\u00E9'), std::nullopt);
  EXPECT_FALSE(IsTabledCodePage(kSystemCodePage));
}

TEST(CodePage, WritesUtf8) {
  std::string out;
  for (const char32_t c : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600', char32_t{0xD800}}) AppendUtf8(out, c);
  EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(CodePageToUtf8("\xC1\xF0\xAA!", 1253), "\xCE\x91\xCF\x80!");  // 0xAA: undefined
}

// What the Win32 shell falls back to where the system lacks the product's
// page, and the clock's UTF-8: NUL kept (a registry string's terminator),
// undefined bytes dropped, a stray UTF-8 byte one U+FFFD, a character
// beyond the BMP a surrogate pair.
TEST(CodePage, ConvertsToAndFromUtf16) {
  using namespace std::string_literals;
  struct Case {
    CodePage Page;
    std::string Bytes;
    std::u16string Wide;
  };
  const Case cases[] = {
      {1251, "\xD6\xE2\xE5\xF2\xFB\0"s, u"\u0426\u0432\u0435\u0442\u044B\0"s},
      {1253, "\xF0\xAA!", u"\u03C0!"},
      {kUtf8CodePage, "\xEC\x98\xA4\xED\x9B\x84 3\xF0\x9F\x98\x80\xFF", u"\uC624\uD6C4 3\U0001F600\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf16FromCodePage(c.Bytes, c.Page), c.Wide) << c.Page;
  }
  EXPECT_EQ(CodePageFromUtf16(u"\u0426\u0432\0\u03C0"s, 1251), "\xD6\xE2\0?"s);
  EXPECT_EQ(CodePageFromUtf16(u"\uC624\U0001F600\xD800", kUtf8CodePage), "\xEC\x98\xA4\xF0\x9F\x98\x80?");
}

}  // namespace
}  // namespace ris
