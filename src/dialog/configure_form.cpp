#include "dialog/configure_form.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "base/conversions.h"
#include "data/clock_text.h"
#include "data/settings.h"
#include "data/settings_list.h"
#include "data/zip_file_settings.h"
#include "dialog/dialog_texts.h"

namespace ris {
namespace {

constexpr std::int32_t kRightColumnWidth = kDialogClientWidth - kLeftColumnWidth;
constexpr std::int32_t kRightItemWidth = kRightColumnWidth - 2 * kColumnBorder;

// "select" in the section "sets": how the set list is checked when it is
// filled.
constexpr std::int32_t kCheckStoredSelection = -1;
constexpr std::int32_t kCheckEverySet = 1;
constexpr std::string_view kEverySet = "*all*";

TFont DialogFont() {
  TFont font;
  font.Name = "MS Sans Serif";
  font.Height = -11;
  font.Color = clWindowText;
  return font;
}

TFont LinkFont(std::int32_t height) {
  TFont font;
  font.Name = "Arial";
  font.Height = -height;
  font.Color = clHotLight;
  font.Style = {TFontStyle::fsBold, TFontStyle::fsUnderline};
  return font;
}

TLabelControl Label(TFont font, std::int32_t width = 0, std::string caption = {}) {
  return TLabelControl{std::move(caption), std::move(font), width, 0};
}

}  // namespace

TConfigureForm::TConfigureForm(DialogPlatform platform, CommandLine command)
    : platform_(platform), command_(command) {
  TFont title = DialogFont();
  title.Height = -33;
  title.Style = {TFontStyle::fsBold};
  title.Color = clNavy;
  lTitle = Label(title, kDialogClientWidth);
  TFont disclaimer = DialogFont();
  disclaimer.Color = clRed;
  lDisclaimer = Label(disclaimer, kDialogClientWidth);
  lDisclaimer.WordWrap = true;
  TFont version = DialogFont();
  version.Style = {TFontStyle::fsBold};
  lVersion = Label(version);
  TFont copyright = DialogFont();
  copyright.Color = clBlack;
  lCopyright = Label(copyright, kDialogClientWidth);
  lCopyright.Height = kCopyrightHeight;
  lCopyright.AutoSize = false;
  lCopyrightURL = Label(LinkFont(40), kDialogClientWidth);
  lFilename = Label(DialogFont(), 0, "Filename example");
  lFilenameShadow = lFilename;
  lClock = Label(DialogFont(), 0, "00:00:00");
  lClock.Encoding = TextEncoding::Utf8;
  lClockShadow = lClock;
  lBounceSpeed = Label(DialogFont(), 0, "Bounce speed:");
  lSpeed = Label(DialogFont(), 0, "Number of images:");
  lMoreInfo = Label(DialogFont(), kRightItemWidth);
  lMoreInfo.WordWrap = true;
  lMoreInfoURL = Label(LinkFont(21), kRightItemWidth);
  lShortcutkeys = Label(DialogFont(), kRightItemWidth);
  lShortcutkeys.WordWrap = true;
  lChangeSetsAfter = Label(DialogFont(), 0, "Change set after ");
  lSeconds = Label(DialogFont(), 0, "seconds");
  // The built-in caption says what a checked box does: every image starts
  // at the same speed.
  cbFixedSpeed.Caption = "Same speed for every image";
  BuildItems();
  FormCreate();
}

TConfigureForm::~TConfigureForm() { FormDestroy(); }

void TConfigureForm::BuildItems() {
  for (const DialogItemSpec& spec : DialogItems()) {
    TDialogItem item;
    item.Id = spec.Id;
    item.Name = spec.Name;
    item.Caption = spec.Caption;
    item.GroupBox = spec.GroupBox;
    for (const DialogRowSpec& spec_row : DialogRows()) {
      if (spec_row.Item != spec.Id) continue;
      TDialogRow& row = item.Rows.emplace_back();
      row.Id = spec_row.Id;
      row.Name = spec_row.Name;
      row.Height = spec_row.Height;
      if (spec_row.Label != nullptr) row.Label = &(this->*spec_row.Label);
    }
    (spec.Column == DialogColumn::Left ? LeftItems : RightItems).push_back(std::move(item));
  }
}

TDialogItem& TConfigureForm::Item(DialogItemId id) {
  for (auto* column : {&LeftItems, &RightItems}) {
    for (TDialogItem& item : *column) {
      if (item.Id == id) return item;
    }
  }
  throw std::out_of_range("the dialog has no such item");
}

const TDialogItem& TConfigureForm::Item(DialogItemId id) const { return const_cast<TConfigureForm&>(*this).Item(id); }

void TConfigureForm::FormCreate() {
  classes_.Register<TFontDialog>();
  running_seconds_ = 0;
  archive_ = std::make_unique<TZipFileSettings>(platform_.system, command_.Mode);
  archive_->ScanSets();
  code_page_ = ProductCodePage(archive_->SettingsList());
  platform_.metrics.SetCodePage(code_page_);
  LoadDialogTexts();
  settings_ = std::make_unique<TSettings>(archive_->SettingsList(), platform_.registry, classes_);
  settings_->SetProblemHandler([this](const std::string& problem) { platform_.host.SaveFailed(problem); });
  LoadControls();
  LoadGeneralTexts();
  FillSetList();
  LayoutDialog();
  tClockTimer(PreviewClockSender::SetUp);
}

void TConfigureForm::LoadDialogTexts() {
  const TSettingsList& texts = archive_->SettingsList();
  Caption = texts.ReadValueDef("Configure", "configure", "language") + " " + texts.ReadValue("title", "general");
  const auto read = [&](std::string& caption, std::string_view key) {
    caption = texts.ReadValueDef(caption, key, "language");
  };
  for (const DialogItemSpec& spec : DialogItems()) {
    if (!spec.CaptionKey.empty()) read(Item(spec.Id).Caption, spec.CaptionKey);
  }
  for (const DialogControl& control : DialogControls()) {
    if (control.CaptionKey.empty()) continue;
    switch (control.Kind) {
      case ControlKind::Button:
        read(StateOf<TButtonControl>(*this, control).Caption, control.CaptionKey);
        break;
      case ControlKind::CheckBox:
        read(StateOf<TCheckBox>(*this, control).Caption, control.CaptionKey);
        break;
      case ControlKind::RadioGroup: {
        TRadioGroup& group = StateOf<TRadioGroup>(*this, control);
        std::string items = RadioItemsText(group.Items);
        read(items, control.CaptionKey);
        group.Items = RadioItemsFromText(items);
        break;
      }
      default: {
        TLabelControl& label = StateOf<TLabelControl>(*this, control);
        read(label.Caption, control.CaptionKey);
        MeasureLabel(label);
      }
    }
  }
}

void TConfigureForm::LoadControls() {
  const TSettings& settings = *settings_;
  rgClockSettings.ItemIndex = settings.clock;
  BackColor = settings.BackgroundColor;
  const auto preview_font = [&](TLabelControl& label, TLabelControl& shadow, const TFont& font) {
    label.Font = font;
    shadow.Font = font;
    shadow.Font.Color = clBlack;
    MeasureLabel(label);
    MeasureLabel(shadow);
  };
  preview_font(lClock, lClockShadow, settings.ClockFontDialog->Font);
  rgFilenameSettings.ItemIndex = settings.filename;
  preview_font(lFilename, lFilenameShadow, settings.FilenameFontDialog->Font);
  seSpeed.SetValue(settings.Speed);
  cbBounce.Checked = settings.bounceImages;
  cbFixedSpeed.Checked = settings.fixedSpeed;
  spNrImages.SetValue(settings.nrImages);
  cbShowBackground.Checked = settings.showBackground;
  seSetTime.SetValue(settings.SetTime);
}

void TConfigureForm::LoadGeneralTexts() {
  const TSettingsList& texts = archive_->SettingsList();
  const auto text = [&](std::string_view key) { return texts.ReadValue(key, "general"); };
  SetLabelText(lTitle, text("title"));
  FitLabelToWidth(lTitle);
  SetLabelText(lVersion, text("version"));
  SetLabelText(lMoreInfoURL, text("moreInfoDisplayURL"));
  FitLabelToWidth(lMoreInfoURL);
  SetLabelText(lDisclaimer, text("disclaimer"));
  SetLabelText(lMoreInfo, text("moreInfo"));
  SetLabelText(lShortcutkeys, ShortcutKeysText(text("shortcutkeys")));
  SetLabelText(lCopyrightURL, text("copyrighturl"));
  FitLabelToWidth(lCopyrightURL);
  SetLabelText(lCopyright, text("copyright"));
}

void TConfigureForm::FitLabelToWidth(TLabelControl& label) {
  FitFontToWidth(label.Font, label.Caption, label.Width, platform_.metrics);
  MeasureLabel(label);
}

void TConfigureForm::Remeasure() {
  for (const DialogControl& control : DialogControls()) {
    if (std::holds_alternative<TLabelControl TConfigureForm::*>(control.State)) {
      MeasureLabel(StateOf<TLabelControl>(*this, control));
    }
  }
  LayoutDialog();
}

bool TConfigureForm::SetListShown() const { return archive_->SettingsList().ReadBool("setSets", "sets"); }

void TConfigureForm::FillSetList() {
  const TSettingsList& texts = archive_->SettingsList();
  // A "select" that is missing or no number follows the user's stored
  // selection, as -1 does: nothing the user chose is thrown away.
  const std::int32_t select = TryStrToInt(texts.ReadValue("select", "sets")).value_or(kCheckStoredSelection);
  if (!SetListShown()) return;
  const StringList& stored = settings_->SelectedSetList;
  const bool every_stored = !stored.empty() && stored.front() == kEverySet;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(archive_->ImageSets.size()); ++i) {
    archive_->SelectSet(i);
    const std::string& name = archive_->CurrentSet()->Name;
    const std::size_t index = clbSets.Add(name);
    bool checked = select == kCheckEverySet;
    if (select == kCheckStoredSelection) checked = every_stored || InStringList(stored, name);
    clbSets.SetChecked(index, checked);
  }
}

