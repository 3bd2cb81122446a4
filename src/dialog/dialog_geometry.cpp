#include "dialog/dialog_geometry.h"

#include <algorithm>

#include "dialog/configure_form.h"
#include "dialog/dialog_host.h"

namespace ris {
namespace {

constexpr std::int32_t kRightItemLeft = kLeftColumnWidth + kColumnBorder;
constexpr std::int32_t kLeftItemWidth = kLeftColumnWidth - 2 * kColumnBorder;
constexpr std::int32_t kRightItemWidth = kDialogClientWidth - kLeftColumnWidth - 2 * kColumnBorder;
constexpr std::int32_t kVersionRight = 467;
constexpr std::int32_t kVersionTop = 2;
constexpr std::int32_t kOkLeft = 244;
constexpr std::int32_t kCancelLeft = 348;
constexpr std::int32_t kButtonWidth = 81;
constexpr std::int32_t kButtonHeight = 28;
constexpr std::int32_t kNumberFieldWidth = 65;
constexpr std::int32_t kNumberFieldHeight = 21;
constexpr std::int32_t kNarrowestNumberField = 45;
constexpr std::int32_t kCheckBoxHeight = 17;

TFont ControlFont() {
  TFont font;
  font.Name = "MS Sans Serif";
  font.Height = -11;
  return font;
}

// Places the controls of one dialog: the form's state, the measuring of
// texts, and the list being built.
class Placer {
 public:
  Placer(const TConfigureForm& form, DialogTextMetrics& metrics) : form_(form), metrics_(metrics) {}

  std::vector<PlacedControl> Place() {
    PlaceHeader();
    PlaceColumn(form_.LeftItems, kColumnBorder, kLeftItemWidth);
    PlaceColumn(form_.RightItems, kRightItemLeft, kRightItemWidth);
    PlaceFooter();
    return std::move(placed_);
  }

 private:
  PlacedControl& Add(std::string name, ControlKind kind, TBounds bounds, std::string caption = {}) {
    PlacedControl control{std::move(name), row_name_, kind, bounds, row_visible_, std::move(caption), ControlFont()};
    placed_.push_back(std::move(control));
    return placed_.back();
  }

  PlacedControl& AddLabel(std::string name, const TLabelControl& label, TBounds bounds,
                          ControlKind kind = ControlKind::Label) {
    PlacedControl& control = Add(std::move(name), kind, bounds, label.Caption);
    control.Font = label.Font;
    return control;
  }

  // An auto-sized label whose top-left corner is at (left, top) of the row.
  void AddAutoSized(std::string name, const TLabelControl& label, std::int32_t left, std::int32_t top) {
    const std::int32_t width = metrics_.TextWidth(label.Font, label.Caption);
    AddLabel(std::move(name), label, {row_.Left + left, row_.Top + top, width, label.Height});
  }

  TBounds InRow(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) const {
    return {row_.Left + left, row_.Top + top, width, height};
  }

  void PlaceHeader() {
    const std::int32_t title_height = form_.lTitle.Height;
    PlacedControl& title = AddLabel("lTitle", form_.lTitle, {0, 0, kDialogClientWidth, title_height},
                                    ControlKind::LinkLabel);
    title.Centred = true;
    PlacedControl& disclaimer =
        AddLabel("lDisclaimer", form_.lDisclaimer, {0, title_height, kDialogClientWidth, form_.lDisclaimer.Height});
    disclaimer.Centred = true;
    disclaimer.WordWrap = true;
    const std::int32_t version_width = metrics_.TextWidth(form_.lVersion.Font, form_.lVersion.Caption);
    AddLabel("lVersion", form_.lVersion,
             {kVersionRight - version_width, kVersionTop, version_width, form_.lVersion.Height});
  }

