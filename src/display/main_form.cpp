#include "display/main_form.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "base/conversions.h"
#include "base/errors.h"
#include "base/rounding.h"
#include "data/clock_text.h"
#include "data/settings.h"
#include "data/settings_list.h"
#include "data/zip_file_settings.h"
#include "display/background_layout.h"
#include "display/display_host.h"
#include "display/key_actions.h"
#include "display/motion.h"
#include "surface/text_renderer.h"

namespace ris {
namespace {

constexpr Milliseconds kClockInterval = 1000;
constexpr char kAllSets[] = "*all*";

}  // namespace

PixelSize FormSizeFor(RunMode mode, PixelSize screen) noexcept {
  if (mode != rmPreview || screen.Width <= 0) return screen;
  // Scaled as the window system scales a form: the product rounded to the
  // nearest pixel, halves away from zero.
  const std::int64_t height = (std::int64_t{screen.Height} * kPreviewWidth * 2 + screen.Width) /
                              (std::int64_t{screen.Width} * 2);
  return {kPreviewWidth, SaturateToInt32(height)};
}

TMainForm::TMainForm(DisplayPlatform platform, RunMode mode)
    : platform_(platform), mode_(mode), random_(platform.host.ClockSeed()) {
  scenes_.push_back(std::make_unique<SceneView>(platform.presenter, platform.text, DXImageList,
                                                FormSizeFor(mode, platform.host.ScreenSize())));
  TDXDraw& draw = scenes_.front()->Draw;
  draw.OnInitialize = [this] { DXDrawInitialize(); };
  draw.OnFinalize = [this] { DXDrawFinalize(); };
  DXTimer.SetOnTimer([this](std::int32_t lag_count) { DXTimerTimer(lag_count); });
  tClock.SetInterval(kClockInterval);
  tClock.SetOnTimer([this](std::int32_t) { tClockTimer(ClockSender::ClockTimer); });
  tSetChange.SetOnTimer([this](std::int32_t) { tSetChangeTimer(); });
  DXImageList.Item(kMovingItem).Transparent = true;
  try {
    FormCreate();
  } catch (const ESaverError& error) {
    // The form stays, with whatever the steps before the error set up.
    platform_.host.ShowException(error.what());
  }
}

TMainForm::~TMainForm() {
  // The further scenes first: the form's own surface stops the frames.
  for (auto scene = scenes_.rbegin(); scene != scenes_.rend(); ++scene) (*scene)->Draw.Finalize();
  FormDestroy();
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate() {
  OpenArchiveAndSettings();
  PlaceScenes();
  tClock.SetEnabled(true, platform_.host.TickCount());
  NarrowSetsToSelection();
  archive_->SelectRandomSet(random_);
  LoadSetImages();
  ArmSetChangeTimer();
  running_seconds_ = 0;
  last_mouse_x_ = -1;
  last_mouse_y_ = -1;
  random_.Seed(platform_.host.ClockSeed());  // placement differs from run to run
  PlaceAllImages();
  tClockTimer(ClockSender::Other);
  StartPreparation();
}

void TMainForm::OpenArchiveAndSettings() {
  archive_ = std::make_unique<TZipFileSettings>(platform_.system, mode_);
  archive_->ScanSets();
  platform_.text.SetCodePage(ProductCodePage(archive_->SettingsList()));
  classes_.Register<TFontDialog>();
  settings_ = std::make_unique<TSettings>(archive_->SettingsList(), platform_.registry, classes_);
  // Writes that fail when the settings are stored go to the host, which
  // tells them once the display is gone. Stored values that could not be
  // loaded stay silent: each such setting runs on its default and is
  // written back right.
  settings_->SetProblemHandler([this](const std::string& problem) { platform_.host.SaveFailed(problem); });
}

// The saver's scenes, one per window, as the product places them on the
// monitors. A scene the host has no window for is left out, and so are the
// monitors it would have shown. Scenes no longer placed go without
// finalising their surfaces, which would drop the items every scene draws.
void TMainForm::PlaceScenes() {
  if (mode_ != rmSaver) return;
  layout_ = LayOutMonitors(platform_.host.Monitors(), MonitorChoiceFrom(settings_->monitors));
  if (layout_.Scenes.empty()) return;
  for (std::size_t index = scenes_.size(); index < layout_.Scenes.size(); ++index) {
    Presenter* presenter = platform_.host.ScenePresenter(index);
    if (presenter == nullptr) {
      layout_.Scenes.resize(index);
      for (MonitorShows& monitor : layout_.Monitors) {
        if (monitor.Scene >= index) monitor.Scene.reset();
      }
      break;
    }
    scenes_.push_back(std::make_unique<SceneView>(*presenter, platform_.text, DXImageList, PixelSize{}));
  }
  scenes_.resize(layout_.Scenes.size());
  for (std::size_t index = 0; index < scenes_.size(); ++index) scenes_[index]->PlaceAt(layout_.Scenes[index]);
}

void TMainForm::MonitorsChanged() {
  if (!settings_ || layout_.Scenes.empty()) return;
  PlaceScenes();
  FollowScenes();
  PlaceAllImages();
}

// The surfaces at the scenes' sizes, the newly placed ones brought up as
// the others are, and drawn whole.
void TMainForm::FollowScenes() {
  const bool shown = scenes_.front()->Draw.Initialized();
  for (const auto& scene : scenes_) {
    if (scene->Draw.Initialized()) {
      scene->Draw.Resize(scene->Size.Width, scene->Size.Height);
    } else if (shown) {
      static_cast<void>(scene->Draw.Initialize(scene->Size.Width, scene->Size.Height));
    }
  }
  FollowBackgroundStretch();
  PrepareTimedSetChange();
}

void TMainForm::NarrowSetsToSelection() {
  const StringList& selection = settings_->SelectedSetList;
  if (selection.empty() || selection.front() == kAllSets) return;
  std::vector<TImageSet> chosen;
  for (TImageSet& set : archive_->ImageSets) {
    if (InStringList(selection, set.Name)) chosen.push_back(std::move(set));
  }
  // A selection that names no set of this archive (it was replaced since)
  // would leave nothing to show: every set takes part instead.
  if (!chosen.empty()) archive_->ImageSets = std::move(chosen);
}

void TMainForm::ArmSetChangeTimer() {
  if (settings_->SetTime <= 0) return;
  const auto interval = static_cast<Milliseconds>(
      std::min<std::int64_t>(std::int64_t{settings_->SetTime} * 1000,
                             std::numeric_limits<Milliseconds>::max()));
  tSetChange.SetInterval(interval);
  tSetChange.SetEnabled(true, platform_.host.TickCount());
}

// Every scene has nrImages images of its own, placed scene by scene.
void TMainForm::PlaceAllImages() {
  const std::int32_t count = std::clamp(settings_->nrImages, 0, kMaxImages);
  for (const auto& scene : scenes_) {
    scene->Images.clear();
    scene->Images.reserve(static_cast<std::size_t>(count));
    while (static_cast<std::int32_t>(scene->Images.size()) < count) AddImage(*scene);
  }
}

// Places one more image, clear of those before it and of the parts no
// monitor shows.
void TMainForm::AddImage(SceneView& scene) {
  const PlacementParams params{ItemSize(sprite_item_), scene.Size, settings_->fixedSpeed, scene.Unseen};
  scene.Images.push_back(PlaceImage(scene.Images, params, random_));
}

void TMainForm::LoadSetImages() {
  ChangeEveryScene();  // another set: other pictures, another name
  const TImageSet* set = CurrentSet();
  if (set == nullptr) return;  // an archive without sets shows the colour only
  PreparedSet prepared = preparation_ ? preparation_->Take(PicturesOf(*set)) : PreparedSet{};
  ShowItem(kBackgroundItem, set->Backgrounds, std::move(prepared.Background), false);
  if (!settings_->noBouncingLogos) {
    ShowItem(kMovingItem, set->Images, std::move(prepared.Sprite), true);
    sprite_item_ = kMovingItem;
  }
}

void TMainForm::ShowItem(std::int32_t item_index, const std::vector<std::string>& entries,
                         std::optional<ItemPicture> prepared, bool transparent) {
  if (prepared) {
    PutIntoItem(item_index, *std::move(prepared), transparent);
  } else {
    LoadItem(item_index, entries, transparent);
  }
}

// Puts the first picture of `entries` into the item. A set without such a
// picture, or one that cannot be decoded, leaves the item's previous picture
// in place: the pixels are decoded here, before anything is replaced.
void TMainForm::LoadItem(std::int32_t item_index, const std::vector<std::string>& entries,
                         bool transparent) {
  if (entries.empty()) return;
  const auto stretch_of = [&](const TPicture& picture) {
    return item_index == kBackgroundItem ? BackgroundStretchSize(picture) : PixelSize{};
  };
  // A large entry's pixels are decoded while it is still being decrypted;
  // the picture keeps them for the call below.
  const auto decode_early = [&](const TPicture& arriving) { static_cast<void>(arriving.SharedPixels(stretch_of(arriving))); };
  TPicture picture;
  if (!archive_->LoadEntryPicture(picture, entries.front(), StandardFormatList(), decode_early)) return;
  const PixelSize stretch = stretch_of(picture);
  if (auto decoded = DecodeForItem(std::move(picture), stretch)) {
    PutIntoItem(item_index, *std::move(decoded), transparent);
  }
}

void TMainForm::PutIntoItem(std::int32_t item_index, ItemPicture picture, bool transparent) {
  TPictureCollectionItem& item = DXImageList.Item(static_cast<std::size_t>(item_index));
  item.Picture = std::move(picture.Picture);
  item.StretchSize = picture.StretchSize;
  item.Transparent = transparent;
  if (transparent) TDXImageList::SetItemTransparentColor(item, ColourFromBgra(picture.Pixels->Pixels.front()));
  static_cast<void>(DXImageList.RestoreItem(item));  // decoded already, so it cannot fail
}

// ---------------------------------------------------------------- surface

// The further scenes come up first, so that the form's own, which starts
// the frames, finds them ready.
void TMainForm::Show() {
  for (auto scene = scenes_.rbegin(); scene != scenes_.rend(); ++scene) {
    const auto built = (*scene)->Draw.Initialize((*scene)->Size.Width, (*scene)->Size.Height);
    if (!built && scene + 1 == scenes_.rend()) platform_.host.ShowException(built.error().Message);
  }
}

void TMainForm::ChangeEveryScene() {
  for (const auto& scene : scenes_) scene->Draw.Changes().AddWhole();
}

void TMainForm::FormResize(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return;
  SceneView& own = *scenes_.front();
  // Overlays in the corners of the whole scene stay there; those of the
  // primary monitor's part of a larger scene keep their place.
  if (own.OverlayArea == SurfaceRect{0, 0, own.Size.Width, own.Size.Height}) own.OverlayArea = {0, 0, width, height};
  own.Size = {width, height};
  own.Draw.Resize(width, height);
  FollowBackgroundStretch();
  PrepareTimedSetChange();  // the next background covers the new size
}

// The size the background's pixels must cover to be stretched on every
// scene: its stretch on a surface as wide as the widest scene and as high
// as the highest, which is at least its stretch on each; nothing when it is
// not drawn stretched.
PixelSize TMainForm::BackgroundStretchSize(const TPicture& picture) const {
  return ris::BackgroundStretchSize(LargestScene(), {picture.Width(), picture.Height()},
                                    settings_->stretchSmallImages);
}

PixelSize TMainForm::LargestScene() const noexcept {
  PixelSize largest;
  for (const auto& scene : scenes_) {
    largest = {std::max(largest.Width, scene->Size.Width), std::max(largest.Height, scene->Size.Height)};
  }
  return largest;
}

// A larger window may need more of the background's pixels than were
// decoded for the old size.
void TMainForm::FollowBackgroundStretch() {
  if (!settings_) return;
  TPictureCollectionItem& background = DXImageList.Item(kBackgroundItem);
  const PixelSize stretch = BackgroundStretchSize(background.Picture);
  if (stretch == background.StretchSize) return;
  background.StretchSize = stretch;
  // Pixels that decoded once decode again; should they not, the item keeps
  // those it has, drawn a little softer.
  static_cast<void>(DXImageList.RestoreItem(background));
}

void TMainForm::DXDrawInitialize() { DXTimer.SetEnabled(true, platform_.host.TickCount()); }

void TMainForm::DXDrawFinalize() { DXTimer.SetEnabled(false, platform_.host.TickCount()); }

void TMainForm::PollTimers() {
  const Milliseconds now = platform_.host.TickCount();
  DXTimer.Poll(now);
  tClock.Poll(now);
  tSetChange.Poll(now);
}

std::optional<Milliseconds> TMainForm::TimeUntilNextTimer() const {
  const Milliseconds now = platform_.host.TickCount();
  std::optional<Milliseconds> soonest;
  for (const TDXTimer* timer : {&DXTimer, &tClock, &tSetChange}) {
    const auto due = timer->TimeUntilDue(now);
    if (due && (!soonest || *due < *soonest)) soonest = due;
  }
  return soonest;
}

void TMainForm::PollFrameTimer() { DXTimer.Poll(platform_.host.TickCount()); }

std::optional<Milliseconds> TMainForm::TimeUntilNextFrame() const {
  return DXTimer.TimeUntilDue(platform_.host.TickCount());
}

std::optional<Milliseconds> TMainForm::TimerInterval(FormTimer timer) const {
  const TDXTimer& running = timer == FormTimer::Clock ? tClock : tSetChange;
  if (!running.Enabled()) return std::nullopt;
  return running.Interval();
}

void TMainForm::FireTimer(FormTimer timer) { TimerOf(timer).Fire(platform_.host.TickCount()); }

const Surface* TMainForm::BackSurface(std::size_t scene) const noexcept {
  if (scene >= scenes_.size() || !scenes_[scene]->Draw.Initialized()) return nullptr;
  return &scenes_[scene]->Draw.BackSurface();
}

// ---------------------------------------------------------------- frames

// Each tick draws every scene, each where it changed.
void TMainForm::DXTimerTimer(std::int32_t /*lag_count: every tick is one frame*/) {
  for (const auto& scene : scenes_) DrawScene(*scene);
}

void TMainForm::DrawScene(SceneView& scene) {
  TDXDraw& draw = scene.Draw;
  if (!draw.SurfaceReady()) return;
  if (!settings_) {
    // Start-up failed before the settings existed: a plain black frame.
    draw.Changes().AddWhole();
    TDXDraw::FillSurface(draw.BackSurface(), 0);
  } else {
    const FrameScene frame = Scene(scene);
    MarkImagePlaces(draw, frame);  // where the images were
    MoveImages(scene);
    MarkImagePlaces(draw, frame);  // and where they are now
    scene.Composer.Compose(draw, frame);
  }
  draw.ReleaseCanvas();
  draw.PresentFrame();
}

FrameScene TMainForm::Scene(SceneView& view) {
  FrameScene scene;
  scene.Colour = static_cast<ColourValue>(settings_->BackgroundColor);
  if (settings_->showBackground) {
    const Surface& back = view.Draw.BackSurface();
    scene.Background = &DXImageList.Item(kBackgroundItem);
    scene.BackgroundPlace = BackgroundRect({back.Width(), back.Height()}, ItemSize(kBackgroundItem),
                                           settings_->stretchSmallImages);
  }
  scene.Sprite = &DXImageList.Item(static_cast<std::size_t>(sprite_item_));
  scene.Images = ImagesTakingPart(view.Images, settings_->nrImages);
  scene.OverlayArea = view.OverlayArea;
  if (view.OverlayArea.Empty()) return scene;
  if (settings_->clock > kNoClock) {
    scene.Clock = OverlayText{OverlayFont(settings_->ClockFontDialog->Font), clock_text_};
  }
  if (settings_->filename == 0 && CurrentSet() != nullptr) {
    scene.SetName = OverlayText{OverlayFont(settings_->FilenameFontDialog->Font), CurrentSet()->Name};
  }
  return scene;
}

void TMainForm::MoveImages(SceneView& scene) {
  const auto moving = ImagesTakingPart(scene.Images, settings_->nrImages);
  const MotionParams params{ItemSize(sprite_item_), scene.Size, settings_->bounceImages, scene.Unseen};
  const std::int64_t steps = std::min(StepsPerFrame(settings_->Speed, Preview()), kMaxStepsPerFrame);
  for (std::int64_t step = 0; step < steps; ++step) MotionStep(moving, params, scene.Grid);
}

// A copy of an overlay's font; the preview's window is smaller than the
// screen, and so are its texts. The stored font keeps its size.
TFont TMainForm::OverlayFont(const TFont& font) const {
  TFont copy = font;
  if (Preview()) copy.SetSize(DivideByPreviewDivisor(copy.Size()));
  return copy;
}

PixelSize TMainForm::ItemSize(std::int32_t item_index) {
  const TPictureCollectionItem& item = DXImageList.Item(static_cast<std::size_t>(item_index));
  return {TDXImageList::ItemWidth(item), TDXImageList::ItemHeight(item)};
}

const TImageSet* TMainForm::CurrentSet() const { return archive_ ? archive_->CurrentSet() : nullptr; }

// ---------------------------------------------------------------- clock

void TMainForm::tClockTimer(ClockSender sender) {
  if (sender == ClockSender::ClockTimer) ++running_seconds_;
  if (!settings_ || settings_->clock <= kNoClock) return;
  clock_text_ = settings_->clock == kCurrentTime ? platform_.host.LongTimeText()
                                                 : RunningTimeText(running_seconds_);
}

// ---------------------------------------------------------------- input

void TMainForm::FormKeyDown(std::uint16_t key) {
  if (asking_password_) return;
  if (!settings_) {
    Close();
    return;
  }
  ApplyKey(key);
}

// Whatever a key changes, the next frame is composed whole.
void TMainForm::ApplyKey(std::uint16_t key) {
  ChangeEveryScene();
  TSettings& settings = *settings_;
  switch (ActionForKey(key)) {
    case KeyAction::NextSet:
      ChangeSet(archive_->CurrentSetIndex() + 1);
      break;
    case KeyAction::PreviousSet:
      ChangeSet(archive_->CurrentSetIndex() - 1);
      break;
    case KeyAction::Faster:
      settings.Speed = SaturatingAdd(settings.Speed, 1);
      break;
    case KeyAction::Slower:
      if (settings.Speed > 1) --settings.Speed;
      break;
    case KeyAction::MoreImages:
      ChangeImageCount(+1);
      break;
    case KeyAction::FewerImages:
      ChangeImageCount(-1);
      break;
    case KeyAction::LargerClockFont:
      ChangeFontSize(*settings.ClockFontDialog, +1);
      break;
    case KeyAction::SmallerClockFont:
      ChangeFontSize(*settings.ClockFontDialog, -1);
      break;
    case KeyAction::LargerSetNameFont:
      ChangeFontSize(*settings.FilenameFontDialog, +1);
      break;
    case KeyAction::SmallerSetNameFont:
      ChangeFontSize(*settings.FilenameFontDialog, -1);
      break;
    case KeyAction::NextClockMode:
      settings.clock = NextClockMode(settings.clock);
      tClockTimer(ClockSender::Other);
      break;
    case KeyAction::ToggleSetName:
      settings.filename = settings.filename >= 1 ? 0 : settings.filename + 1;
      break;
    case KeyAction::ToggleBackground:
      settings.showBackground = !settings.showBackground;
      break;
    case KeyAction::ToggleBouncing:
      settings.bounceImages = !settings.bounceImages;
      break;
    case KeyAction::Close:
      Close();
      break;
  }
}

// A set change by key keeps the images where they are and leaves the timed
// change's rhythm alone.
void TMainForm::ChangeSet(std::int32_t index) {
  archive_->SelectSet(index);
  LoadSetImages();
  PrepareTimedSetChange();
}

void TMainForm::ChangeImageCount(std::int32_t change) {
  std::int32_t& count = settings_->nrImages;
  if (change < 0) {
    // The images beyond the count stay in the array, unseen, and are placed
    // anew when the count grows again.
    if (count >= 2) --count;
    return;
  }
  if (count >= kMaxImages) return;
  count = std::max(count + 1, 0);
  for (const auto& scene : scenes_) {
    scene->Images.resize(static_cast<std::size_t>(std::max(count - 1, 0)));
    if (count > 0) AddImage(*scene);
  }
  PrepareTimedSetChange();  // placing drew from the random source the timer draws from
}

void TMainForm::ChangeFontSize(TFontDialog& dialog, std::int32_t change) {
  const std::int32_t size = dialog.Font.Size();
  if (change < 0 && size <= 0) return;
  dialog.Font.SetSize(SaturatingAdd(size, change));
  dialog.Font.ClampHeight();
}

void TMainForm::FormMouseMove(std::int32_t x, std::int32_t y) {
  if (asking_password_) return;
  if (last_mouse_x_ == -1 && last_mouse_y_ == -1) {
    last_mouse_x_ = x;
    last_mouse_y_ = y;
    return;
  }
  // Both axes must move: a nudge along one edge of the desk does not end
  // the saver. The reference stays the first position recorded.
  const auto distance = [](std::int32_t a, std::int32_t b) { return std::llabs(std::int64_t{a} - b); };
  if (distance(x, last_mouse_x_) > 2 && distance(y, last_mouse_y_) > 2) {
    last_mouse_x_ = x;
    last_mouse_y_ = y;
    Close();
  }
}

// The question runs a modal loop that goes on delivering input, from the
// monitors' cover windows too: one question at a time, and nothing typed or
// clicked meanwhile steers the saver.
void TMainForm::Close() {
  if (close_allowed_ || asking_password_) return;
  asking_password_ = true;
  struct Answered {
    bool& asking;
    ~Answered() { asking = false; }
  } answered{asking_password_};
  close_allowed_ = FormCloseQuery();
}

bool TMainForm::FormCloseQuery() {
  if (mode_ != rmSaver && mode_ != rmPreview) return true;
  platform_.host.ShowCursor(true);
  const bool allowed = platform_.host.VerifySaverPassword();
  if (!allowed) platform_.host.ShowCursor(false);
  return allowed;
}

// ---------------------------------------------------------------- set change

void TMainForm::tSetChangeTimer() {
  if (!archive_ || archive_->ImageSets.size() < 2) return;
  ChangeSet(NextTimedSet(random_));
}

// Any set but the current one, drawn uniformly; there must be two at least.
std::int32_t TMainForm::NextTimedSet(RandomSource& random) const {
  const auto count = static_cast<std::int32_t>(archive_->ImageSets.size());
  std::int32_t index = archive_->CurrentSetIndex();
  while (index == archive_->CurrentSetIndex()) index = random.NextInt(count);
  return index;
}

SetPictures TMainForm::PicturesOf(const TImageSet& set) const {
  SetPictures pictures;
  if (!set.Backgrounds.empty()) pictures.Background = set.Backgrounds.front();
  if (!settings_->noBouncingLogos && !set.Images.empty()) pictures.Sprite = set.Images.front();
  pictures.Client = LargestScene();
  pictures.StretchSmallImages = settings_->stretchSmallImages;
  return pictures;
}

// Only a display that changes sets by itself knows its next set ahead; its
// pictures are read through a reader of their own, off the frame thread.
void TMainForm::StartPreparation() {
  if (!tSetChange.Enabled() || archive_->ImageSets.size() < 2) return;
  if (PictureReader reader = archive_->OwnPictureReader()) {
    preparation_ = std::make_unique<SetPreparation>(std::move(reader));
    PrepareTimedSetChange();
  }
}

// The timer's next set is known as soon as the last change is made: it is
// the timer's own draw, made on a copy of the random source. Whatever draws
// from the source first, or changes the set or the size the background is
// decoded for, prepares anew; the timer takes what was prepared only when
// it is what it shows.
void TMainForm::PrepareTimedSetChange() {
  if (!preparation_) return;
  RandomSource ahead = random_;
  const auto next = static_cast<std::size_t>(NextTimedSet(ahead));
  preparation_->Prepare(PicturesOf(archive_->ImageSets[next]));
}

void TMainForm::FormDestroy() { archive_.reset(); }

}  // namespace ris
