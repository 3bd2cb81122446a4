#pragma once
// The object text form of streamed components: a tree of objects, each with a
// header line, property lines "Name.Sub = value" and nested child objects,
// closed by "end". Fonts travel through settings and the registry in this
// form, so the reader treats every text as untrusted: it checks every bound,
// limits nesting, and reports what is wrong and on which line.
//
//   object FontDialog1: TFontDialog
//     Font.Name = 'Arial'
//     Font.Style = [fsBold]
//   end
//
// Values are held as a tree rather than as the text they were read from, so
// that a property nobody here models is written back with the same meaning
// in one canonical spelling, whatever blanks and line breaks it was read with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ris {

struct ObjectProperty;
struct ObjectCollectionItem;

enum class ObjectValueKind : std::uint8_t {
  Integer,     // 42, -7, $1F
  Float,       // 1.5, -2e10, 0.25s
  Identifier,  // clWhite, True, Form1.Button1
  String,      // 'It''s'#13#10'two lines'
  Set,         // [fsBold, fsItalic]
  List,        // ( value value ... )
  Binary,      // {0A1B2C}
  Collection,  // < item ... end item ... end >
};

struct ObjectValue {
  ObjectValueKind Kind = ObjectValueKind::Identifier;
  std::int64_t Integer = 0;
  // Float: the literal as written ("." decimal separator, optional s/c/d
  // suffix), kept verbatim so no digit is lost to a conversion.
  // Identifier: the name. String and Binary: the bytes they stand for.
  std::string Text;
  // Set: its elements (identifiers or integers). List: its items.
  std::vector<ObjectValue> Items;
  std::vector<ObjectCollectionItem> CollectionItems;

  static ObjectValue MakeInteger(std::int64_t value);
  // Written with "." as decimal separator whatever the locale.
  static ObjectValue MakeFloat(double value);
  static ObjectValue MakeIdentifier(std::string_view name);
  static ObjectValue MakeString(std::string_view bytes);
  static ObjectValue MakeSet(const std::vector<std::string>& elements);
};

struct ObjectProperty {
  std::string Name;  // dotted path as written, e.g. "Font.Height"
  ObjectValue Value;
  int Line = 0;  // where it was read; 0 for a property made in code
};

struct ObjectCollectionItem {
  std::optional<std::int64_t> Index;  // "item [3]"
  std::vector<ObjectProperty> Properties;
};

enum class ObjectHeaderKind : std::uint8_t { Object, Inherited, Inline };

struct ObjectNode {
  ObjectHeaderKind Header = ObjectHeaderKind::Object;
  std::string Name;  // may be empty: "object TFoo"
  std::string ClassName;
  std::optional<std::int64_t> Position;  // "object A: TFoo [2]"
  std::vector<ObjectProperty> Properties;
  std::vector<ObjectNode> Children;
  int Line = 0;
};

// Objects, lists and collections may nest this deep; deeper texts are
// refused before the reader's recursion could exhaust the stack.
inline constexpr int kMaxObjectTextDepth = 64;

// Reads exactly one object, followed by nothing but blanks. Lines may end in
// CR LF or a bare LF. Raises EParserError naming the line of the fault.
ObjectNode ParseObjectText(std::string_view text);

// Writes the object with two blanks of indent per level; every line, the
// last included, ends in CR LF. Names must be identifiers for the text to
// read back.
std::string WriteObjectText(const ObjectNode& node);

// The value as written after "Name = " on a line indented by `indent` levels;
// lists, binary data and collections continue on further lines.
std::string WriteObjectValue(const ObjectValue& value, int indent = 0);

// A quoted string: printable runs in single quotes with ' doubled, bytes
// below 32 as #nn codes, e.g. 'It''s'#9'here'. The empty string is ''.
std::string QuoteObjectString(std::string_view bytes);

}  // namespace ris
