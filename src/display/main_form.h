#pragma once
// The display form: the saver's full-screen window and the preview's child
// window, as handlers a platform shell calls. The shell owns the window, the
// event loop and the clock; it shows the form, feeds it input, polls its
// timers and destroys it once a close was allowed. Nothing here waits.
//
//   TMainForm form(platform, RunMode::rmSaver);   // FormCreate
//   form.Show();                                  // the surface comes up
//   while (!form.CloseAllowed()) {
//     sleep for form.TimeUntilNextTimer(), or until input arrives;
//     form.FormKeyDown(key) ... ;  form.PollTimers();
//   }
//   // destroying the form stores the user's settings

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/pixel_size.h"
#include "base/random_source.h"
#include "data/component.h"
#include "data/font_dialog.h"
#include "display/bouncing_image.h"
#include "display/collision_grid.h"
#include "display/frame_composer.h"
#include "display/monitor_layout.h"
#include "display/scene_view.h"
#include "display/set_preparation.h"
#include "startup/command_line.h"
#include "surface/draw_surface.h"
#include "surface/frame_timer.h"
#include "surface/image_list.h"

namespace ris {

class DisplayHost;
class Presenter;
class RegistryHive;
class System;
class TextRenderer;
class TSettings;
class TZipFileSettings;
struct TImageSet;

// The platform services the display form runs on; each must outlive it.
struct DisplayPlatform {
  System& system;
  RegistryHive& registry;
  Presenter& presenter;
  TextRenderer& text;
  DisplayHost& host;
};

// Who asks the clock text to be refreshed: only the clock timer's own tick
// counts a second of running time.
enum class ClockSender : std::uint8_t { ClockTimer, Other };

// The preview draws into a window 152 pixels wide with the screen's
// proportions.
inline constexpr std::int32_t kPreviewWidth = 152;
PixelSize FormSizeFor(RunMode mode, PixelSize screen) noexcept;

// The most moving images the display keeps. The count is a user's setting
// and a key raises it; beyond this a frame would take longer than its
// interval and the image array could not be allocated.
inline constexpr std::int32_t kMaxImages = 10000;

// The most motion steps one frame runs; a speed above it would stall the
// display on every tick.
inline constexpr std::int64_t kMaxStepsPerFrame = 1000;

// The two timers a shell may run as timers of its own window system, so that
// they tick on while a modal loop of the system runs (the frames pause there).
enum class FormTimer : std::uint8_t { Clock, SetChange };

// The display form as a shell sees it: shown, resized, fed input, its timers
// polled or fired, its last frame painted again, destroyed once a close was
// allowed. What the handlers work on is its own; tests reach it through
// MainFormProbe (tests/display).
class TMainForm {
 public:
  // Creates the form and runs FormCreate. A wrong archive ends the process
  // through the system seam; an error in a later step is shown and the form
  // goes on with what was done.
  TMainForm(DisplayPlatform platform, RunMode mode);
  // Ends the surface, runs FormDestroy and stores the user's settings.
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // The window was shown; it brings the drawing surface up.
  void Show();
  // The window's client area changed: the playfield, the clock's place and
  // the back surface follow it. A minimised window (no area) keeps them.
  void FormResize(std::int32_t width, std::int32_t height);
  PixelSize ClientSize() const noexcept { return scenes_.front()->Size; }

  // In saver mode, what each monitor shows, as the product chose it: the
  // shell puts a window over each scene's place (the first is the form's
  // own) and covers the monitors that show none in black. Empty in the
  // preview and where start-up failed before the settings: the form's
  // window alone, over the primary monitor.
  const MonitorLayout& Layout() const noexcept { return layout_; }
  std::size_t SceneCount() const noexcept { return scenes_.size(); }
  // A monitor came, went or changed: the scenes are placed anew on the
  // host's monitors, their images too, and drawn whole. The shell then
  // puts its windows where Layout() says.
  void MonitorsChanged();
  RunMode Mode() const noexcept { return mode_; }

  // Input.
  void FormKeyDown(std::uint16_t key);
  void FormMouseMove(std::int32_t x, std::int32_t y);
  void DXDrawMouseDown() { Close(); }
  // The form's ordinary close request: asks FormCloseQuery first. While
  // that question runs, input is ignored and a second close asks nothing.
  void Close();
  // Whether a close was asked for and allowed: the shell then destroys the form.
  bool CloseAllowed() const noexcept { return close_allowed_; }

