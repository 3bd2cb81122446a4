#include "dialog/dialog_geometry.h"

#include <algorithm>
#include <type_traits>
#include <variant>

#include "dialog/configure_form.h"
#include "dialog/dialog_host.h"

namespace ris {
namespace {

constexpr std::int32_t kRightItemLeft = kLeftColumnWidth + kColumnBorder;
constexpr std::int32_t kLeftItemWidth = kLeftColumnWidth - 2 * kColumnBorder;
constexpr std::int32_t kRightItemWidth = kDialogClientWidth - kLeftColumnWidth - 2 * kColumnBorder;
// A field that follows a label narrows to leave room for the labels after
// it, down to this.
constexpr std::int32_t kNarrowestNumberField = 45;

TFont ControlFont() {
  TFont font;
  font.Name = "MS Sans Serif";
  font.Height = -11;
  return font;
}

std::string CaptionOf(const TConfigureForm& form, const DialogControl& control) {
  return std::visit(
      [&]<typename State>(const State& state) -> std::string {
        if constexpr (std::is_same_v<State, std::monostate> || std::is_same_v<State, TNumberField TConfigureForm::*> ||
                      std::is_same_v<State, TCheckListBox TConfigureForm::*> ||
                      std::is_same_v<State, TColor TConfigureForm::*>) {
          return {};
        } else if constexpr (std::is_same_v<State, TRadioGroup TConfigureForm::*>) {
          return JoinStrings("\r\n", (form.*state).Items);
        } else {
          return (form.*state).Caption;
        }
      },
      control.State);
}

// Places the controls of one dialog: the form's state, the measuring of
// texts, and the list being built.
class Placer {
 public:
  Placer(const TConfigureForm& form, DialogTextMetrics& metrics) : form_(form), metrics_(metrics) {}

  std::vector<PlacedControl> Place() {
    std::int32_t top = 0;
    const auto band = [&](DialogRow row, std::int32_t height) {
      PlaceRow(row, {0, top, kDialogClientWidth, height}, true);
      top += height;
    };
    band(DialogRow::TitleBand, form_.lTitle.Height);
    band(DialogRow::DisclaimerBand, form_.lDisclaimer.Height);
    PlaceColumn(form_.LeftItems, kColumnBorder, kLeftItemWidth);
    PlaceColumn(form_.RightItems, kRightItemLeft, kRightItemWidth);
    top += form_.ColumnHeight();
    band(DialogRow::ButtonBand, kButtonPanelHeight);
    band(DialogRow::CopyrightURLBand, form_.lCopyrightURL.Height);
    band(DialogRow::CopyrightBand, form_.lCopyright.Height);
    return std::move(placed_);
  }

 private:
  void PlaceColumn(const std::vector<TDialogItem>& items, std::int32_t left, std::int32_t width) {
    std::int32_t top = form_.ColumnTop() + kColumnBorder;
    for (const TDialogItem& item : items) {
      const TBounds bounds{left, top, width, item.Height};
      PlacedControl placed;
      placed.Name = item.Name;
      placed.Kind = item.GroupBox ? ControlKind::GroupBox : ControlKind::Panel;
      placed.Bounds = bounds;
      placed.RowBounds = bounds;
      placed.Visible = item.Visible;
      placed.Caption = item.Caption;
      placed.Font = ControlFont();
      placed_.push_back(std::move(placed));
      const TBounds area = RowArea(item, width);
      std::int32_t row_top = top + area.Top;
      for (const TDialogRow& row : item.Rows) {
        PlaceRow(row.Id, {left + area.Left, row_top, area.Width, row.CurrentHeight()}, item.Visible && row.Visible);
        if (row.Visible) row_top += row.CurrentHeight();
      }
      if (item.Visible) top += item.Height + kColumnBorder;
    }
  }

