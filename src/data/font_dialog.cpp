#include "data/font_dialog.h"

#include <array>
#include <limits>
#include <optional>
#include <utility>

#include "base/ascii.h"
#include "base/errors.h"

namespace ris {
namespace {

constexpr std::array<std::pair<TFontStyle, std::string_view>, 4> kStyleNames = {{
    {TFontStyle::fsBold, "fsBold"},
    {TFontStyle::fsItalic, "fsItalic"},
    {TFontStyle::fsUnderline, "fsUnderline"},
    {TFontStyle::fsStrikeOut, "fsStrikeOut"},
}};

[[noreturn]] void InvalidValue(const ObjectProperty& property) {
  std::string message = "Invalid value for property " + property.Name;
  if (property.Line > 0) message += " on line " + std::to_string(property.Line);
  throw EParserError(message);
}

std::optional<std::int64_t> IntegerIn(const ObjectValue& value, std::int64_t low,
                                      std::int64_t high) noexcept {
  if (value.Kind != ObjectValueKind::Integer || value.Integer < low || value.Integer > high) {
    return std::nullopt;
  }
  return value.Integer;
}

std::optional<TColor> ReadColor(const ObjectValue& value) noexcept {
  if (value.Kind == ObjectValueKind::Identifier) return IdentToColor(value.Text);
  // A colour may be written as its 32-bit pattern ($FF000008) or signed.
  const auto number = IntegerIn(value, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::uint32_t>::max());
  if (!number) return std::nullopt;
  return static_cast<TColor>(static_cast<std::uint32_t>(*number));
}

std::optional<TFontCharset> ReadCharset(const ObjectValue& value) noexcept {
  if (value.Kind == ObjectValueKind::Identifier) return IdentToCharset(value.Text);
  const auto number = IntegerIn(value, 0, 255);
  if (!number) return std::nullopt;
  return static_cast<TFontCharset>(*number);
}

std::optional<TFontStyles> ReadStyle(const ObjectValue& value) noexcept {
  if (value.Kind != ObjectValueKind::Set) return std::nullopt;
  TFontStyles styles;
  for (const auto& element : value.Items) {
    bool known = false;
    for (const auto& [style, name] : kStyleNames) {
      if (element.Kind == ObjectValueKind::Identifier && EqualsFolded(element.Text, name)) {
        styles.Include(style);
        known = true;
      }
    }
    if (!known) return std::nullopt;
  }
  return styles;
}

ObjectProperty Stored(std::string_view name, ObjectValue value) {
  ObjectProperty property;
  property.Name = name;
  property.Value = std::move(value);
  return property;
}

}  // namespace

bool TFontDialog::ReadProperty(const ObjectProperty& property) {
  const std::string_view name = property.Name;
  const ObjectValue& value = property.Value;
  constexpr std::int64_t kMinInt = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMaxInt = std::numeric_limits<std::int32_t>::max();
  if (EqualsFolded(name, "Font.Charset")) {
    const auto charset = ReadCharset(value);
    if (!charset) InvalidValue(property);
    Font.Charset = *charset;
  } else if (EqualsFolded(name, "Font.Color")) {
    const auto color = ReadColor(value);
    if (!color) InvalidValue(property);
    Font.Color = *color;
  } else if (EqualsFolded(name, "Font.Height")) {
    const auto height = IntegerIn(value, kMinInt, kMaxInt);
    if (!height) InvalidValue(property);
    Font.Height = static_cast<std::int32_t>(*height);
  } else if (EqualsFolded(name, "Font.Size")) {
    const auto size = IntegerIn(value, kMinInt, kMaxInt);
    if (!size) InvalidValue(property);
    Font.SetSize(static_cast<std::int32_t>(*size));
  } else if (EqualsFolded(name, "Font.Name")) {
    if (value.Kind != ObjectValueKind::String) InvalidValue(property);
    Font.Name = value.Text;
  } else if (EqualsFolded(name, "Font.Style")) {
    const auto style = ReadStyle(value);
    if (!style) InvalidValue(property);
    Font.Style = *style;
  } else {
    return false;
  }
  return true;
}

std::vector<ObjectProperty> TFontDialog::ModelledProperties() const {
  std::vector<ObjectProperty> properties;
  const auto charset = CharsetToIdent(Font.Charset);
  properties.push_back(Stored("Font.Charset", charset ? ObjectValue::MakeIdentifier(*charset)
                                                      : ObjectValue::MakeInteger(Font.Charset)));
  const auto color = ColorToIdent(Font.Color);
  properties.push_back(Stored("Font.Color", color ? ObjectValue::MakeIdentifier(*color)
                                                  : ObjectValue::MakeInteger(Font.Color)));
  properties.push_back(Stored("Font.Height", ObjectValue::MakeInteger(Font.Height)));
  properties.push_back(Stored("Font.Name", ObjectValue::MakeString(Font.Name)));
  std::vector<std::string> styles;
  for (const auto& [style, style_name] : kStyleNames) {
    if (Font.Style.Contains(style)) styles.emplace_back(style_name);
  }
  properties.push_back(Stored("Font.Style", ObjectValue::MakeSet(styles)));
  return properties;
}

}  // namespace ris