  // Runs every timer that is due at the host's clock.
  void PollTimers();
  // How long the shell may wait before a timer is due; nothing while none
  // runs.
  std::optional<Milliseconds> TimeUntilNextTimer() const;
  // For a shell that runs the clock and set-change timers itself: the frame
  // timer alone, polled and asked when it is due.
  void PollFrameTimer();
  std::optional<Milliseconds> TimeUntilNextFrame() const;
  // The interval the timer runs at; nothing while it is stopped.
  std::optional<Milliseconds> TimerInterval(FormTimer timer) const;
  // The shell's own timer for it ticked.
  void FireTimer(FormTimer timer);

  // The last frame of a scene, to paint its window again; nothing before
  // the drawing surface came up.
  const Surface* BackSurface(std::size_t scene = 0) const noexcept;

 private:
  friend class MainFormProbe;

  // The components of the form.
  TDXImageList DXImageList{2};
  TDXTimer DXTimer;     // frames
  TDXTimer tClock;      // the clock text, every second
  TDXTimer tSetChange;  // a random set every SetTime seconds

  // The handlers.
  void FormCreate();
  void LoadSetImages();
  void DXDrawInitialize();
  void DXDrawFinalize();
  void DXTimerTimer(std::int32_t lag_count);
  void tClockTimer(ClockSender sender);
  void DXDrawClick() { Close(); }
  bool FormCloseQuery();
  void tSetChangeTimer();
  void FormDestroy();

  TDXTimer& TimerOf(FormTimer timer) noexcept { return timer == FormTimer::Clock ? tClock : tSetChange; }

  static constexpr std::int32_t kBackgroundItem = 0;
  static constexpr std::int32_t kMovingItem = 1;

  void OpenArchiveAndSettings();
  void PlaceScenes();
  void FollowScenes();
  void NarrowSetsToSelection();
  void ArmSetChangeTimer();
  void PlaceAllImages();
  void AddImage(SceneView& scene);
  void ChangeSet(std::int32_t index);
  void ApplyKey(std::uint16_t key);
  void ChangeImageCount(std::int32_t change);
  void ChangeFontSize(TFontDialog& dialog, std::int32_t change);
  void ShowItem(std::int32_t item_index, const std::vector<std::string>& entries,
                std::optional<ItemPicture> prepared, bool transparent);
  void LoadItem(std::int32_t item_index, const std::vector<std::string>& entries, bool transparent);
  void PutIntoItem(std::int32_t item_index, ItemPicture picture, bool transparent);
  PixelSize BackgroundStretchSize(const TPicture& picture) const;
  PixelSize LargestScene() const noexcept;
  void ChangeEveryScene();
  std::int32_t NextTimedSet(RandomSource& random) const;
  SetPictures PicturesOf(const TImageSet& set) const;
  void StartPreparation();
  void PrepareTimedSetChange();
  void FollowBackgroundStretch();

  void DrawScene(SceneView& scene);
  FrameScene Scene(SceneView& scene);
  void MoveImages(SceneView& scene);
  TFont OverlayFont(const TFont& font) const;
  PixelSize ItemSize(std::int32_t item_index);
  const TImageSet* CurrentSet() const;
  bool Preview() const noexcept { return mode_ == RunMode::rmPreview; }

  DisplayPlatform platform_;
  RunMode mode_;
  RandomSource random_;
  ComponentClassRegistry classes_;
  std::unique_ptr<TZipFileSettings> archive_;
  std::unique_ptr<TSettings> settings_;
  // The form's own scene first; the drawing surfaces build the image list's
  // items, so the scenes go before it.
  std::vector<std::unique_ptr<SceneView>> scenes_;
  MonitorLayout layout_;
  std::int32_t sprite_item_ = kBackgroundItem;
  std::uint32_t running_seconds_ = 0;
  std::string clock_text_;
  std::int32_t last_mouse_x_ = -1;
  std::int32_t last_mouse_y_ = -1;
  bool close_allowed_ = false;
  bool asking_password_ = false;
  // Last, so that its helper has ended before anything else goes.
  std::unique_ptr<SetPreparation> preparation_;
};

}  // namespace ris
