#pragma once
// The configuration dialog as handlers, without a window: it opens the
// product's archive and settings, fills its controls, takes every caption,
// text and visible row from the settings text, lays itself out, and on OK
// copies the controls back into the settings model, which the registry
// receives when the dialog is destroyed. The shell creates the native
// controls from this state and forwards their events.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/component.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_host.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_table.h"
#include "startup/command_line.h"

namespace ris {

class RegistryHive;
class Shell;
class System;
class TSettings;
class TZipFileSettings;

// The platform services the dialog runs on; each must outlive it.
struct DialogPlatform {
  System& system;
  RegistryHive& registry;
  Shell& shell;
  DialogHost& host;
  DialogTextMetrics& metrics;
};

// The number fields' ranges.
inline constexpr std::int32_t kMaxDialogSpeed = 10000;
inline constexpr std::int32_t kMaxDialogImages = 10000;
inline constexpr std::int32_t kMaxSetTime = 86400;

// Who asks the clock preview to be refreshed: only the timer's own tick
// counts a second.
enum class PreviewClockSender : std::uint8_t { ClockTimer, SetUp };

class TConfigureForm {
 public:
  // Creates the dialog and runs FormCreate. A wrong archive ends the process
  // through the system seam.
  TConfigureForm(DialogPlatform platform, CommandLine command);
  // Runs FormDestroy, then releases the settings model, which writes the
  // user-settable settings to the registry.
  ~TConfigureForm();
  TConfigureForm(const TConfigureForm&) = delete;
  TConfigureForm& operator=(const TConfigureForm&) = delete;

  std::string Caption = "Configure";
  // The code page every text of the dialog is written in.
  CodePage TextCodePage() const noexcept { return code_page_; }
  std::int32_t ClientHeight = 607;

  // Header and footer.
  TLabelControl lTitle;
  TLabelControl lDisclaimer;
  TLabelControl lVersion;
  TLabelControl lCopyright;
  TLabelControl lCopyrightURL;
  TButtonControl btnOk{"&Ok"};
  TButtonControl btnCancel{"&Cancel"};

  // Left column.
  TButtonControl btnSetBackgroundColor{"Set background &Color"};
  TColor BackColor = 0;  // the swatch pBackColor
  TCheckBox cbShowBackground{"Show &Background"};
  TRadioGroup rgFilenameSettings{"", {"Show filename", "Do not show filename"}};
  TButtonControl btnSetFilenameFont{"Set Filename &Font"};
  TLabelControl lFilename;
  TLabelControl lFilenameShadow;
  TRadioGroup rgClockSettings{"", {"No clock", "Current time", "Screensaver running time"}};
  TButtonControl btnSetClockFont{"Set Clock &Font"};
  TLabelControl lClock;
  TLabelControl lClockShadow;
  TLabelControl lBounceSpeed;
  TNumberField seSpeed{1, kMaxDialogSpeed};
  TCheckBox cbFixedSpeed;
  TLabelControl lSpeed;
  TNumberField spNrImages{1, kMaxDialogImages};
  TCheckBox cbBounce{"Bounce images"};

  // Right column.
  TLabelControl lMoreInfo;
  TLabelControl lMoreInfoURL;
  TLabelControl lShortcutkeys;
  TLabelControl lChangeSetsAfter;
  TNumberField seSetTime{0, kMaxSetTime};
  TLabelControl lSeconds;
  TCheckListBox clbSets;

  // The items of each column, top to bottom, with their rows.
  std::vector<TDialogItem> LeftItems;
  std::vector<TDialogItem> RightItems;

  // The handlers.
  void FormCreate();
  void btnOkClick();
  void btnCancelClick();
  void btnSetBackgroundColorClick();
  void btnSetClockFontClick();
  void btnSetFilenameFontClick();
  void tClockTimer(PreviewClockSender sender);
  void lTitleClick();
  void lMoreInfoURLClick();
  void lCopyrightURLClick();
  void FormDestroy();

  // The set-up steps that take texts and layout from the settings text.
  void LoadDialogTexts();
  void LoadGeneralTexts();
  void LayoutDialog();
  void FitLabelToWidth(TLabelControl& label);
  // Measures every label again and lays the dialog out anew: the metrics
  // changed (the dialog moved to a screen of another dpi). What the user
  // edited stays.
  void Remeasure();

  // Whether OK or Cancel closed the dialog: the shell then destroys it.
  bool Closed() const noexcept { return closed_; }
  // The title band's height, the columns' top and height.
  std::int32_t ColumnTop() const noexcept;
  std::int32_t ColumnHeight() const noexcept { return column_height_; }
  TSettings* Settings() noexcept { return settings_.get(); }
  TZipFileSettings* Archive() noexcept { return archive_.get(); }
  std::uint32_t RunningSeconds() const noexcept { return running_seconds_; }

  TDialogItem& Item(DialogItemId id);
  const TDialogItem& Item(DialogItemId id) const;

 private:
  void BuildItems();
  void LoadControls();
  void FillSetList();
  void StoreControls();
  void ChooseFontFor(TLabelControl& label, TLabelControl& shadow);
  void SetLabelText(TLabelControl& label, std::string text);
  void MeasureLabel(TLabelControl& label);
  void OpenLink(std::string_view key);
  bool SetListShown() const;

  DialogPlatform platform_;
  CommandLine command_;
  ComponentClassRegistry classes_;
  std::unique_ptr<TZipFileSettings> archive_;
  std::unique_ptr<TSettings> settings_;
  CodePage code_page_ = kSystemCodePage;
  std::uint32_t running_seconds_ = 0;  // wraps after 136 years, the text daily
  std::int32_t column_height_ = 0;
  std::optional<TColor> last_chosen_color_;
  bool closed_ = false;
};

}  // namespace ris
