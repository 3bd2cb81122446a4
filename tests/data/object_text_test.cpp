#include "data/object_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

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

// The message of the E the call raises, or "" when it raises none.
template <typename E, typename Call>
std::string ErrorOf(const Call& call) {
  try {
    call();
  } catch (const E& error) {
    return error.what();
  }
  return "";
}

std::string ParserErrorOf(std::string_view text) {
  return ErrorOf<EParserError>([&] { ParseObjectText(text); });
}

std::string Repeated(std::string_view part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

// A property value nested `depth` levels deep, all on line 2.
std::string Nested(std::string_view open, std::string_view close, int depth) {
  return "object A: T\r\n  P = " + Repeated(open, depth) + "0" + Repeated(close, depth) +
         "\r\nend\r\n";
}

TEST(ObjectTextRead, BuildsTheTreeTheTextDescribes) {
  const ObjectNode node = ParseObjectText(kCanonical);
  EXPECT_EQ(node.Name, "Form1");
  EXPECT_EQ(node.ClassName, "TForm");
  const auto& p = node.Properties;
  ASSERT_EQ(p.size(), 14u);
  using enum ObjectValueKind;
  const ObjectValueKind kinds[] = {Integer, Float, Integer, Identifier, Identifier, String, String,
                                   Set, Set, List, Binary, Binary, Collection, Collection};
  for (std::size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p[i].Value.Kind, kinds[i]) << p[i].Name;
  EXPECT_EQ(p[2].Value.Integer, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(p[5].Value.Text, "It's\r\ntwo lines");
  EXPECT_EQ(p[10].Value.Text.size(), 33u);
  EXPECT_EQ(p[10].Value.Text.back(), '\xFF');
  EXPECT_EQ(p[12].Value.CollectionItems.at(1).Index, 3);
  const ObjectNode& button = node.Children.at(0).Children.at(0);
  EXPECT_EQ(button.Header, ObjectHeaderKind::Inline);
  EXPECT_EQ(button.Position, 2);
  EXPECT_EQ(node.Children.at(1).Header, ObjectHeaderKind::Inherited);
  EXPECT_EQ(node.Children.at(1).Name, "");
  EXPECT_EQ(node.Children.at(1).ClassName, "TLabel");
}

TEST(ObjectTextRead, ValueSpellingsAreWrittenCanonically) {
  struct Case {
    std::string_view written;
    std::string_view canonical;
  };
  const Case cases[] = {
      {"$FF", "255"}, {"-$10", "-16"}, {"$FFFFFFFF", "4294967295"},
      {"9223372036854775807", "9223372036854775807"},
      // Floats are kept as written so that no digit is lost.
      {"1.5E+10", "1.5E+10"}, {"-0.5s", "-0.5s"}, {"3e2", "3e2"},
      {"'Bob'#39's'", "'Bob''s'"}, {"#$42'ob'#$27's'", "'Bob''s'"},
      {"'Bo' +\n    'b''s'", "'Bob''s'"}, {"'a'+'b'", "'ab'"}, {"''", "''"}, {"''''", "''''"},
      {"'a'#9'b'#13#10", "'a'#9'b'#13#10"}, {"#0'x'", "#0'x'"}, {"'\xE9t\xE9'", "'\xE9t\xE9'"},
      {"[ a ,b]", "[a, b]"}, {"('x' 'y')", "(\r\n  'x'\r\n  'y')"},
      {"{ 0a 1B\n 2c }", "{\r\n  0A1B2C}"},
      {"< item [ 5 ] N = 1 end >", "<\r\n  item [5]\r\n    N = 1\r\n  end>"},
  };
  const auto rewritten = [](std::string_view value) {
    const std::string text = "object A: T\n  P = " + std::string(value) + "\nend";
    return WriteObjectValue(ParseObjectText(text).Properties.at(0).Value);
  };
  for (const auto& [written, canonical] : cases) {
    SCOPED_TRACE(written);
    EXPECT_EQ(rewritten(written), canonical);
    EXPECT_EQ(rewritten(canonical), canonical);
  }
}

TEST(ObjectTextRead, CanonicalTextRoundTripsWhateverTheLineEnds) {
  EXPECT_EQ(WriteObjectText(ParseObjectText(kCanonical)), kCanonical);
  std::string bare_line_feeds(kCanonical);
  std::erase(bare_line_feeds, '\r');
  EXPECT_EQ(WriteObjectText(ParseObjectText(bare_line_feeds)), kCanonical);
  // Line breaks are only blanks: one line holds the same object. Keywords are in any case.
  EXPECT_EQ(WriteObjectText(ParseObjectText("OBJECT A:T[1] Left = 1 I = <ITEM End> End")),
            "object A: T [1]\r\n  Left = 1\r\n  I = <\r\n    item\r\n    end>\r\nend\r\n");
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
      {"object A: T\r\n  Name = 'abc\r\n  def'\r\nend\r\n", "Unterminated string on line 2"},
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
      {"object A: T\n  Left = $\nend", "Hexadecimal digit expected on line 2"},
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
    SCOPED_TRACE(text);
    EXPECT_EQ(ParserErrorOf(text), message);
  }
  // A hostile text cannot make the message as long as itself.
  const std::string long_name(100000, 'x');
  EXPECT_EQ(ParserErrorOf("object A: T\n  Left " + long_name),
            "'=' expected but '" + long_name.substr(0, 40) + "...' found on line 2");
  EXPECT_LT(ParserErrorOf("object A: T\n  Left = 1." + std::string(100000, '5') + "x").size(),
            100u);
}

TEST(ObjectTextErrors, NestingStopsAtTheLimit) {
  const std::string too_deep = "Nesting deeper than 64 levels on line ";
  ASSERT_EQ(kMaxObjectTextDepth, 64);
  // The root object is the first level.
  for (const auto& [open, close] : {std::pair{"(", ")"}, std::pair{"<item P = ", " end>"}}) {
    SCOPED_TRACE(open);
    EXPECT_EQ(ParserErrorOf(Nested(open, close, 63)), "");
    EXPECT_EQ(ParserErrorOf(Nested(open, close, 64)), too_deep + "2");
  }
  EXPECT_EQ(ParserErrorOf(Repeated("object A: T ", 64) + Repeated("end ", 64)), "");
  EXPECT_EQ(ParserErrorOf(Repeated("object A: T\n", 65)), too_deep + "65");
  // Far deeper than any stack could take if the depth went unchecked.
  EXPECT_EQ(ParserErrorOf(Nested("(", ")", 1000000)), too_deep + "2");
}

TEST(ObjectTextErrors, EveryTruncationIsRefused) {
  // The text ends at "end"; every shorter prefix lacks at least that.
  const std::string_view full = kCanonical.substr(0, kCanonical.size() - 2);
  for (std::size_t length = 0; length + 1 < full.size(); ++length) {
    EXPECT_THROW(ParseObjectText(full.substr(0, length)), EParserError) << length;
  }
  EXPECT_NO_THROW(ParseObjectText(full));
}

// The base class models no property: everything a text holds is unmodelled.
ComponentClassRegistry PlainRegistry() {
  ComponentClassRegistry registry;
  registry.Register<TComponent>();
  return registry;
}

TEST(ObjectTextComponent, UnknownClassIsNamedAsWrittenAfterTheTextIsChecked) {
  const auto registry = PlainRegistry();
  EXPECT_EQ(ErrorOf<EClassNotFound>(
                [&] { TextToComponent("object Foo1: TFoo\r\nend\r\n", registry); }),
            "Class TFoo not found");
  EXPECT_THROW(TextToComponent("object Foo1: TFoo\r\n  Left = \r\n", registry), EParserError);
  ComponentClassRegistry empty_factory;
  empty_factory.Register("TNothing", [] { return std::unique_ptr<TComponent>(); });
  EXPECT_THROW(TextToComponent("object A: TNothing end", empty_factory), EClassNotFound);
}

TEST(ObjectTextComponent, ClassNameAnyCaseHeaderAndUnmodelledContentTravel) {
  const auto registry = PlainRegistry();
  EXPECT_TRUE(registry.IsRegistered("TComponent"));
  EXPECT_EQ(ComponentToText(*TextToComponent("object Thing1: TCOMPONENT\r\nend\r\n", registry)),
            "object Thing1: TComponent\r\nend\r\n");
  std::string everything(kCanonical);
  everything.replace(everything.find("TForm"), 5, "TComponent");
  for (const std::string& text : {everything,
                                  std::string("inherited Thing1: TComponent [4]\r\nend\r\n"),
                                  std::string("object TComponent\r\nend\r\n")}) {
    EXPECT_EQ(ComponentToText(*TextToComponent(text, registry)), text);
  }
  EXPECT_EQ(TextToComponent(everything, registry)->UnmodelledProperties().size(), 14u);
}

}  // namespace
}  // namespace ris
