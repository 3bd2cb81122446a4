#pragma once
// Where every item and control of the configuration dialog lies once its
// texts are set and its rows decided, with what it shows: the list a window
// system creates its controls from. Pixels at 96 dots per inch, in the
// dialog's client area.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_layout.h"
#include "dialog/dialog_table.h"
#include "surface/font.h"

namespace ris {

class DialogTextMetrics;
class TConfigureForm;

struct PlacedControl {
  // The control's line of the table; nullptr for an item.
  const DialogControl* Control = nullptr;
  std::string_view Name;
  ControlKind Kind = ControlKind::Label;
  DialogRow Row = DialogRow::TitleBand;  // not set for an item
  TBounds Bounds;
  TBounds RowBounds;  // the row it lies in, which clips what it draws
  bool Visible = true;
  std::string Caption;  // a radio group's items are its lines, CR LF between
  TFont Font;
  TextEncoding Encoding = TextEncoding::ProductCodePage;  // of the caption
  bool WordWrap = false;
};

// Every item and control in creation order: the header, the items of both
// columns (each item before its rows' controls), the buttons and the footer.
std::vector<PlacedControl> PlaceDialog(const TConfigureForm& form, DialogTextMetrics& metrics);

// What a row shows: the captions of its controls, " | " between them.
std::string RowCaption(const std::vector<PlacedControl>& placed, DialogRow row);

// The control that the table's line `control` placed; nullptr when there is none.
const PlacedControl* FindPlaced(const std::vector<PlacedControl>& placed, const DialogControl& control);

}  // namespace ris