  void PlaceColumn(const std::vector<TDialogItem>& items, std::int32_t left, std::int32_t width) {
    std::int32_t top = form_.ColumnTop() + kColumnBorder;
    for (const TDialogItem& item : items) {
      row_visible_ = item.Visible;
      const TBounds bounds{left, top, width, item.Height};
      Add(item.Name, item.GroupBox ? ControlKind::GroupBox : ControlKind::Panel, bounds, item.Caption);
      const TBounds area = RowArea(item, width);
      std::int32_t row_top = top + area.Top;
      for (const TDialogRow& row : item.Rows) {
        row_visible_ = item.Visible && row.Visible;
        row_ = {left + area.Left, row_top, area.Width, row.CurrentHeight()};
        row_name_ = row.Name;
        PlaceRow(row.Name);
        row_name_.clear();
        if (row.Visible) row_top += row.CurrentHeight();
      }
      if (item.Visible) top += item.Height + kColumnBorder;
    }
    row_visible_ = true;
  }

  void PlaceRow(std::string_view row) {
    if (row == "pBackgroundColor") return PlaceBackgroundColorRow();
    if (row == "pShowBackground") return PlaceCheckBox("cbShowBackground", form_.cbShowBackground.Caption);
    if (row == "pFilename") {
      return PlaceRadioRow("rgFilenameSettings", form_.rgFilenameSettings, {8, 0, 210, 62}, "btnSetFilenameFont",
                           form_.btnSetFilenameFont.Caption, 110);
    }
    if (row == "pFilenameFont") return PlacePreview("lFilename", form_.lFilename, form_.lFilenameShadow);
    if (row == "pClock") {
      return PlaceRadioRow("rgClockSettings", form_.rgClockSettings, {4, 0, 217, 78}, "btnSetClockFont",
                           form_.btnSetClockFont.Caption, 102);
    }
    if (row == "pClockFont") return PlacePreview("lClock", form_.lClock, form_.lClockShadow);
    if (row == "pSpeed") return PlaceNumberRow("lBounceSpeed", form_.lBounceSpeed, "seSpeed");
    if (row == "pFixedSpeed") return PlaceCheckBox("cbFixedSpeed", form_.cbFixedSpeed.Caption);
    if (row == "pNrImages") return PlaceNumberRow("lSpeed", form_.lSpeed, "spNrImages");
    if (row == "pBounceImages") return PlaceCheckBox("cbBounce", form_.cbBounce.Caption);
    if (row == "lMoreInfo") return PlaceWrapped("lMoreInfo", form_.lMoreInfo);
    if (row == "lMoreInfoURL") {
      AddLabel("lMoreInfoURL", form_.lMoreInfoURL, row_, ControlKind::LinkLabel).Centred = true;
      return;
    }
    if (row == "lShortcutkeys") return PlaceWrapped("lShortcutkeys", form_.lShortcutkeys);
    if (row == "pSetTime") return PlaceSetTimeRow();
    if (row == "clbSets") Add("clbSets", ControlKind::CheckListBox, row_);
  }

  void PlaceBackgroundColorRow() {
    Add("btnSetBackgroundColor", ControlKind::Button, InRow(8, 5, 121, 25), form_.btnSetBackgroundColor.Caption);
    Add("pBackColorFrame", ControlKind::ColorFrame, InRow(136, 5, 81, 25));
    Add("pBackColor", ControlKind::ColorSwatch, InRow(138, 7, 77, 21));
  }

  void PlaceCheckBox(std::string name, const std::string& caption) {
    Add(std::move(name), ControlKind::CheckBox, InRow(8, (row_.Height - kCheckBoxHeight) / 2, row_.Width - 16,
                                                      kCheckBoxHeight),
        caption);
  }

  void PlaceRadioRow(std::string group, const TRadioGroup& radio, TBounds bounds, std::string button,
                     const std::string& button_caption, std::int32_t button_left) {
    Add(std::move(group), ControlKind::RadioGroup, InRow(bounds.Left, bounds.Top, bounds.Width, bounds.Height),
        JoinStrings("\r\n", radio.Items));
    Add(std::move(button), ControlKind::Button, InRow(button_left, 16, 99, 25), button_caption);
  }

