#pragma once
// Every item and control of the configuration dialog, each described once:
// its name, its kind, the row it lies in and its place there, the state of
// the form it shows and edits, the handler its click runs, and the key of
// its caption in the section "language". The form's set-up, the layout, the
// shells and `ris dialog` walk these tables; nothing finds a control by its
// name, so a control the tables do not know cannot be asked for.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <variant>

#include "dialog/dialog_controls.h"
#include "dialog/dialog_layout.h"

namespace ris {

class TConfigureForm;

enum class ControlKind : std::uint8_t {
  Label,          // static text
  LinkLabel,      // a label that opens its address when clicked
  Preview,        // a label showing an overlay's font; drawn with the shadows of its row
  PreviewShadow,  // the black copy one pixel off, behind its preview
  GroupBox,       // an item with a frame and a caption
  Panel,          // an item without a frame
  Button,
  CheckBox,
  RadioGroup,     // a frame with one radio button per item
  NumberField,    // an integer edit with up and down buttons
  CheckListBox,
  ColorFrame,     // the sunken frame around the colour swatch
  ColorSwatch,
};

// Where a control lies in its row; what its `Bounds` mean.
enum class Placement : std::uint8_t {
  Fixed,         // at Bounds, relative to the row
  FillRow,       // the whole row
  AutoSized,     // as large as its text, top-left corner at (Bounds.Left, Bounds.Top)
  RightAligned,  // as large as its text, right edge at Bounds.Left, top at Bounds.Top
  Line,          // Bounds.Left in from both sides, Bounds.Height high, centred in the row's height
  MiddleLeft,    // as large as its text at x Bounds.Left, centred in the row's height
  MiddleRight,   // Bounds.Width x Bounds.Height, Bounds.Left in from the right, centred in height
  // Bounds.Left after the control before it, centred in height: a label as
  // large as its text; a field Bounds.Width wide, narrower when the labels
  // after it would not fit the row otherwise.
  Follows,
};

enum class TextAlign : std::uint8_t { Left, Centre, Right, CentreBoth };

using ControlClick = void (TConfigureForm::*)();
using ControlState = std::variant<std::monostate, TLabelControl TConfigureForm::*, TButtonControl TConfigureForm::*,
                                  TCheckBox TConfigureForm::*, TRadioGroup TConfigureForm::*,
                                  TNumberField TConfigureForm::*, TCheckListBox TConfigureForm::*,
                                  TColor TConfigureForm::*>;

struct DialogControl {
  std::string_view Name;
  ControlKind Kind = ControlKind::Label;
  DialogRow Row = DialogRow::TitleBand;
  Placement Place = Placement::Fixed;
  TBounds Bounds;
  ControlState State;
  ControlClick Click = nullptr;
  std::string_view CaptionKey;  // in "language"; empty: the caption is not read there
  TextAlign Align = TextAlign::Left;
  bool Transparent = false;  // lies over another control, which shows through
};

enum class DialogColumn : std::uint8_t { Left, Right };

struct DialogItemSpec {
  DialogItemId Id;
  std::string_view Name;
  DialogColumn Column;
  bool GroupBox;
  std::string_view Caption;     // the built-in caption
  std::string_view CaptionKey;  // in "language"
};

struct DialogRowSpec {
  DialogItemId Item;
  DialogRow Id;
  std::string_view Name;
  std::int32_t Height;  // a row that is a label: as high as the label
  TLabelControl TConfigureForm::* Label = nullptr;
};

// The controls in creation order: header, left column, right column, footer.
std::span<const DialogControl> DialogControls();
// The items, each column top to bottom, and their rows in their order.
std::span<const DialogItemSpec> DialogItems();
std::span<const DialogRowSpec> DialogRows();

// The state a control of kind T shows, in `form`.
template <typename T, typename Form>
auto& StateOf(Form& form, const DialogControl& control) {
  return form.*std::get<T TConfigureForm::*>(control.State);
}

// The line of the table for the control that shows `state`; the first,
// where two show it.
template <typename T>
const DialogControl& ControlOf(T TConfigureForm::* state) {
  for (const DialogControl& control : DialogControls()) {
    if (control.State == ControlState(state)) return control;
  }
  throw std::logic_error("no control of the dialog shows that state");
}

}  // namespace ris
