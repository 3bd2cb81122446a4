#include "data/object_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>

#include "base/ascii.h"
#include "base/errors.h"

namespace ris {

ObjectValue ObjectValue::MakeInteger(std::int64_t value) {
  ObjectValue result;
  result.Kind = ObjectValueKind::Integer;
  result.Integer = value;
  return result;
}

ObjectValue ObjectValue::MakeFloat(double value) {
  if (!std::isfinite(value)) {
    throw EConvertError("A stored floating point value must be finite");
  }
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, written.ptr);
  // "3" would read back as an integer; the reader knows a float by its
  // decimal point or exponent.
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  ObjectValue result;
  result.Kind = ObjectValueKind::Float;
  result.Text = std::move(text);
  return result;
}

ObjectValue ObjectValue::MakeIdentifier(std::string_view name) {
  ObjectValue result;
  result.Kind = ObjectValueKind::Identifier;
  result.Text = name;
  return result;
}

ObjectValue ObjectValue::MakeString(std::string_view bytes) {
  ObjectValue result;
  result.Kind = ObjectValueKind::String;
  result.Text = bytes;
  return result;
}

ObjectValue ObjectValue::MakeSet(const std::vector<std::string>& elements) {
  ObjectValue result;
  result.Kind = ObjectValueKind::Set;
  for (const auto& element : elements) result.Items.push_back(MakeIdentifier(element));
  return result;
}

