#pragma once
// Where every control of the configuration dialog lies once its texts are
// set and its rows decided, with what it shows: the list a window system
// creates its controls from. Pixels at 96 dots per inch, in the dialog's
// client area.

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/dialog_layout.h"
#include "surface/font.h"

namespace ris {

class DialogTextMetrics;
class TConfigureForm;

enum class ControlKind : std::uint8_t {
  Label,         // static text; Centred and WordWrap say how
  LinkLabel,     // a label that opens its address when clicked
  GroupBox,      // an item with a frame and a caption
  Panel,         // an item without a frame
  Button,
  CheckBox,
  RadioGroup,    // a frame with one radio button per line of the caption
  NumberField,   // an integer edit with up and down buttons
  CheckListBox,
  ColorFrame,    // the sunken frame around the colour swatch
  ColorSwatch,
};

struct PlacedControl {
  std::string Name;
  std::string Row;  // the row it belongs to; empty outside rows
  ControlKind Kind = ControlKind::Label;
  TBounds Bounds;
  bool Visible = true;
  std::string Caption;  // a radio group's items are its lines, CR LF between
  TFont Font;
  bool Centred = false;
  bool WordWrap = false;
};

// Every control in creation order: the header, the items of both columns
// (each item before its rows' controls), the buttons and the footer.
std::vector<PlacedControl> PlaceDialog(const TConfigureForm& form, DialogTextMetrics& metrics);

// What a row shows: the captions of its controls, " | " between them.
std::string RowCaption(const std::vector<PlacedControl>& placed, std::string_view row);

// The control of that name in `placed`; nullptr when there is none.
const PlacedControl* FindPlaced(const std::vector<PlacedControl>& placed, std::string_view name);

}  // namespace ris