void TConfigureForm::LayoutDialog() {
  const std::int32_t left = LayoutColumn(LeftItems, archive_->SettingsList());
  const std::int32_t right = LayoutColumn(RightItems, archive_->SettingsList());
  column_height_ = std::max(left, right);
  ClientHeight = lTitle.Height + lDisclaimer.Height + column_height_ + kButtonPanelHeight +
                 lCopyrightURL.Height + lCopyright.Height;
}

std::int32_t TConfigureForm::ColumnTop() const noexcept { return lTitle.Height + lDisclaimer.Height; }

void TConfigureForm::SetLabelText(TLabelControl& label, std::string text) {
  label.Caption = std::move(text);
  MeasureLabel(label);
}

void TConfigureForm::MeasureLabel(TLabelControl& label) {
  if (!label.AutoSize) return;
  label.Height = label.WordWrap ? platform_.metrics.WrappedTextHeight(label.Font, label.Caption, label.Width)
                                : platform_.metrics.LineHeight(label.Font);
}

void TConfigureForm::btnOkClick() {
  StoreControls();
  closed_ = true;
}

void TConfigureForm::btnCancelClick() { closed_ = true; }

void TConfigureForm::StoreControls() {
  TSettings& settings = *settings_;
  settings.BackgroundColor = BackColor;
  settings.clock = rgClockSettings.ItemIndex;
  settings.ClockFontDialog->Font = lClock.Font;
  settings.filename = rgFilenameSettings.ItemIndex;
  settings.FilenameFontDialog->Font = lFilename.Font;
  settings.bounceImages = cbBounce.Checked;
  settings.Speed = seSpeed.Value();
  settings.fixedSpeed = cbFixedSpeed.Checked;
  settings.nrImages = spNrImages.Value();
  settings.showBackground = cbShowBackground.Checked;
  settings.SetTime = seSetTime.Value();
  if (!SetListShown()) return;
  // Without any set there is no name to fall back on: the selection stays.
  if (clbSets.Items().empty()) return;
  StringList checked = clbSets.CheckedNames();
  if (checked.empty()) checked.push_back(clbSets.Items().front().Name);
  settings.SelectedSetList = std::move(checked);
}