  void PlacePreview(std::string name, const TLabelControl& label, const TLabelControl& shadow) {
    AddAutoSized(name + "Shadow", shadow, 6, 1);
    AddAutoSized(std::move(name), label, 5, 0);
  }

  void PlaceNumberRow(std::string label_name, const TLabelControl& label, std::string field) {
    AddAutoSized(std::move(label_name), label, 8, (row_.Height - label.Height) / 2);
    Add(std::move(field), ControlKind::NumberField,
        InRow(row_.Width - kNumberFieldWidth - 8, (row_.Height - kNumberFieldHeight) / 2, kNumberFieldWidth,
              kNumberFieldHeight));
  }

  void PlaceWrapped(std::string name, const TLabelControl& label) {
    PlacedControl& control = AddLabel(std::move(name), label, row_);
    control.WordWrap = true;
    control.Centred = true;
  }

  // "Change set after", the field, "seconds": a long caption narrows the
  // field rather than pushing the last word out of the group.
  void PlaceSetTimeRow() {
    const std::int32_t label_top = (row_.Height - form_.lChangeSetsAfter.Height) / 2;
    AddAutoSized("lChangeSetsAfter", form_.lChangeSetsAfter, 8, label_top);
    const std::int32_t field_left = 8 + placed_.back().Bounds.Width + 4;
    const std::int32_t seconds_width = metrics_.TextWidth(form_.lSeconds.Font, form_.lSeconds.Caption);
    const std::int32_t field_width =
        std::clamp(row_.Width - field_left - 4 - seconds_width - 4, kNarrowestNumberField, kNumberFieldWidth);
    Add("seSetTime", ControlKind::NumberField,
        InRow(field_left, (row_.Height - kNumberFieldHeight) / 2, field_width, kNumberFieldHeight));
    AddAutoSized("lSeconds", form_.lSeconds, field_left + field_width + 4, label_top);
  }

  void PlaceFooter() {
    const std::int32_t buttons_top = form_.ColumnTop() + form_.ColumnHeight();
    Add("btnOk", ControlKind::Button, {kOkLeft, buttons_top, kButtonWidth, kButtonHeight}, form_.btnOk.Caption);
    Add("btnCancel", ControlKind::Button, {kCancelLeft, buttons_top, kButtonWidth, kButtonHeight},
        form_.btnCancel.Caption);
    const std::int32_t link_top = buttons_top + kButtonPanelHeight;
    AddLabel("lCopyrightURL", form_.lCopyrightURL, {0, link_top, kDialogClientWidth, form_.lCopyrightURL.Height},
             ControlKind::LinkLabel)
        .Centred = true;
    AddLabel("lCopyright", form_.lCopyright,
             {0, link_top + form_.lCopyrightURL.Height, kDialogClientWidth, form_.lCopyright.Height})
        .Centred = true;
  }

  const TConfigureForm& form_;
  DialogTextMetrics& metrics_;
  std::vector<PlacedControl> placed_;
  TBounds row_;
  std::string row_name_;
  bool row_visible_ = true;
};

}  // namespace

std::vector<PlacedControl> PlaceDialog(const TConfigureForm& form, DialogTextMetrics& metrics) {
  return Placer(form, metrics).Place();
}

std::string RowCaption(const std::vector<PlacedControl>& placed, std::string_view row) {
  std::string caption;
  for (const PlacedControl& control : placed) {
    if (control.Row != row || control.Caption.empty() || control.Name.ends_with("Shadow")) continue;
    if (!caption.empty()) caption += " | ";
    caption += control.Caption;
  }
  return caption;
}

const PlacedControl* FindPlaced(const std::vector<PlacedControl>& placed, std::string_view name) {
  const auto found =
      std::find_if(placed.begin(), placed.end(), [&](const PlacedControl& control) { return control.Name == name; });
  return found == placed.end() ? nullptr : &*found;
}

}  // namespace ris