namespace {

constexpr std::string_view kLineBreak = "\r\n";

constexpr bool IsIdentStart(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

constexpr bool IsIdentChar(char c) noexcept { return IsIdentStart(c) || IsDecimalDigit(c); }

enum class TokenKind : std::uint8_t { End, Symbol, Integer, Float, String, Binary, Char };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // symbol name, float literal, string or binary bytes
  std::int64_t integer = 0;
  char punctuation = 0;
  int line = 1;
};

[[noreturn]] void Fail(std::string_view what, int line) {
  throw EParserError(std::string(what) + " on line " + std::to_string(line));
}

// Text quoted in a message, cut short so that a hostile text cannot make
// the message as long as itself.
std::string Shown(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  if (text.size() <= kLongest) return "'" + std::string(text) + "'";
  return "'" + std::string(text.substr(0, kLongest)) + "...'";
}

// How a token is named in an error message.
std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::End:
      return "end of text";
    case TokenKind::Symbol:
      return Shown(token.text);
    case TokenKind::Integer:
    case TokenKind::Float:
      return "number";
    case TokenKind::String:
      return "string";
    case TokenKind::Binary:
      return "binary data";
    case TokenKind::Char:
      return std::string("'") + token.punctuation + "'";
  }
  return "token";
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) noexcept : text_(text) {}

  Token Next() {
    SkipBlanks();
    Token token;
    token.line = line_;
    if (AtEnd()) return token;
    const char c = Peek();
    if (IsIdentStart(c)) {
      const std::size_t start = pos_;
      while (!AtEnd() && IsIdentChar(Peek())) ++pos_;
      token.kind = TokenKind::Symbol;
      token.text = text_.substr(start, pos_ - start);
    } else if (IsDecimalDigit(c) || c == '$' ||
               (c == '-' && (IsDecimalDigit(PeekAt(1)) || PeekAt(1) == '$'))) {
      ReadNumber(token);
    } else if (c == '\'' || c == '#') {
      token.kind = TokenKind::String;
      token.text = ReadString();
    } else if (c == '{') {
      token.kind = TokenKind::Binary;
      token.text = ReadBinary();
    } else if (std::string_view("=:[](),<>+.").find(c) != std::string_view::npos) {
      ++pos_;
      token.kind = TokenKind::Char;
      token.punctuation = c;
    } else {
      const auto code = static_cast<unsigned char>(c);
      Fail(code >= 32 && code < 127 ? std::string("Invalid character '") + c + "'"
                                    : "Invalid character #" + std::to_string(code),
           line_);
    }
    return token;
  }

 private:
  bool AtEnd() const noexcept { return pos_ >= text_.size(); }
  char Peek() const noexcept { return text_[pos_]; }
  char PeekAt(std::size_t ahead) const noexcept {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }

  // Bytes 0..32 separate tokens; a line ends at LF, so CR LF and bare LF
  // count alike.
  void SkipBlanks() noexcept {
    while (!AtEnd() && IsBlankOrControl(Peek())) {
      if (Peek() == '\n') ++line_;
      ++pos_;
    }
  }

  // Hexadecimal digits may spell any 64-bit pattern; more is refused.
  std::uint64_t ReadHexDigits() {
    const std::size_t start = pos_;
    std::uint64_t bits = 0;
    while (!AtEnd() && HexDigitValue(Peek()) >= 0) {
      if (bits > (std::numeric_limits<std::uint64_t>::max() >> 4)) {
        Fail("Integer out of range", line_);
      }
      bits = (bits << 4) | static_cast<std::uint64_t>(HexDigitValue(Peek()));
      ++pos_;
    }
    if (pos_ == start) Fail("Hexadecimal digit expected", line_);
    return bits;
  }

  void ReadNumber(Token& token) {
    const std::size_t start = pos_;
    const bool negative = Peek() == '-';
    if (negative) ++pos_;
    if (Peek() == '$') {
      ++pos_;
      const std::uint64_t bits = ReadHexDigits();
      token.kind = TokenKind::Integer;
      token.integer = static_cast<std::int64_t>(negative ? 0 - bits : bits);
    } else {
      const std::size_t digits_start = pos_;
      while (!AtEnd() && IsDecimalDigit(Peek())) ++pos_;
      const std::size_t digits_end = pos_;
      bool is_float = false;
      if (PeekAt(0) == '.' && IsDecimalDigit(PeekAt(1))) {
        is_float = true;
        ++pos_;
        while (!AtEnd() && IsDecimalDigit(Peek())) ++pos_;
      }
      if (FoldAscii(PeekAt(0)) == 'e' &&
          (IsDecimalDigit(PeekAt(1)) ||
           ((PeekAt(1) == '+' || PeekAt(1) == '-') && IsDecimalDigit(PeekAt(2))))) {
        is_float = true;
        pos_ += 2;
        while (!AtEnd() && IsDecimalDigit(Peek())) ++pos_;
      }
      if (is_float) {
        // The framework's suffixes for single, currency and date values.
        const char suffix = FoldAscii(PeekAt(0));
        if ((suffix == 's' || suffix == 'c' || suffix == 'd') && !IsIdentChar(PeekAt(1))) ++pos_;
        token.kind = TokenKind::Float;
        token.text = text_.substr(start, pos_ - start);
      } else {
        token.kind = TokenKind::Integer;
        token.integer =
            DecimalValue(text_.substr(digits_start, digits_end - digits_start), negative);
      }
    }
    if (!AtEnd() && (IsIdentChar(Peek()) || Peek() == '$')) {
      Fail("Invalid number " + Shown(text_.substr(start, pos_ + 1 - start)), line_);
    }
  }

  std::int64_t DecimalValue(std::string_view digits, bool negative) const {
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t magnitude = 0;
    for (const char digit : digits) {
      const auto value = static_cast<std::uint64_t>(digit - '0');
      if (magnitude > (limit - value) / 10) Fail("Integer out of range", line_);
      magnitude = magnitude * 10 + value;
    }
    return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  }

  // Quoted runs and #nn codes written side by side form one string.
  std::string ReadString() {
    std::string bytes;
    const int start_line = line_;
    while (!AtEnd()) {
      if (Peek() == '\'') {
        ++pos_;
        while (true) {
          if (AtEnd() || Peek() == '\r' || Peek() == '\n') Fail("Unterminated string", start_line);
          if (Peek() == '\'') {
            if (PeekAt(1) != '\'') break;
            ++pos_;
          }
          bytes += Peek();
          ++pos_;
        }
        ++pos_;
      } else if (Peek() == '#') {
        ++pos_;
        bytes += static_cast<char>(ReadCharacterCode());
      } else {
        break;
      }
    }
    return bytes;
  }

  unsigned char ReadCharacterCode() {
    std::uint64_t code = 0;
    if (PeekAt(0) == '$') {
      ++pos_;
      code = ReadHexDigits();
    } else {
      if (!IsDecimalDigit(PeekAt(0))) Fail("Character code expected after '#'", line_);
      while (!AtEnd() && IsDecimalDigit(Peek())) {
        // Past 255 the exact value no longer matters; stop it from growing.
        if (code <= 255) code = code * 10 + static_cast<std::uint64_t>(Peek() - '0');
        ++pos_;
      }
    }
    // Strings hold bytes of the ANSI code page.
    if (code > 255) Fail("Character code out of range", line_);
    return static_cast<unsigned char>(code);
  }

  std::string ReadBinary() {
    const int start_line = line_;
    ++pos_;  // '{'
    std::string bytes;
    int pending = -1;  // high nibble waiting for its partner
    while (true) {
      SkipBlanks();
      if (AtEnd()) Fail("Unterminated binary data", start_line);
      const char c = Peek();
      ++pos_;
      if (c == '}') break;
      const int nibble = HexDigitValue(c);
      if (nibble < 0) Fail("Invalid binary data", line_);
      if (pending < 0) {
        pending = nibble;
      } else {
        bytes += static_cast<char>((pending << 4) | nibble);
        pending = -1;
      }
    }
    if (pending >= 0) Fail("Binary data has an odd number of digits", line_);
    return bytes;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lexer_(text) { Advance(); }

  ObjectNode ParseRoot() {
    ObjectNode root = ParseObject(1);
    if (token_.kind != TokenKind::End) Fail("Text after the final 'end'", token_.line);
    return root;
  }

 private:
  void Advance() { token_ = lexer_.Next(); }

  bool IsChar(char c) const noexcept {
    return token_.kind == TokenKind::Char && token_.punctuation == c;
  }

  // Keywords are found in any letter case.
  bool IsKeyword(std::string_view keyword) const noexcept {
    return token_.kind == TokenKind::Symbol && EqualsFolded(token_.text, keyword);
  }

  bool IsObjectHeader() const noexcept {
    return IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline");
  }

  [[noreturn]] void Expected(std::string_view what) const {
    Fail(std::string(what) + " expected but " + Describe(token_) + " found", token_.line);
  }

  void ExpectChar(char c) const {
    if (!IsChar(c)) Expected(std::string("'") + c + "'");
  }

  std::string TakeSymbol(std::string_view what) {
    if (token_.kind != TokenKind::Symbol) Expected(what);
    std::string name = std::move(token_.text);
    Advance();
    return name;
  }

  // Name(.Name)*
  std::string TakeDottedSymbol(std::string_view what) {
    std::string name = TakeSymbol(what);
    while (IsChar('.')) {
      Advance();
      name += '.';
      name += TakeSymbol("Identifier");
    }
    return name;
  }

  void CheckDepth(int depth) const {
    if (depth > kMaxObjectTextDepth) {
      Fail("Nesting deeper than " + std::to_string(kMaxObjectTextDepth) + " levels", token_.line);
    }
  }

  // "[n]" after an object header or a collection item.
  std::optional<std::int64_t> TakeOptionalIndex() {
    if (!IsChar('[')) return std::nullopt;
    Advance();
    if (token_.kind != TokenKind::Integer) Expected("Integer");
    const std::int64_t index = token_.integer;
    Advance();
    ExpectChar(']');
    Advance();
    return index;
  }

  ObjectNode ParseObject(int depth) {
    CheckDepth(depth);
    ObjectNode node;
    node.Line = token_.line;
    if (IsKeyword("object")) {
      node.Header = ObjectHeaderKind::Object;
    } else if (IsKeyword("inherited")) {
      node.Header = ObjectHeaderKind::Inherited;
    } else if (IsKeyword("inline")) {
      node.Header = ObjectHeaderKind::Inline;
    } else {
      Expected("'object'");
    }
    Advance();
    std::string first = TakeSymbol("Identifier");
    if (IsChar(':')) {
      Advance();
      node.Name = std::move(first);
      node.ClassName = TakeSymbol("Class name");
    } else {
      node.ClassName = std::move(first);
    }
    node.Position = TakeOptionalIndex();

    while (token_.kind == TokenKind::Symbol && !IsKeyword("end") && !IsObjectHeader()) {
      node.Properties.push_back(ParseProperty(depth));
    }
    while (!IsKeyword("end")) {
      if (!IsObjectHeader()) Expected("'end'");
      node.Children.push_back(ParseObject(depth + 1));
    }
    Advance();
    return node;
  }

  ObjectProperty ParseProperty(int depth) {
    ObjectProperty property;
    property.Line = token_.line;
    property.Name = TakeDottedSymbol("Property name");
    ExpectChar('=');
    Advance();
    property.Value = ParseValue(depth);
    return property;
  }

  ObjectValue ParseValue(int depth) {
    ObjectValue value;
    switch (token_.kind) {
      case TokenKind::Integer:
        value = ObjectValue::MakeInteger(token_.integer);
        Advance();
        return value;
      case TokenKind::Float:
        value.Kind = ObjectValueKind::Float;
        value.Text = std::move(token_.text);
        Advance();
        return value;
      case TokenKind::String:
        value.Kind = ObjectValueKind::String;
        value.Text = std::move(token_.text);
        Advance();
        // Long strings are continued with '+', possibly over several lines.
        while (IsChar('+')) {
          Advance();
          if (token_.kind != TokenKind::String) Expected("String");
          value.Text += token_.text;
          Advance();
        }
        return value;
      case TokenKind::Symbol:
        value.Kind = ObjectValueKind::Identifier;
        value.Text = TakeDottedSymbol("Identifier");
        return value;
      case TokenKind::Binary:
        value.Kind = ObjectValueKind::Binary;
        value.Text = std::move(token_.text);
        Advance();
        return value;
      case TokenKind::Char:
        if (IsChar('[')) return ParseSet();
        if (IsChar('(')) return ParseList(depth + 1);
        if (IsChar('<')) return ParseCollection(depth + 1);
        break;
      case TokenKind::End:
        break;
    }
    Expected("Value");
  }

  ObjectValue ParseSet() {
    ObjectValue value;
    value.Kind = ObjectValueKind::Set;
    Advance();
    if (IsChar(']')) {
      Advance();
      return value;
    }
    while (true) {
      if (token_.kind == TokenKind::Symbol) {
        value.Items.push_back(ObjectValue::MakeIdentifier(token_.text));
      } else if (token_.kind == TokenKind::Integer) {
        value.Items.push_back(ObjectValue::MakeInteger(token_.integer));
      } else {
        Expected("Set element");
      }
      Advance();
      if (IsChar(']')) break;
      if (!IsChar(',')) Expected("',' or ']'");
      Advance();
    }
    Advance();
    return value;
  }

  ObjectValue ParseList(int depth) {
    CheckDepth(depth);
    ObjectValue value;
    value.Kind = ObjectValueKind::List;
    Advance();
    while (!IsChar(')')) {
      if (token_.kind == TokenKind::End) Expected("')'");
      value.Items.push_back(ParseValue(depth));
    }
    Advance();
    return value;
  }

  ObjectValue ParseCollection(int depth) {
    CheckDepth(depth);
    ObjectValue value;
    value.Kind = ObjectValueKind::Collection;
    Advance();
    while (!IsChar('>')) {
      if (!IsKeyword("item")) Expected("'item' or '>'");
      Advance();
      ObjectCollectionItem item;
      item.Index = TakeOptionalIndex();
      while (!IsKeyword("end")) {
        if (token_.kind != TokenKind::Symbol) Expected("'end'");
        item.Properties.push_back(ParseProperty(depth));
      }
      Advance();
      value.CollectionItems.push_back(std::move(item));
    }
    Advance();
    return value;
  }

  Lexer lexer_;
  Token token_;
};

