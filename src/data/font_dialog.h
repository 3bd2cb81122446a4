#pragma once
// The font-dialog component that holds a font in the settings and the
// registry as object text:
//
//   object FontDialog1: TFontDialog
//     Font.Charset = DEFAULT_CHARSET
//     Font.Color = clWhite
//     Font.Height = -24
//     Font.Name = 'Arial'
//     Font.Style = [fsBold]
//   end

#include <string_view>
#include <vector>

#include "data/component.h"
#include "surface/font.h"

namespace ris {

class TFontDialog : public TComponent {
 public:
  static constexpr std::string_view kClassName = "TFontDialog";

  std::string_view ClassName() const override { return kClassName; }

  TFont Font;

 protected:
  // Font.Charset, Font.Color, Font.Height, Font.Name and Font.Style; also
  // Font.Size, which is stored back as Font.Height. A value of the wrong
  // kind or out of range raises EParserError.
  bool ReadProperty(const ObjectProperty& property) override;
  std::vector<ObjectProperty> ModelledProperties() const override;
};

}  // namespace ris
