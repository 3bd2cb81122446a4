#include "data/object_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "data/component.h"

namespace ris {
namespace {

// Every kind of value, written the way the writer writes it.
constexpr std::string_view kCanonical =
    "object Form1: TForm\r\n"
    "  Left = -8\r\n"
    "  Scale = 1.25\r\n"
    "  Huge = -9223372036854775808\r\n"
    "  Visible = False\r\n"
    "  ActiveControl = Panel1.Button1\r\n"
    "  Caption = 'It''s'#13#10'two lines'\r\n"
    "  Empty = ''\r\n"
    "  Anchors = [akLeft, akTop]\r\n"
    "  Flags = []\r\n"
    "  Lines.Strings = (\r\n"
    "    'one'\r\n"
    "    2\r\n"
    "    (\r\n"
    "      nested)\r\n"
    "    ())\r\n"
    "  Glyph.Data = {\r\n"
    "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
    "    FF}\r\n"
    "  NoData = {}\r\n"
    "  Columns = <\r\n"
    "    item\r\n"
    "      Width = 40\r\n"
    "    end\r\n"
    "    item [3]\r\n"
    "      Title.Caption = 'Name'\r\n"
    "      Inner = <\r\n"
    "        item\r\n"
    "        end>\r\n"
    "    end>\r\n"
    "  NoItems = <>\r\n"
    "  object Panel1: TPanel\r\n"
    "    Top = 4\r\n"
    "    inline Button1: TButton [2]\r\n"
    "    end\r\n"
    "  end\r\n"
    "  inherited TLabel\r\n"
    "  end\r\n"
    "end\r\n";

std::string WithBareLineFeeds(std::string_view text) {
  std::string result;
  for (const char c : text) {
    if (c != '\r') result += c;
  }
  return result;
}

// The message of the EParserError the text raises, or "" when it raises none.
std::string ParserErrorOf(std::string_view text) {
  try {
    ParseObjectText(text);
  } catch (const EParserError& error) {
    return error.what();
  }
  return "";
}

std::string Nested(std::string_view open, std::string_view close, int depth) {
  std::string text = "object A: T\r\n  P = ";
  for (int i = 0; i < depth; ++i) text += open;
  for (int i = 0; i < depth; ++i) text += close;
  return text + "\r\nend\r\n";
}

TEST(ObjectTextRead, ReadsEveryKindOfValue) {
  const ObjectNode node = ParseObjectText(kCanonical);
  EXPECT_EQ(node.Name, "Form1");
  EXPECT_EQ(node.ClassName, "TForm");
  ASSERT_EQ(node.Properties.size(), 14u);
  const auto& p = node.Properties;
  EXPECT_EQ(p[0].Value.Kind, ObjectValueKind::Integer);
  EXPECT_EQ(p[0].Value.Integer, -8);
  EXPECT_EQ(p[1].Value.Kind, ObjectValueKind::Float);
  EXPECT_EQ(p[1].Value.Text, "1.25");
  EXPECT_EQ(p[2].Value.Integer, INT64_MIN);
  EXPECT_EQ(p[4].Value.Kind, ObjectValueKind::Identifier);
  EXPECT_EQ(p[4].Value.Text, "Panel1.Button1");
  EXPECT_EQ(p[5].Value.Kind, ObjectValueKind::String);
  EXPECT_EQ(p[5].Value.Text, "It's\r\ntwo lines");
  ASSERT_EQ(p[7].Value.Items.size(), 2u);
  EXPECT_EQ(p[7].Value.Items[1].Text, "akTop");
  EXPECT_EQ(p[9].Name, "Lines.Strings");
  ASSERT_EQ(p[9].Value.Items.size(), 4u);
  EXPECT_EQ(p[9].Value.Items[2].Kind, ObjectValueKind::List);
  EXPECT_EQ(p[10].Value.Kind, ObjectValueKind::Binary);
  ASSERT_EQ(p[10].Value.Text.size(), 33u);
  EXPECT_EQ(static_cast<unsigned char>(p[10].Value.Text[32]), 0xFF);
  ASSERT_EQ(p[12].Value.CollectionItems.size(), 2u);
  EXPECT_FALSE(p[12].Value.CollectionItems[0].Index.has_value());
  EXPECT_EQ(p[12].Value.CollectionItems[1].Index, 3);
  EXPECT_EQ(p[12].Value.CollectionItems[1].Properties[0].Name, "Title.Caption");
  ASSERT_EQ(node.Children.size(), 2u);
  EXPECT_EQ(node.Children[0].Children[0].Header, ObjectHeaderKind::Inline);
  EXPECT_EQ(node.Children[0].Children[0].Position, 2);
  EXPECT_EQ(node.Children[1].Header, ObjectHeaderKind::Inherited);
  EXPECT_EQ(node.Children[1].Name, "");
  EXPECT_EQ(node.Children[1].ClassName, "TLabel");
}

TEST(ObjectTextRead, AcceptsEveryStringSpelling) {
  const ObjectNode node = ParseObjectText(
      "object A: T\n"
      "  Doubled = 'Bob''s'\n"
      "  Coded = 'Bob'#39's'\n"
      "  Hex = #$42'ob'#$27's'\n"
      "  Joined = 'Bo' +\n"
      "    'b''s'\n"
      "  Control = #9#0\n"
      "  High = '\xE9t\xE9'\n"
      "end\n");
  const auto& p = node.Properties;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p[static_cast<std::size_t>(i)].Value.Text, "Bob's") << i;
  EXPECT_EQ(p[4].Value.Text, std::string("\t\0", 2));
  EXPECT_EQ(p[5].Value.Text, "\xE9t\xE9");
}

TEST(ObjectTextRead, NumbersKeepTheirSignAndRange) {
  const ObjectNode node = ParseObjectText(
      "object A: T\r\n  A = $FF\r\n  B = -$10\r\n  C = $FFFFFFFF\r\n  D = 9223372036854775807\r\n"
      "  E = 1.5E+10\r\n  F = -0.5s\r\n  G = 3e2\r\nend");
  const auto& p = node.Properties;
  EXPECT_EQ(p[0].Value.Integer, 255);
  EXPECT_EQ(p[1].Value.Integer, -16);
  EXPECT_EQ(p[2].Value.Integer, 4294967295);
  EXPECT_EQ(p[3].Value.Integer, INT64_MAX);
  // Floats are kept as written so that no digit is lost.
  EXPECT_EQ(p[4].Value.Text, "1.5E+10");
  EXPECT_EQ(p[5].Value.Text, "-0.5s");
  EXPECT_EQ(p[6].Value.Kind, ObjectValueKind::Float);
}

TEST(ObjectTextRead, KeywordsInAnyCaseAndLineEndsAlike) {
  const ObjectNode mixed = ParseObjectText("OBJECT a: T\n Items = <ITEM End>\nEnd");
  EXPECT_EQ(mixed.Properties[0].Value.CollectionItems.size(), 1u);
  EXPECT_EQ(WriteObjectText(ParseObjectText(WithBareLineFeeds(kCanonical))), kCanonical);
  // Line breaks are only blanks: one line holds the same object.
  EXPECT_EQ(WriteObjectText(ParseObjectText("object A: T Left = 1 Top = 2 end")),
            "object A: T\r\n  Left = 1\r\n  Top = 2\r\nend\r\n");
}

TEST(ObjectTextRead, AllowsNestingUpToTheLimit) {
  EXPECT_NO_THROW(ParseObjectText(Nested("(", ")", kMaxObjectTextDepth - 1)));
  std::string objects;
  for (int i = 0; i < kMaxObjectTextDepth; ++i) objects += "object A: T ";
  for (int i = 0; i < kMaxObjectTextDepth; ++i) objects += "end ";
  EXPECT_NO_THROW(ParseObjectText(objects));
}

TEST(ObjectTextWrite, CanonicalTextRoundTripsExactly) {
  EXPECT_EQ(WriteObjectText(ParseObjectText(kCanonical)), kCanonical);
}

TEST(ObjectTextWrite, OtherSpellingsBecomeCanonicalAndStayThat) {
  const std::string written =
      WriteObjectText(ParseObjectText("object A:T[1]\n"
                                      "  X=$10 Y = 'a'+'b' Z=[ a ,b]\n"
                                      "  L = ('x' 'y')\n"
                                      "  D = { 0a 1B\n 2c }\n"
                                      "  C = < item [ 5 ] N = 1 end >\n"
                                      "end"));
  EXPECT_EQ(written,
            "object A: T [1]\r\n"
            "  X = 16\r\n"
            "  Y = 'ab'\r\n"
            "  Z = [a, b]\r\n"
            "  L = (\r\n"
            "    'x'\r\n"
            "    'y')\r\n"
            "  D = {\r\n"
            "    0A1B2C}\r\n"
            "  C = <\r\n"
            "    item [5]\r\n"
            "      N = 1\r\n"
            "    end>\r\n"
            "end\r\n");
  EXPECT_EQ(WriteObjectText(ParseObjectText(written)), written);
}

TEST(ObjectTextWrite, QuotesPrintableRunsAndCodesControlBytes) {
  EXPECT_EQ(QuoteObjectString(""), "''");
  EXPECT_EQ(QuoteObjectString("Bob's"), "'Bob''s'");
  EXPECT_EQ(QuoteObjectString("'"), "''''");
  EXPECT_EQ(QuoteObjectString("a\tb\r\n"), "'a'#9'b'#13#10");
  EXPECT_EQ(QuoteObjectString(std::string_view("\0x", 2)), "#0'x'");
  EXPECT_EQ(QuoteObjectString("\xE9"), "'\xE9'");
}

TEST(ObjectTextWrite, FloatsMadeInCodeReadBackAsFloats) {
  EXPECT_EQ(WriteObjectValue(ObjectValue::MakeFloat(2.5)), "2.5");
  EXPECT_EQ(WriteObjectValue(ObjectValue::MakeFloat(-3)), "-3.0");
  EXPECT_EQ(WriteObjectValue(ObjectValue::MakeFloat(1e300)), "1e+300");
  ObjectNode node;
  node.ClassName = "T";
  node.Properties.push_back({"F", ObjectValue::MakeFloat(4), 0});
  EXPECT_EQ(ParseObjectText(WriteObjectText(node)).Properties[0].Value.Kind,
            ObjectValueKind::Float);
  EXPECT_THROW(ObjectValue::MakeFloat(std::numeric_limits<double>::infinity()), EConvertError);
}

TEST(ObjectTextErrors, MalformedTextsNameTheLine) {
  struct Case {
    std::string_view text;
    std::string_view message;
  };
  const Case cases[] = {
      {"", "'object' expected but end of text found on line 1"},
      {"object A: T\r\n  Left = 1\r\n", "'end' expected but end of text found on line 3"},
      {"object A: T\r\n  Name = 'abc\r\nend\r\n", "Unterminated string on line 2"},
      {"object A: T\r\n  S = [a,, b]\r\nend", "Set element expected but ',' found on line 2"},
      {"object A: T\r\n  S = [a b]\r\nend", "',' or ']' expected but 'b' found on line 2"},
      {"object A: T\r\n  S = [a, 'b']\r\nend", "Set element expected but string found on line 2"},
      {"object A: T\r\n  S = [a\r\nend", "',' or ']' expected but 'end' found on line 3"},
      {"object A: T\r\n  L = (1 2\r\nend", "')' expected but end of text found on line 3"},
      {"object A: T\n\n  D = {0A1}\nend", "Binary data has an odd number of digits on line 3"},
      {"object A: T\n  D = {0G}\nend", "Invalid binary data on line 2"},
      {"object A: T\n  D = {00\n", "Unterminated binary data on line 2"},
      {"object A: T\n  C = < Width = 1 >\nend",
       "'item' or '>' expected but 'Width' found on line 2"},
      {"object A: T\n  C = < item\nend", "'item' or '>' expected but end of text found on line 3"},
      {"object A: T\n  Left 1\nend", "'=' expected but number found on line 2"},
      {"object A: T\n  Left =", "Value expected but end of text found on line 2"},
      {"object A: T\n  Left = )\nend", "Value expected but ')' found on line 2"},
      {"object A: T\n  Left = 12px\nend", "Invalid number '12p' on line 2"},
      {"object A: T\n  Left = 9223372036854775808\nend", "Integer out of range on line 2"},
      {"object A: T\n  Left = $10000000000000000\nend", "Integer out of range on line 2"},
      {"object A: T\n  S = 'a'#256\nend", "Character code out of range on line 2"},
      {"object A: T\n  S = 'a'#\nend", "Character code expected after '#' on line 2"},
      {"object A: T\n  S = 'a' + 1\nend", "String expected but number found on line 2"},
      {"object A: T\n  Left = ;\nend", "Invalid character ';' on line 2"},
      {"object A: T\n  Left = \x01\x80\nend", "Invalid character #128 on line 2"},
      {"object A: T\nend\nend", "Text after the final 'end' on line 3"},
      {"object A: T\n  object B: U\n  end\n  Left = 1\nend",
       "'end' expected but 'Left' found on line 4"},
      {"object : T\nend", "Identifier expected but ':' found on line 1"},
      {"object A: T [x]\nend", "Integer expected but 'x' found on line 1"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_EQ(ParserErrorOf(text), message) << text;
  }
  // A hostile text cannot make the message as long as itself.
  const std::string long_name(100000, 'x');
  EXPECT_EQ(ParserErrorOf("object A: T\n  Left " + long_name),
            "'=' expected but '" + long_name.substr(0, 40) + "...' found on line 2");
  EXPECT_LT(ParserErrorOf("object A: T\n  Left = 1." + std::string(100000, '5') + "x").size(),
            100u);
}

TEST(ObjectTextErrors, RefusesNestingPastTheLimit) {
  const std::string too_deep =
      "Nesting deeper than " + std::to_string(kMaxObjectTextDepth) + " levels";
  EXPECT_NE(ParserErrorOf(Nested("(", ")", kMaxObjectTextDepth)).find(too_deep), std::string::npos);
  EXPECT_NE(ParserErrorOf(Nested("<item P = ", " end>", kMaxObjectTextDepth)).find(too_deep),
            std::string::npos);
  std::string objects;
  for (int i = 0; i <= kMaxObjectTextDepth; ++i) objects += "object A: T\n";
  EXPECT_EQ(ParserErrorOf(objects),
            too_deep + " on line " + std::to_string(kMaxObjectTextDepth + 1));
  // Far deeper than any stack could take if the depth went unchecked.
  EXPECT_NE(ParserErrorOf(Nested("(", ")", 1000000)).find(too_deep), std::string::npos);
}

TEST(ObjectTextErrors, EveryTruncationIsRefused) {
  // The text ends at "end"; every shorter prefix lacks at least that.
  const std::string_view full = kCanonical.substr(0, kCanonical.size() - 2);
  for (std::size_t length = 0; length + 1 < full.size(); ++length) {
    EXPECT_THROW(ParseObjectText(full.substr(0, length)), EParserError) << length;
  }
  EXPECT_NO_THROW(ParseObjectText(full));
}

class TPlainThing : public TComponent {
 public:
  static constexpr std::string_view kClassName = "TPlainThing";
  std::string_view ClassName() const override { return kClassName; }
};

ComponentClassRegistry PlainRegistry() {
  ComponentClassRegistry registry;
  registry.Register<TPlainThing>();
  return registry;
}

TEST(ObjectTextComponent, UnknownClassIsNamedAsWritten) {
  try {
    TextToComponent("object Foo1: TFoo\r\nend\r\n", PlainRegistry());
    FAIL() << "no error raised";
  } catch (const EClassNotFound& error) {
    EXPECT_STREQ(error.what(), "Class TFoo not found");
  }
  ComponentClassRegistry registry;
  registry.Register("TNothing", [] { return std::unique_ptr<TComponent>(); });
  EXPECT_THROW(TextToComponent("object A: TNothing end", registry), EClassNotFound);
}

TEST(ObjectTextComponent, MalformedTextIsReportedBeforeTheClass) {
  EXPECT_THROW(TextToComponent("object Foo1: TFoo\r\n  Left = \r\n", PlainRegistry()),
               EParserError);
}

TEST(ObjectTextComponent, ClassNamesAreFoundInAnyCase) {
  const auto registry = PlainRegistry();
  EXPECT_TRUE(registry.IsRegistered("tplainthing"));
  const auto component = TextToComponent("object Thing1: TPLAINTHING\r\nend\r\n", registry);
  EXPECT_EQ(component->Name, "Thing1");
  EXPECT_EQ(component->ClassName(), "TPlainThing");
  EXPECT_EQ(ComponentToText(*component), "object Thing1: TPlainThing\r\nend\r\n");
}

TEST(ObjectTextComponent, UnmodelledContentTravelsUnchanged) {
  std::string text(kCanonical);
  text.replace(text.find("Form1: TForm"), 12, "Form1: TPlainThing");
  const auto component = TextToComponent(text, PlainRegistry());
  EXPECT_EQ(component->UnmodelledProperties().size(), 14u);
  EXPECT_EQ(ComponentToText(*component), text);
}

TEST(ObjectTextComponent, HeaderKindAndNameTravel) {
  const auto registry = PlainRegistry();
  for (const std::string_view text :
       {"inherited Thing1: TPlainThing [4]\r\nend\r\n", "object TPlainThing\r\nend\r\n"}) {
    EXPECT_EQ(ComponentToText(*TextToComponent(text, registry)), text);
  }
}

}  // namespace
}  // namespace ris