void TConfigureForm::btnSetBackgroundColorClick() {
  // The chooser remembers what was last accepted in it, not the swatch.
  const std::optional<TColor> chosen = platform_.host.PickColor(last_chosen_color_.value_or(clBlack));
  if (!chosen) return;
  last_chosen_color_ = chosen;
  BackColor = *chosen;
}

void TConfigureForm::btnSetClockFontClick() { ChooseFontFor(lClock, lClockShadow); }

void TConfigureForm::btnSetFilenameFontClick() { ChooseFontFor(lFilename, lFilenameShadow); }

void TConfigureForm::ChooseFontFor(TLabelControl& label, TLabelControl& shadow) {
  const std::optional<TFont> chosen = platform_.host.PickFont(label.Font);
  if (!chosen) return;
  label.Font = *chosen;
  shadow.Font = *chosen;
  shadow.Font.Color = clBlack;
  MeasureLabel(label);
  MeasureLabel(shadow);
}

void TConfigureForm::tClockTimer(PreviewClockSender sender) {
  if (sender == PreviewClockSender::ClockTimer) ++running_seconds_;
  const std::int32_t mode = settings_->clock;
  if (mode <= kNoClock) return;
  const std::string text = mode == kCurrentTime ? platform_.host.LongTimeText()
                                                : RunningTimeText(running_seconds_);
  lClock.Caption = text;
  lClockShadow.Caption = text;
}

void TConfigureForm::OpenLink(std::string_view key) {
  OpenURL(archive_->SettingsList().ReadValue(key, "general"), platform_.shell);
}

void TConfigureForm::lTitleClick() { OpenLink("url"); }
void TConfigureForm::lMoreInfoURLClick() { OpenLink("moreInfoTargetURL"); }
void TConfigureForm::lCopyrightURLClick() { OpenLink("copyrightTargetURL"); }

void TConfigureForm::FormDestroy() {
  if (command_.ParentWindow != 0) platform_.host.EnableAndRaiseOwnerOf(command_.ParentWindow);
}

}  // namespace ris