  void PlaceRow(DialogRow row, TBounds area, bool visible) {
    const auto controls = DialogControls();
    for (auto control = controls.begin(); control != controls.end(); ++control) {
      if (control->Row != row) continue;
      PlacedControl placed;
      placed.Control = &*control;
      placed.Name = control->Name;
      placed.Kind = control->Kind;
      placed.Row = row;
      placed.RowBounds = area;
      placed.Visible = visible;
      placed.Caption = CaptionOf(form_, *control);
      placed.Font = ControlFont();
      if (const auto* label = std::get_if<TLabelControl TConfigureForm::*>(&control->State)) {
        placed.Font = (form_.**label).Font;
        placed.WordWrap = (form_.**label).WordWrap;
        placed.Encoding = (form_.**label).Encoding;
      }
      placed.Bounds = BoundsOf(*control, placed, area, WidthAfter(row, control + 1, controls.end()));
      placed_.push_back(std::move(placed));
    }
  }

  std::int32_t TextWidth(const PlacedControl& placed) const {
    return metrics_.TextWidth(placed.Font, placed.Caption, placed.Encoding);
  }

  std::int32_t TextHeight(const DialogControl& control) const {
    const auto* label = std::get_if<TLabelControl TConfigureForm::*>(&control.State);
    return label != nullptr ? (form_.**label).Height : control.Bounds.Height;
  }

  // How wide the labels that follow a control in its row are, with their gaps.
  std::int32_t WidthAfter(DialogRow row, std::span<const DialogControl>::iterator next,
                          std::span<const DialogControl>::iterator end) const {
    std::int32_t width = 0;
    for (; next != end; ++next) {
      const auto* label = std::get_if<TLabelControl TConfigureForm::*>(&next->State);
      if (next->Row != row || next->Place != Placement::Follows || label == nullptr) continue;
      const TLabelControl& following = form_.**label;
      width += next->Bounds.Left + metrics_.TextWidth(following.Font, following.Caption, following.Encoding);
    }
    return width;
  }

  TBounds BoundsOf(const DialogControl& control, const PlacedControl& placed, TBounds row,
                   std::int32_t width_after) const {
    const TBounds& at = control.Bounds;
    const std::int32_t height = TextHeight(control);
    const auto middle = [&](std::int32_t h) { return row.Top + (row.Height - h) / 2; };
    switch (control.Place) {
      case Placement::Fixed:
        return {row.Left + at.Left, row.Top + at.Top, at.Width, at.Height};
      case Placement::FillRow:
        return row;
      case Placement::AutoSized:
        return {row.Left + at.Left, row.Top + at.Top, TextWidth(placed), height};
      case Placement::RightAligned: {
        const std::int32_t width = TextWidth(placed);
        return {row.Left + at.Left - width, row.Top + at.Top, width, height};
      }
      case Placement::Line:
        return {row.Left + at.Left, middle(at.Height), row.Width - 2 * at.Left, at.Height};
      case Placement::MiddleLeft:
        return {row.Left + at.Left, middle(height), TextWidth(placed), height};
      case Placement::MiddleRight:
        return {row.Right() - at.Left - at.Width, middle(at.Height), at.Width, at.Height};
      case Placement::Follows: {
        const std::int32_t left = placed_.back().Bounds.Right() + at.Left;
        if (control.Kind != ControlKind::NumberField) return {left, middle(height), TextWidth(placed), height};
        const std::int32_t room = row.Right() - left - width_after - at.Left;
        return {left, middle(at.Height), std::clamp(room, kNarrowestNumberField, at.Width), at.Height};
      }
    }
    return row;
  }

  const TConfigureForm& form_;
  DialogTextMetrics& metrics_;
  std::vector<PlacedControl> placed_;
};

}  // namespace

std::vector<PlacedControl> PlaceDialog(const TConfigureForm& form, DialogTextMetrics& metrics) {
  return Placer(form, metrics).Place();
}

std::string RowCaption(const std::vector<PlacedControl>& placed, DialogRow row) {
  std::string caption;
  for (const PlacedControl& control : placed) {
    if (control.Control == nullptr || control.Row != row || control.Caption.empty() ||
        control.Kind == ControlKind::PreviewShadow) {
      continue;
    }
    if (!caption.empty()) caption += " | ";
    caption += control.Caption;
  }
  return caption;
}

const PlacedControl* FindPlaced(const std::vector<PlacedControl>& placed, const DialogControl& control) {
  const auto found = std::find_if(placed.begin(), placed.end(),
                                  [&](const PlacedControl& candidate) { return candidate.Control == &control; });
  return found == placed.end() ? nullptr : &*found;
}

}  // namespace ris