void AppendIndent(std::string& out, int indent) {
  out.append(static_cast<std::size_t>(indent) * 2, ' ');
}

void AppendLine(std::string& out, int indent) {
  out += kLineBreak;
  AppendIndent(out, indent);
}

void AppendValue(std::string& out, const ObjectValue& value, int indent);

void AppendProperty(std::string& out, const ObjectProperty& property, int indent) {
  out += property.Name;
  out += " = ";
  AppendValue(out, property.Value, indent);
}

void AppendValue(std::string& out, const ObjectValue& value, int indent) {
  switch (value.Kind) {
    case ObjectValueKind::Integer:
      out += std::to_string(value.Integer);
      return;
    case ObjectValueKind::Float:
    case ObjectValueKind::Identifier:
      out += value.Text;
      return;
    case ObjectValueKind::String:
      out += QuoteObjectString(value.Text);
      return;
    case ObjectValueKind::Set:
      out += '[';
      for (std::size_t i = 0; i < value.Items.size(); ++i) {
        if (i > 0) out += ", ";
        AppendValue(out, value.Items[i], indent);
      }
      out += ']';
      return;
    case ObjectValueKind::List:
      out += '(';
      for (const auto& item : value.Items) {
        AppendLine(out, indent + 1);
        AppendValue(out, item, indent + 1);
      }
      out += ')';
      return;
    case ObjectValueKind::Binary: {
      constexpr std::size_t kBytesPerLine = 32;
      out += '{';
      for (std::size_t i = 0; i < value.Text.size(); ++i) {
        if (i % kBytesPerLine == 0) AppendLine(out, indent + 1);
        const auto byte = static_cast<unsigned char>(value.Text[i]);
        out += UpperAscii(HexDigit(byte >> 4));
        out += UpperAscii(HexDigit(byte));
      }
      out += '}';
      return;
    }
    case ObjectValueKind::Collection:
      out += '<';
      for (const auto& item : value.CollectionItems) {
        AppendLine(out, indent + 1);
        out += "item";
        if (item.Index) out += " [" + std::to_string(*item.Index) + "]";
        for (const auto& property : item.Properties) {
          AppendLine(out, indent + 2);
          AppendProperty(out, property, indent + 2);
        }
        AppendLine(out, indent + 1);
        out += "end";
      }
      out += '>';
      return;
  }
}

