#include "dialog/dialog_table.h"

#include "dialog/configure_form.h"

namespace ris {
namespace {

using F = TConfigureForm;
using enum DialogRow;
using enum DialogItemId;

// Checks, number fields and their labels sit this far in from the row's
// sides.
constexpr std::int32_t kInset = 8;
constexpr std::int32_t kCheckBoxHeight = 17;
constexpr std::int32_t kGap = 4;
constexpr TBounds kNumberField{kInset, 0, 65, 21};
// The shadow lies one pixel right of and below its preview.
constexpr TBounds kPreviewAt{5, 0, 0, 0};
constexpr TBounds kShadowAt{6, 1, 0, 0};

// Every line of the table is made here; one builder a kind below, so that
// a control's kind and the state it edits always agree.
DialogControl Line(std::string_view name, ControlKind kind, DialogRow row, Placement place, TBounds bounds,
                   ControlState state, ControlClick click = nullptr, std::string_view key = {},
                   TextAlign align = TextAlign::Left, bool transparent = false) {
  DialogControl control;
  control.Name = name;
  control.Kind = kind;
  control.Row = row;
  control.Place = place;
  control.Bounds = bounds;
  control.State = state;
  control.Click = click;
  control.CaptionKey = key;
  control.Align = align;
  control.Transparent = transparent;
  return control;
}

DialogControl Label(std::string_view name, DialogRow row, Placement place, TBounds bounds, TLabelControl F::* state,
                    std::string_view key = {}, TextAlign align = TextAlign::Left) {
  return Line(name, ControlKind::Label, row, place, bounds, state, nullptr, key, align);
}
DialogControl Link(std::string_view name, DialogRow row, TLabelControl F::* state, ControlClick click) {
  return Line(name, ControlKind::LinkLabel, row, Placement::FillRow, {}, state, click, {}, TextAlign::Centre);
}
DialogControl Preview(std::string_view name, ControlKind kind, DialogRow row, TLabelControl F::* state) {
  const TBounds at = kind == ControlKind::PreviewShadow ? kShadowAt : kPreviewAt;
  return Line(name, kind, row, Placement::AutoSized, at, state, nullptr, {}, TextAlign::Left, true);
}
DialogControl Button(std::string_view name, DialogRow row, TBounds bounds, TButtonControl F::* state,
                     ControlClick click, std::string_view key) {
  return Line(name, ControlKind::Button, row, Placement::Fixed, bounds, state, click, key);
}
DialogControl CheckBox(std::string_view name, DialogRow row, TCheckBox F::* state, std::string_view key) {
  return Line(name, ControlKind::CheckBox, row, Placement::Line, {kInset, 0, 0, kCheckBoxHeight}, state, nullptr,
              key);
}
DialogControl Radio(std::string_view name, DialogRow row, TBounds bounds, TRadioGroup F::* state,
                    std::string_view key) {
  return Line(name, ControlKind::RadioGroup, row, Placement::Fixed, bounds, state, nullptr, key);
}
DialogControl Number(std::string_view name, DialogRow row, Placement place, TNumberField F::* state) {
  TBounds bounds = kNumberField;
  if (place == Placement::Follows) bounds.Left = kGap;
  return Line(name, ControlKind::NumberField, row, place, bounds, state);
}
DialogControl Swatch(std::string_view name, ControlKind kind, TBounds bounds) {
  return Line(name, kind, DialogRow::pBackgroundColor, Placement::Fixed, bounds, &F::BackColor);
}

const DialogControl kControls[] = {
    // Header.
    Link("lTitle", TitleBand, &F::lTitle, &F::lTitleClick),
    Line("lVersion", ControlKind::Label, TitleBand, Placement::RightAligned, {467, 2, 0, 0}, &F::lVersion, nullptr, {},
         TextAlign::Right, true),
    Label("lDisclaimer", DisclaimerBand, Placement::FillRow, {}, &F::lDisclaimer, {}, TextAlign::Centre),
    // Left column.
    Button("btnSetBackgroundColor", pBackgroundColor, {8, 5, 121, 25}, &F::btnSetBackgroundColor,
           &F::btnSetBackgroundColorClick, "setBackgroundColor"),
    Swatch("pBackColorFrame", ControlKind::ColorFrame, {136, 5, 81, 25}),
    Swatch("pBackColor", ControlKind::ColorSwatch, {138, 7, 77, 21}),
    CheckBox("cbShowBackground", pShowBackground, &F::cbShowBackground, "showBackground"),
    Radio("rgFilenameSettings", pFilename, {8, 0, 210, 62}, &F::rgFilenameSettings, "FilenameSettingsOptions"),
    Button("btnSetFilenameFont", pFilename, {110, 16, 99, 25}, &F::btnSetFilenameFont, &F::btnSetFilenameFontClick,
           "setFilenameFont"),
    Preview("lFilenameShadow", ControlKind::PreviewShadow, pFilenameFont, &F::lFilenameShadow),
    Preview("lFilename", ControlKind::Preview, pFilenameFont, &F::lFilename),
    Radio("rgClockSettings", pClock, {4, 0, 217, 78}, &F::rgClockSettings, "clockSettingsOptions"),
    Button("btnSetClockFont", pClock, {102, 16, 99, 25}, &F::btnSetClockFont, &F::btnSetClockFontClick,
           "setClockFont"),
    Preview("lClockShadow", ControlKind::PreviewShadow, pClockFont, &F::lClockShadow),
    Preview("lClock", ControlKind::Preview, pClockFont, &F::lClock),
    Label("lBounceSpeed", pSpeed, Placement::MiddleLeft, {kInset, 0, 0, 0}, &F::lBounceSpeed, "bounceSpeed"),
    Number("seSpeed", pSpeed, Placement::MiddleRight, &F::seSpeed),
    CheckBox("cbFixedSpeed", pFixedSpeed, &F::cbFixedSpeed, "bounceFixedSpeed"),
    Label("lSpeed", pNrImages, Placement::MiddleLeft, {kInset, 0, 0, 0}, &F::lSpeed, "numberOfImages"),
    Number("spNrImages", pNrImages, Placement::MiddleRight, &F::spNrImages),
    CheckBox("cbBounce", pBounceImages, &F::cbBounce, "bounceImages"),
    // Right column.
    Label("lMoreInfo", lMoreInfo, Placement::FillRow, {}, &F::lMoreInfo, {}, TextAlign::Centre),
    Link("lMoreInfoURL", lMoreInfoURL, &F::lMoreInfoURL, &F::lMoreInfoURLClick),
    Label("lShortcutkeys", lShortcutkeys, Placement::FillRow, {}, &F::lShortcutkeys),
    Label("lChangeSetsAfter", pSetTime, Placement::MiddleLeft, {kInset, 0, 0, 0}, &F::lChangeSetsAfter,
          "changeSetAfter"),
    Number("seSetTime", pSetTime, Placement::Follows, &F::seSetTime),
    Label("lSeconds", pSetTime, Placement::Follows, {kGap, 0, 0, 0}, &F::lSeconds, "seconds"),
    Line("clbSets", ControlKind::CheckListBox, clbSets, Placement::FillRow, {}, &F::clbSets),
    // Footer.
    Button("btnOk", ButtonBand, {244, 0, 81, 28}, &F::btnOk, &F::btnOkClick, "ok"),
    Button("btnCancel", ButtonBand, {348, 0, 81, 28}, &F::btnCancel, &F::btnCancelClick, "cancel"),
    Link("lCopyrightURL", CopyrightURLBand, &F::lCopyrightURL, &F::lCopyrightURLClick),
    Label("lCopyright", CopyrightBand, Placement::FillRow, {}, &F::lCopyright, {}, TextAlign::CentreBoth),
};

const DialogItemSpec kItems[] = {
    {gbGeneral, "gbGeneral", DialogColumn::Left, true, "General", "general"},
    {gbFilenameSettings, "gbFilenameSettings", DialogColumn::Left, true, "Filename Settings", "FilenameSettings"},
    {gbClockSettings, "gbClockSettings", DialogColumn::Left, true, "Clock Settings", "clockSettings"},
    {gbBounce, "gbBounce", DialogColumn::Left, true, "Bounce", "bounce"},
    {pGeneral, "pGeneral", DialogColumn::Right, false, "", ""},
    {gbSets, "gbSets", DialogColumn::Right, true, "Sets", "sets"},
};

const DialogRowSpec kRows[] = {
    {gbGeneral, pBackgroundColor, "pBackgroundColor", 36, nullptr},
    {gbGeneral, pShowBackground, "pShowBackground", 20, nullptr},
    {gbFilenameSettings, pFilename, "pFilename", 67, nullptr},
    {gbFilenameSettings, pFilenameFont, "pFilenameFont", 31, nullptr},
    {gbClockSettings, pClock, "pClock", 82, nullptr},
    {gbClockSettings, pClockFont, "pClockFont", 56, nullptr},
    {gbBounce, pSpeed, "pSpeed", 25, nullptr},
    {gbBounce, pFixedSpeed, "pFixedSpeed", 20, nullptr},
    {gbBounce, pNrImages, "pNrImages", 25, nullptr},
    {gbBounce, pBounceImages, "pBounceImages", 20, nullptr},
    {pGeneral, lMoreInfo, "lMoreInfo", 0, &F::lMoreInfo},
    {pGeneral, lMoreInfoURL, "lMoreInfoURL", 0, &F::lMoreInfoURL},
    {pGeneral, lShortcutkeys, "lShortcutkeys", 0, &F::lShortcutkeys},
    {gbSets, pSetTime, "pSetTime", 30, nullptr},
    {gbSets, clbSets, "clbSets", 56, nullptr},
};

}  // namespace

std::span<const DialogControl> DialogControls() { return kControls; }
std::span<const DialogItemSpec> DialogItems() { return kItems; }
std::span<const DialogRowSpec> DialogRows() { return kRows; }

}  // namespace ris
