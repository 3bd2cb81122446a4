#include "dialog/configure_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "data/settings.h"
#include "data/zip_file_settings.h"
#include "dialog/dialog_geometry.h"
#include "shells/headless/headless_dialog.h"
#include "shells/headless/headless_system.h"
#include "shells/headless/memory_hive.h"
#include "support/temp_folder.h"

namespace ris {
namespace {

using testing_support::TempFolder;

constexpr const char* kSaverPath = "C:\\Savers\\Demo.scr";

// Text as wide as half the font's pixel height per character, lines two
// pixels higher than the font: enough to tell sizes and wrapping apart.
// `Scale` stands for a screen of another dpi.
class FakeMetrics : public DialogTextMetrics {
 public:
  std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding) override {
    return static_cast<std::int32_t>(text.size()) * -font.Height * Scale / 2;
  }
  std::int32_t LineHeight(const TFont& font) override { return (-font.Height + 2) * Scale; }
  std::int32_t WrappedTextHeight(const TFont& font, std::string_view text, std::int32_t width) override {
    return WrappedLineCount(text, width, [&](std::string_view line) { return TextWidth(font, line, {}); }) *
           LineHeight(font);
  }

  std::int32_t Scale = 1;
};

class FakeHost : public HeadlessDialogHost {
 public:
  std::optional<TColor> PickColor(TColor initial) override {
    OfferedColors.push_back(initial);
    return NextColor;
  }
  std::optional<TFont> PickFont(const TFont&) override { return NextFont; }

  std::optional<TColor> NextColor;
  std::optional<TFont> NextFont;
  std::vector<TColor> OfferedColors;
};

TFont Font(std::string name, std::int32_t height, TColor color, TFontStyles style = {}) {
  TFont font;
  font.Name = std::move(name);
  font.Height = height;
  font.Color = color;
  font.Style = style;
  return font;
}

// Every row flag on; each test takes away or changes what it is about.
std::map<std::string, std::string> FullSettings() {
  std::map<std::string, std::string> lines = {
      {"general/title", "Demo"},     {"general/BackgroundColor", "$00102030"},
      {"general/showBackground", "true"}, {"bounce/bounceImages", "true"},
      {"bounce/nrImages", "12"},     {"bounce/Speed", "2"},
      {"bounce/fixedSpeed", "false"}, {"clocksettings/clock", "2"},
      {"FilenameSettings/filename", "0"}, {"sets/SetTime", "30"},
      {"sets/selectedSets", "beta"}, {"sets/select", "-1"},
      {"backgrounds/stretchSmallImages", "false"}};
  for (const char* flag : {"general/setBackgroundColor", "general/setShowBackground", "general/setMoreInfo",
                           "general/setMoreInfoURL", "general/setShortcutkeys", "FilenameSettings/setFilename",
                           "FilenameSettings/setFilenameFont", "clocksettings/setClock",
                           "clocksettings/setClockFont", "bounce/setSpeed", "bounce/setFixedSpeed",
                           "bounce/setNrImages", "bounce/setBounceImages", "sets/setSetTime", "sets/setSets",
                           "sets/setSelectedSets"}) {
    lines[flag] = "true";
  }
  return lines;
}

class ConfigureForm : public testing::Test {
 protected:
  // Packs "section/key" = value lines and three sets with Info-ZIP.
  void Pack(const std::map<std::string, std::string>& lines) {
    std::map<std::string, std::string> sections;
    for (const auto& [path, value] : lines) {
      const std::size_t slash = path.find('/');
      sections[path.substr(0, slash)] += path.substr(slash + 1) + "=" + value + "\r\n";
    }
    std::string text;
    for (const auto& [section, body] : sections) text += "[" + section + "]\r\n" + body;
    folder_.Write("content/settings.txt", text);
    for (const char* set : {"Gamma", "alpha", "beta"}) {
      folder_.Write(std::string("content/backgrounds/") + set + ".ppm", "x");
      folder_.Write(std::string("content/icons/") + set + ".ppm", "x");
    }
    const std::string password = ArchivePasswordFor(kSaverPath, "rimages");
    ASSERT_TRUE(folder_.Run("cd content && rm -f ../Demo.dat && zip -qr -P '" + password + "' ../Demo.dat ."));
    system_.MapFile(ArchiveNameFor(kSaverPath), folder_.Path() / "Demo.dat");
  }