void AppendObject(std::string& out, const ObjectNode& node, int indent) {
  AppendIndent(out, indent);
  switch (node.Header) {
    case ObjectHeaderKind::Object:
      out += "object ";
      break;
    case ObjectHeaderKind::Inherited:
      out += "inherited ";
      break;
    case ObjectHeaderKind::Inline:
      out += "inline ";
      break;
  }
  if (!node.Name.empty()) out += node.Name + ": ";
  out += node.ClassName;
  if (node.Position) out += " [" + std::to_string(*node.Position) + "]";
  out += kLineBreak;
  for (const auto& property : node.Properties) {
    AppendIndent(out, indent + 1);
    AppendProperty(out, property, indent + 1);
    out += kLineBreak;
  }
  for (const auto& child : node.Children) AppendObject(out, child, indent + 1);
  AppendIndent(out, indent);
  out += "end";
  out += kLineBreak;
}

}  // namespace

ObjectNode ParseObjectText(std::string_view text) { return Parser(text).ParseRoot(); }

std::string WriteObjectText(const ObjectNode& node) {
  std::string out;
  AppendObject(out, node, 0);
  return out;
}

std::string WriteObjectValue(const ObjectValue& value, int indent) {
  std::string out;
  AppendValue(out, value, indent);
  return out;
}

std::string QuoteObjectString(std::string_view bytes) {
  if (bytes.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32) {
      if (quoted) out += '\'';
      quoted = false;
      out += '#';
      out += std::to_string(code);
    } else {
      if (!quoted) out += '\'';
      quoted = true;
      out += c;
      if (c == '\'') out += '\'';
    }
  }
  if (quoted) out += '\'';
  return out;
}

}  // namespace ris