  TConfigureForm& Open(const std::map<std::string, std::string>& lines, WindowHandle parent = 0) {
    Pack(lines);
    form_ = std::make_unique<TConfigureForm>(DialogPlatform{system_, hive_, shell_, host_, metrics_},
                                             CommandLine{rmConfigure, parent});
    return *form_;
  }

  // Closes the dialog as the shell does, which saves the settings, and
  // reads what a new dialog over the same registry loads.
  TConfigureForm& Reopen(const std::map<std::string, std::string>& lines) {
    form_.reset();
    return Open(lines);
  }

  TempFolder folder_;
  HeadlessSystem system_{kSaverPath};
  MemoryHive hive_;
  HeadlessShell shell_;
  FakeHost host_;
  FakeMetrics metrics_;
  std::unique_ptr<TConfigureForm> form_;
};

TEST_F(ConfigureForm, CaptionsComeFromTheLanguageSectionWithBuiltInFallbacks) {
  auto lines = FullSettings();
  lines["language/bounce"] = "Moving";
  lines["language/ok"] = "";  // present but empty keeps the built-in caption
  lines["language/clockSettingsOptions"] = "A;B;C";
  lines["general/shortcutkeys"] = "a;b";
  TConfigureForm& form = Open(lines);
  EXPECT_EQ(form.Caption, "Configure Demo");
  EXPECT_EQ(form.Item(DialogItemId::gbBounce).Caption, "Moving");
  EXPECT_EQ(form.Item(DialogItemId::gbSets).Caption, "Sets");
  EXPECT_EQ(form.btnOk.Caption, "&Ok");
  EXPECT_EQ(form.rgClockSettings.Items, (StringList{"A", "B", "C"}));
  EXPECT_EQ(form.rgFilenameSettings.Items, (StringList{"Show filename", "Do not show filename"}));
  EXPECT_EQ(form.lShortcutkeys.Caption, "\r\na\r\nb");
  EXPECT_EQ(form.cbFixedSpeed.Caption, "Same speed for every image");
}

TEST_F(ConfigureForm, FittedLabelsTakeHelveticaAndShrinkNoFurtherThanFivePoints) {
  auto lines = FullSettings();
  lines["general/copyrighturl"] = "fits";
  lines["general/moreInfoDisplayURL"] = std::string(200, 'w');
  TConfigureForm& form = Open(lines);
  EXPECT_EQ(form.lCopyrightURL.Font.Name, "Helvetica");
  EXPECT_EQ(form.lCopyrightURL.Font.Height, -40);
  EXPECT_EQ(form.lTitle.Font.Height, -33);  // "Demo" fits at its size
  EXPECT_EQ(form.lMoreInfoURL.Font.Size(), 5);
  EXPECT_EQ(form.lMoreInfoURL.Height, -form.lMoreInfoURL.Font.Height + 2);
}

TEST_F(ConfigureForm, RowsFollowTheirFlagsAndTheHeightFollowsTheRows) {
  auto lines = FullSettings();
  for (const char* flag : {"bounce/setSpeed", "bounce/setFixedSpeed", "bounce/setNrImages", "bounce/setBounceImages",
                           "general/setMoreInfoURL"}) {
    lines.erase(flag);
  }
  TConfigureForm& form = Open(lines);
  EXPECT_FALSE(form.Item(DialogItemId::gbBounce).Visible);
  EXPECT_EQ(form.Item(DialogItemId::gbBounce).Height, 0);
  EXPECT_FALSE(form.Item(DialogItemId::pGeneral).Row(DialogRow::lMoreInfoURL).Visible);
  EXPECT_EQ(form.Item(DialogItemId::gbGeneral).Height, 36 + 20 + 25);
  const std::int32_t left = (81 + 5) + (98 + 25 + 5) + (138 + 25 + 5);
  const std::int32_t right = form.Item(DialogItemId::pGeneral).Height + 5 + (86 + 25 + 5);
  EXPECT_EQ(form.ColumnHeight(), std::max(left, right));
  EXPECT_EQ(form.ClientHeight, form.lTitle.Height + form.lDisclaimer.Height + form.ColumnHeight() + 29 +
                                   form.lCopyrightURL.Height + 13);

  // The placed controls end where the client area ends.
  const std::vector<PlacedControl> placed = PlaceDialog(form, metrics_);
  EXPECT_EQ(FindPlaced(placed, ControlOf(&TConfigureForm::lCopyright))->Bounds.Bottom(), form.ClientHeight);
  EXPECT_FALSE(FindPlaced(placed, ControlOf(&TConfigureForm::seSpeed))->Visible);
}

TEST_F(ConfigureForm, WithEveryFlagAbsentOnlyHeaderButtonsAndFooterRemain) {
  TConfigureForm& form = Open({{"general/title", "Demo"}, {"bounce/nrImages", "1"}, {"bounce/Speed", "1"},
                               {"clocksettings/clock", "0"}, {"FilenameSettings/filename", "0"},
                               {"sets/SetTime", "0"}, {"sets/select", "1"},
                               {"general/BackgroundColor", "0"}});
  EXPECT_EQ(form.ColumnHeight(), 0);
  EXPECT_TRUE(form.clbSets.Items().empty());
  EXPECT_EQ(form.ClientHeight,
            form.lTitle.Height + form.lDisclaimer.Height + 29 + form.lCopyrightURL.Height + 13);
}

TEST_F(ConfigureForm, SetListIsCheckedBySelect) {
  struct Case {
    std::string select;
    std::string stored;
    std::vector<bool> checked;  // alpha, beta, gamma
  };
  for (const Case& c : std::vector<Case>{{"1", "", {true, true, true}},
                                         {"-1", "*all*", {true, true, true}},
                                         {"-1", "Beta", {false, false, false}},
                                         {"-1", "beta", {false, true, false}},
                                         {"0", "beta", {false, false, false}},
                                         {"nonsense", "beta", {false, true, false}}}) {
    auto lines = FullSettings();
    lines["sets/select"] = c.select;
    lines["sets/selectedSets"] = c.stored;
    lines.erase("sets/setSelectedSets");  // the stored selection comes from the text
    TConfigureForm& form = Open(lines);
    std::vector<bool> checked;
    for (const auto& item : form.clbSets.Items()) checked.push_back(item.Checked);
    EXPECT_EQ(checked, c.checked) << "select " << c.select << ", stored " << c.stored;
    EXPECT_EQ(form.clbSets.Items().front().Name, "alpha");
  }
}

TEST_F(ConfigureForm, OkStoresTheControlsAndCancelWritesBackWhatWasLoaded) {
  auto lines = FullSettings();
  lines["bounce/Speed"] = "20000";  // out of range: shown and stored as the bound
  TConfigureForm& form = Open(lines);
  EXPECT_EQ(form.seSpeed.Value(), 10000);
  form.spNrImages.SetText("many");  // no number reads as the minimum
  form.cbBounce.Checked = false;
  for (std::size_t i = 0; i < form.clbSets.Items().size(); ++i) form.clbSets.SetChecked(i, false);
  hive_.FailWritesOf("General showBackground");
  form.btnOkClick();
  EXPECT_TRUE(form.Closed());

  TConfigureForm& reopened = Reopen(lines);
  EXPECT_EQ(host_.SaveFailures.size(), 1u);  // told, and every other value written
  EXPECT_EQ(reopened.seSpeed.Value(), 10000);
  EXPECT_EQ(reopened.spNrImages.Value(), 1);
  EXPECT_FALSE(reopened.cbBounce.Checked);
  // With none checked, the first name of the sorted list is kept.
  EXPECT_EQ(reopened.Settings()->SelectedSetList, StringList{"alpha"});

  reopened.cbBounce.Checked = true;
  reopened.btnCancelClick();
  EXPECT_FALSE(Reopen(lines).cbBounce.Checked);
}

TEST_F(ConfigureForm, WithoutTheSetListOkLeavesTheSelectionAlone) {
  auto lines = FullSettings();
  lines.erase("sets/setSets");
  TConfigureForm& form = Open(lines);
  EXPECT_TRUE(form.clbSets.Items().empty());
  EXPECT_FALSE(form.Item(DialogItemId::gbSets).Row(DialogRow::clbSets).Visible);
  form.btnOkClick();
  EXPECT_EQ(Reopen(lines).Settings()->SelectedSetList, StringList{"beta"});
}

TEST_F(ConfigureForm, ClockPreviewCountsOnlyRealTicksInTheModeAsLoaded) {
  TConfigureForm& form = Open(FullSettings());
  EXPECT_EQ(form.lClock.Caption, "00:00:00");
  for (int i = 0; i < 3725; ++i) form.tClockTimer(PreviewClockSender::ClockTimer);
  EXPECT_EQ(form.lClock.Caption, "01:02:05");
  EXPECT_EQ(form.lClockShadow.Caption, "01:02:05");
  for (int i = 3725; i < 86400; ++i) form.tClockTimer(PreviewClockSender::ClockTimer);
  EXPECT_EQ(form.lClock.Caption, "00:00:00");

  auto lines = FullSettings();
  lines["clocksettings/clock"] = "0";
  lines.erase("clocksettings/setClock");  // not the 2 the first dialog stored
  TConfigureForm& no_clock = Reopen(lines);
  no_clock.rgClockSettings.ItemIndex = 1;
  no_clock.tClockTimer(PreviewClockSender::ClockTimer);
  EXPECT_EQ(no_clock.lClock.Caption, "00:00:00");
}

TEST_F(ConfigureForm, ChoosersChangeOnlyWhatTheUserAccepted) {
  TConfigureForm& form = Open(FullSettings());
  const TColor loaded = form.BackColor;
  form.btnSetBackgroundColorClick();  // cancelled
  EXPECT_EQ(form.BackColor, loaded);
  host_.NextColor = clLime;
  form.btnSetBackgroundColorClick();
  host_.NextColor.reset();
  form.btnSetBackgroundColorClick();
  EXPECT_EQ(form.BackColor, clLime);
  // Black the first time, then the colour last accepted in the chooser.
  EXPECT_EQ(host_.OfferedColors, (std::vector<TColor>{clBlack, clBlack, clLime}));

  const TFont chosen = Font("Arial", -20, clRed);
  host_.NextFont = chosen;
  form.btnSetClockFontClick();
  EXPECT_EQ(form.lClock.Font, chosen);
  EXPECT_EQ(form.lClockShadow.Font.Color, clBlack);
  EXPECT_EQ(form.lClockShadow.Font.Height, -20);
}

TEST_F(ConfigureForm, LinksAndTheOwnerWindow) {
  auto lines = FullSettings();
  lines["general/moreInfoTargetURL"] = "www.example.com/more";
  TConfigureForm& form = Open(lines, 4660);
  form.lMoreInfoURLClick();
  form.lTitleClick();  // no address: nothing opens
  EXPECT_EQ(shell_.Opened, std::vector<std::string>{"http://www.example.com/more"});
  form_.reset();
  EXPECT_EQ(host_.RaisedOwnersOf, std::vector<std::uint32_t>{4660});

  // Each link opens the address under its own key ("//" would start a comment).
  lines["general/url"] = "title.example";
  lines["general/copyrightTargetURL"] = "copyright.example/about";
  TConfigureForm& linked = Open(lines);
  shell_.Opened.clear();
  linked.lTitleClick();
  linked.lCopyrightURLClick();
  EXPECT_EQ(shell_.Opened, (std::vector<std::string>{"http://title.example", "http://copyright.example/about"}));
  form_.reset();
  EXPECT_EQ(host_.RaisedOwnersOf.size(), 1u);
}

TEST_F(ConfigureForm, OkStoresRadiosFontsAndValuesAndAHiddenRowWhatItLoaded) {
  auto lines = FullSettings();
  lines["bounce/Speed"] = "20000";
  lines.erase("bounce/setSpeed");  // hidden: it stores the bound it shows
  TConfigureForm& form = Open(lines);
  const TFont clock = Font("Arial", -20, clRed, {TFontStyle::fsBold});
  const TFont file_name = Font("Courier New", -14, clBlue);
  host_.NextFont = clock;
  form.btnSetClockFontClick();
  host_.NextFont = file_name;
  form.btnSetFilenameFontClick();
  form.rgClockSettings.ItemIndex = 1;
  form.rgFilenameSettings.ItemIndex = 1;
  form.cbShowBackground.Checked = false;
  form.seSetTime.SetValue(45);
  form.btnOkClick();
  EXPECT_EQ(form.Settings()->Speed, 10000);

  const TConfigureForm& reopened = Reopen(lines);
  EXPECT_EQ(reopened.rgClockSettings.ItemIndex, 1);
  EXPECT_EQ(reopened.rgFilenameSettings.ItemIndex, 1);
  EXPECT_EQ(reopened.lClock.Font, clock);
  EXPECT_EQ(reopened.lFilename.Font, file_name);
  EXPECT_EQ(reopened.lClockShadow.Font.Color, clBlack);
  EXPECT_FALSE(reopened.cbShowBackground.Checked);
  EXPECT_EQ(reopened.seSetTime.Value(), 45);
}

TEST_F(ConfigureForm, EveryCaptionKeyReachesItsControl) {
  using Caption = std::string (*)(const TConfigureForm&);
  const std::vector<std::pair<std::string, Caption>> keys = {
      {"general", [](const TConfigureForm& f) { return f.Item(DialogItemId::gbGeneral).Caption; }},
      {"setBackgroundColor", [](const TConfigureForm& f) { return f.btnSetBackgroundColor.Caption; }},
      {"showBackground", [](const TConfigureForm& f) { return f.cbShowBackground.Caption; }},
      {"bounce", [](const TConfigureForm& f) { return f.Item(DialogItemId::gbBounce).Caption; }},
      {"bounceSpeed", [](const TConfigureForm& f) { return f.lBounceSpeed.Caption; }},
      {"numberOfImages", [](const TConfigureForm& f) { return f.lSpeed.Caption; }},
      {"bounceFixedSpeed", [](const TConfigureForm& f) { return f.cbFixedSpeed.Caption; }},
      {"bounceImages", [](const TConfigureForm& f) { return f.cbBounce.Caption; }},
      {"clockSettings", [](const TConfigureForm& f) { return f.Item(DialogItemId::gbClockSettings).Caption; }},
      {"setClockFont", [](const TConfigureForm& f) { return f.btnSetClockFont.Caption; }},
      {"clockSettingsOptions", [](const TConfigureForm& f) { return JoinStrings(";", f.rgClockSettings.Items); }},
      {"FilenameSettings", [](const TConfigureForm& f) { return f.Item(DialogItemId::gbFilenameSettings).Caption; }},
      {"setFilenameFont", [](const TConfigureForm& f) { return f.btnSetFilenameFont.Caption; }},
      {"FilenameSettingsOptions",
       [](const TConfigureForm& f) { return JoinStrings(";", f.rgFilenameSettings.Items); }},
      {"sets", [](const TConfigureForm& f) { return f.Item(DialogItemId::gbSets).Caption; }},
      {"changeSetAfter", [](const TConfigureForm& f) { return f.lChangeSetsAfter.Caption; }},
      {"seconds", [](const TConfigureForm& f) { return f.lSeconds.Caption; }},
      {"ok", [](const TConfigureForm& f) { return f.btnOk.Caption; }},
      {"cancel", [](const TConfigureForm& f) { return f.btnCancel.Caption; }},
  };
  auto lines = FullSettings();
  for (const auto& [key, caption] : keys) lines["language/" + key] = "<" + key + ">";
  const TConfigureForm& form = Open(lines);
  for (const auto& [key, caption] : keys) EXPECT_EQ(caption(form), "<" + key + ">") << key;
}

TEST_F(ConfigureForm, FixedPlacesOfButtonsLabelsPreviewsAndColumns) {
  using F = TConfigureForm;
  const TConfigureForm& form = Open(FullSettings());
  const std::vector<PlacedControl> placed = PlaceDialog(form, metrics_);
  const auto bounds = [&](const DialogControl& control) { return FindPlaced(placed, control)->Bounds; };
  // Left, top, width, height inside the row.
  const auto in_row = [&](const DialogControl& control) {
    const PlacedControl& p = *FindPlaced(placed, control);
    return std::vector{p.Bounds.Left - p.RowBounds.Left, p.Bounds.Top - p.RowBounds.Top};
  };
  const auto item = [&](DialogItemId id) {
    const auto found = std::find_if(placed.begin(), placed.end(), [&](const PlacedControl& p) {
      return p.Control == nullptr && p.Name == form.Item(id).Name;
    });
    return found->Bounds;
  };
  const TBounds ok = bounds(ControlOf(&F::btnOk));
  const TBounds cancel = bounds(ControlOf(&F::btnCancel));
  const TBounds version = bounds(ControlOf(&F::lVersion));
  const TBounds left = item(DialogItemId::gbGeneral);
  const TBounds right = item(DialogItemId::gbSets);
  const std::vector<std::pair<std::vector<std::int32_t>, std::vector<std::int32_t>>> cases = {
      {{ok.Left, ok.Width, ok.Height, cancel.Left, cancel.Width, cancel.Height}, {244, 81, 28, 348, 81, 28}},
      {{version.Right(), version.Top}, {467, 2}},
      {in_row(ControlOf(&F::BackColor)), {136, 5}},
      {in_row(ControlOf(&F::btnSetFilenameFont)), {110, 16}},
      {in_row(ControlOf(&F::btnSetClockFont)), {102, 16}},
      {in_row(ControlOf(&F::lFilename)), {5, 0}},
      {in_row(ControlOf(&F::lFilenameShadow)), {6, 1}},
      {in_row(ControlOf(&F::lClock)), {5, 0}},
      {in_row(ControlOf(&F::lClockShadow)), {6, 1}},
      // The columns with their 5-pixel borders: 240 and 230 wide.
      {{left.Left - 5, left.Width + 10, right.Left - 5, right.Width + 10}, {0, 240, 240, 230}},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

TEST_F(ConfigureForm, ClockPreviewInModeOneShowsTheTimeOfDay) {
  auto lines = FullSettings();
  lines["clocksettings/clock"] = "1";
  TConfigureForm& form = Open(lines);
  EXPECT_EQ(form.lClock.Caption, "12:00:00");
  form.tClockTimer(PreviewClockSender::ClockTimer);
  EXPECT_EQ(form.lClockShadow.Caption, "12:00:00");
}

TEST_F(ConfigureForm, RemeasuringAtAnotherDpiKeepsTheEdits) {
  auto lines = FullSettings();
  lines["general/disclaimer"] = "a disclaimer long enough to take more than one line in the dialog's header";
  TConfigureForm& form = Open(lines);
  const std::int32_t disclaimer = form.lDisclaimer.Height;
  form.cbBounce.Checked = false;
  form.seSpeed.SetValue(7);
  metrics_.Scale = 2;
  form.Remeasure();
  EXPECT_GT(form.lDisclaimer.Height, 2 * disclaimer);  // wrapped anew, and more lines at the larger size
  EXPECT_EQ(form.ClientHeight, form.lTitle.Height + form.lDisclaimer.Height + form.ColumnHeight() + 29 +
                                   form.lCopyrightURL.Height + 13);
  EXPECT_FALSE(form.cbBounce.Checked);
  EXPECT_EQ(form.seSpeed.Value(), 7);
}

TEST(NumberField, KeepsToItsRangeAndReadsNoNumberAsTheMinimum) {
  TNumberField field(0, 86400);
  for (const auto& [typed, value] : std::vector<std::pair<std::string, std::int32_t>>{
           {"45", 45}, {"99999", 86400}, {"-3", 0}, {"many", 0}, {"", 0}}) {
    field.SetText(typed);
    EXPECT_EQ(field.Value(), value) << typed;
  }
}

}  // namespace
}  // namespace ris
