#include "display/main_form.h"
#include "display/main_form_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/rounding.h"
#include "data/settings.h"
#include "data/zip_file_settings.h"
#include "display/background_layout.h"
#include "display/frame_composer.h"
#include "display/motion.h"
#include "shells/headless/freetype_text.h"
#include "shells/headless/headless_display_host.h"
#include "shells/headless/headless_shell.h"
#include "shells/headless/headless_system.h"
#include "shells/headless/memory_hive.h"
#include "shells/headless/offscreen_presenter.h"
#include "support/allocation_count.h"
#include "support/box_text_renderer.h"
#include "support/temp_folder.h"

namespace ris {
namespace {

using testing_support::TempFolder;

constexpr const char* kSaverPath = "C:\\Savers\\Demo.scr";
constexpr std::uint16_t kEscape = 27, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr std::uint16_t kNumpad0 = 96, kNumpad1 = 97, kNumpad5 = 101, kNumpad7 = 103, kNumpad9 = 105;
constexpr std::uint16_t kAdd = 107, kSubtract = 109, kMultiply = 106, kDivide = 111, kDecimal = 110;
constexpr Bgra kNavy{0x80, 0, 0, 255};
constexpr Bgra kMagenta{255, 0, 255, 255};
constexpr Bgra kOrange{0, 0x80, 0xFF, 255};

// The settings a test starts from; each test changes the keys it is about.
std::map<std::string, std::string> BaseSettings() {
  return {{"title", "Form Test"},          {"BackgroundColor", "$00102030"},
          {"showBackground", "false"},     {"stretchSmallImages", "false"},
          {"noBouncingLogos", "false"},    {"bounceImages", "false"},
          {"nrImages", "1"},               {"Speed", "0"},
          {"fixedSpeed", "false"},         {"clock", "2"},
          {"filename", "0"},               {"SetTime", "0"},
          {"selectedSets", "*all*"},       {"monitors", "0"},
          {"clockFont", "object F: TFontDialog;  Font.Color = clRed;  Font.Height = -16;  "
                        "Font.Name = 'Arial';end"},
          {"filenameFont", "object F: TFontDialog;  Font.Color = clYellow;  Font.Height = -12;  "
                           "Font.Name = 'Arial';end"}};
}

// A settings text with every key user-settable, so that keys persist.
std::string SettingsText(const std::map<std::string, std::string>& values) {
  const std::map<std::string, std::vector<std::string>> sections = {
      {"general", {"title", "BackgroundColor", "showBackground"}},
      {"bounce", {"noBouncingLogos", "bounceImages", "nrImages", "Speed", "fixedSpeed"}},
      {"clocksettings", {"clock", "clockFont"}},
      {"FilenameSettings", {"filename", "filenameFont"}},
      {"sets", {"selectedSets", "SetTime"}},
      {"backgrounds", {"stretchSmallImages"}},
      {"display", {"monitors"}}};
  std::string text;
  for (const auto& [section, keys] : sections) {
    text += "[" + section + "]\r\n";
    for (const auto& key : keys) {
      text += key + "=" + values.at(key) + "\r\n";
      if (key != "title" && key != "noBouncingLogos" && key != "monitors") text += "set" + key + "=true\r\n";
    }
  }
  return text;
}

// A binary portable pixmap filled with one colour, its top-left pixel in
// another.
std::string Pixmap(int width, int height, Bgra fill, Bgra corner) {
  std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int i = 0; i < width * height; ++i) {
    const Bgra pixel = i == 0 ? corner : fill;
    bytes += {static_cast<char>(pixel.R), static_cast<char>(pixel.G), static_cast<char>(pixel.B)};
  }
  return bytes;
}

class MainForm : public testing::Test {
 protected:
  // Packs the settings and the given files (name to bytes) with Info-ZIP.
  void Pack(const std::map<std::string, std::string>& settings,
            std::map<std::string, std::string> files = DefaultPictures()) {
    files["settings.txt"] = SettingsText(settings);
    std::string names;
    for (const auto& [name, bytes] : files) {
      folder_.Write("content/" + name, bytes);
      names += " '" + name + "'";
    }
    const std::string password = ArchivePasswordFor(kSaverPath, "rimages");
    ASSERT_TRUE(folder_.Run("cd content && rm -f ../Demo.dat && zip -q -P '" + password +
                            "' ../Demo.dat" + names));
    system_.MapFile(ArchiveNameFor(kSaverPath), folder_.Path() / "Demo.dat");
  }

  // Only the set "alpha", its picture in `folder` replaced by a JPEG that
  // ImageMagick draws from `drawing`.
  void PackAlphaWithJpeg(const std::string& folder, const std::string& drawing,
                         std::map<std::string, std::string> settings) {
    ASSERT_TRUE(folder_.Run("convert " + drawing + " picture.jpg"));
    auto files = DefaultPictures();
    files.erase(folder + "/alpha.ppm");
    files[folder + "/alpha.jpg"] = folder_.Read("picture.jpg");
    settings["selectedSets"] = "alpha";
    Pack(settings, files);
  }

  static std::map<std::string, std::string> DefaultPictures() {
    std::map<std::string, std::string> files;
    for (const char* set : {"alpha", "beta", "gamma"}) {
      files[std::string("backgrounds/") + set + ".ppm"] = Pixmap(80, 60, kNavy, kNavy);
      files[std::string("icons/") + set + ".ppm"] = Pixmap(16, 16, kOrange, kMagenta);
    }
    return files;
  }

  TMainForm& Start(RunMode mode = rmSaver) {
    form_ = std::make_unique<TMainForm>(DisplayPlatform{system_, hive_, presenter_, text_, host_}, mode);
    form_->Show();
    return *form_;
  }

  MainFormProbe Probe() const { return MainFormProbe(*form_); }

  // One frame, a frame interval later.
  void Tick() {
    host_.Advance(TDXTimer::kDefaultInterval);
    form_->PollTimers();
  }

  Bgra Shown(int x, int y) const {
    Bgra pixel = presenter_.LastFrame().Row(y)[static_cast<std::size_t>(x)];
    pixel.A = 255;
    return pixel;
  }

  std::string CurrentSetName() const { return Probe().Archive()->CurrentSet()->Name; }

  TempFolder folder_;
  HeadlessSystem system_{kSaverPath};
  MemoryHive hive_;
  OffscreenPresenter presenter_;
  BoxTextRenderer text_;
  HeadlessDisplayHost host_{{}};
  std::unique_ptr<TMainForm> form_;
};

TEST(BackgroundRect, CentredAtItsSizeOrScaledToFit) {
  const PixelSize screen{1024, 768};
  const auto rect = [&](PixelSize picture, bool stretch) {
    const auto r = BackgroundRect(screen, picture, stretch);
    return r ? std::vector{r->Left, r->Top, r->Right, r->Bottom} : std::vector<std::int32_t>{};
  };
  EXPECT_EQ(rect({800, 600}, false), (std::vector{112, 84, 912, 684}));
  EXPECT_EQ(rect({800, 600}, true), (std::vector{0, 0, 1024, 768}));
  EXPECT_EQ(rect({2000, 500}, false), (std::vector{0, 256, 1024, 512}));
  EXPECT_EQ(rect({500, 2000}, true), (std::vector{416, 0, 608, 768}));
  EXPECT_EQ(rect({0, 600}, true), std::vector<std::int32_t>{});
}

TEST_F(MainForm, FrameDrawsBackgroundImagesClockAndSetNameInThatOrder) {
  auto settings = BaseSettings();
  settings["showBackground"] = "true";
  Pack(settings);
  Start();
  Tick();
  EXPECT_EQ(Shown(471, 353), (Bgra{0x10, 0x20, 0x30, 255}));  // the background colour around
  EXPECT_EQ(Shown(472, 354), kNavy);                          // the picture, unscaled and centred

  const TBouncingImage& image = Probe().Images().at(0);
  const int x = static_cast<int>(std::lround(image.Position.X));
  const int y = static_cast<int>(std::lround(image.Position.Y));
  EXPECT_EQ(Shown(x + 1, y + 1), kOrange);
  EXPECT_NE(Shown(x, y), kMagenta);  // the corner's colour is the key: never drawn

  // Clock white with its shadow 2 pixels off, flush right; then the set name
  // in its font's colour with its shadow one pixel off. The clock is the
  // system's UTF-8, the name the product's code page.
  ASSERT_EQ(text_.Calls.size(), 4u);
  const std::int32_t clock_x = 1024 - 8 * BoxTextRenderer::kAdvance - 2;
  EXPECT_EQ(text_.Calls[0].Text, "00:00:00");
  EXPECT_EQ((std::vector{text_.Calls[0].X, text_.Calls[0].Y}), (std::vector{clock_x + 2, 2}));
  EXPECT_EQ(text_.Calls[0].Colour, 0u);
  EXPECT_EQ((std::vector{text_.Calls[1].X, text_.Calls[1].Y}), (std::vector{clock_x, 0}));
  EXPECT_EQ(text_.Calls[1].Colour, 0xFFFFFFu);  // not the clock font's red
  EXPECT_EQ(text_.Calls[2].Text, CurrentSetName());
  EXPECT_EQ((std::vector{text_.Calls[2].X, text_.Calls[2].Y, text_.Calls[3].X, text_.Calls[3].Y}),
            (std::vector{1, 1, 0, 0}));
  EXPECT_EQ(text_.Calls[3].Colour, 0x00FFFFu);  // yellow
  EXPECT_EQ((std::vector{text_.Calls[1].Encoding, text_.Calls[3].Encoding}),
            (std::vector{TextEncoding::Utf8, TextEncoding::ProductCodePage}));
  EXPECT_EQ(Shown(0, 0), (Bgra{0, 255, 255, 255}));
}

TEST(FrameComposer, AnImageOnAnExactHalfPixelIsDrawnAtTheEvenOne) {
  // Halves away from zero would put each one pixel right or down; cutting
  // the fraction off, one pixel up or left.
  struct Case {
    TVector position;
    std::int32_t left;
    std::int32_t top;
  };
  for (const Case& c : {Case{{2.5f, 5.5f}, 2, 6}, Case{{3.5f, 4.5f}, 4, 4}}) {
    OffscreenPresenter presenter;
    BoxTextRenderer text;
    TDXImageList images(1);
    TDXDraw draw(presenter, text, images);
    images.Item(0).Picture = TPicture::FromPixels(PixelImage::Blank(2, 2, kOrange), false);
    ASSERT_TRUE(draw.Initialize(12, 12));
    const std::vector<TBouncingImage> sprites{{c.position, {}}};
    FrameScene scene;
    scene.Sprite = &images.Item(0);
    scene.Images = sprites;
    scene.OverlayArea = {0, 0, 12, 12};
    FrameComposer composer;
    MarkImagePlaces(draw, scene);
    composer.Compose(draw, scene);
    draw.PresentFrame();
    const auto orange = [&](std::int32_t x, std::int32_t y) {
      Bgra pixel = presenter.LastFrame().Row(y)[static_cast<std::size_t>(x)];
      pixel.A = 255;
      return pixel == kOrange;
    };
    EXPECT_TRUE(orange(c.left, c.top) && orange(c.left + 1, c.top + 1)) << c.position.X << ", " << c.position.Y;
    EXPECT_FALSE(orange(c.left - 1, c.top) || orange(c.left + 2, c.top) || orange(c.left, c.top - 1) ||
                 orange(c.left, c.top + 2))
        << c.position.X << ", " << c.position.Y;
  }
}

TEST_F(MainForm, FramesAfterTheFirstAllocateNothingForScreenOrImages) {
  auto settings = BaseSettings();
  settings["showBackground"] = "true";
  settings["stretchSmallImages"] = "true";
  settings["bounceImages"] = "true";
  settings["nrImages"] = "300";
  settings["Speed"] = "3";
  Pack(settings);
  Start();
  Tick();
  text_.Calls.reserve(1000);
  const std::size_t before = testing_support::AllocationCount();
  for (int frame = 0; frame < 20; ++frame) Tick();
  EXPECT_EQ(testing_support::AllocationCount(), before);
  EXPECT_EQ(presenter_.FramesPresented(), 21u);
}

TEST_F(MainForm, RunningClockCountsFromStartEvenWhileHidden) {
  auto settings = BaseSettings();
  settings["clock"] = "0";
  Pack(settings);
  Start();
  for (int second = 0; second < 9; ++second) {
    host_.Advance(1000);
    form_->PollTimers();
  }
  EXPECT_EQ(Probe().RunningSeconds(), 9u);
  EXPECT_EQ(Probe().ClockText(), "");
  form_->FormKeyDown(kNumpad5);  // current time
  EXPECT_EQ(Probe().ClockText(), "12:00:09");
  form_->FormKeyDown(kNumpad5);  // running time, refreshed without counting a second
  EXPECT_EQ(Probe().ClockText(), "00:00:09");
  form_->FormKeyDown(kNumpad5);
  EXPECT_EQ(Probe().Settings()->clock, 0);
  EXPECT_EQ(Probe().RunningSeconds(), 9u);
}

TEST_F(MainForm, KeysChangeTheSettingsInMemory) {
  auto settings = BaseSettings();
  settings["Speed"] = "1";
  settings["nrImages"] = "2";
  Pack(settings);
  Start();
  TSettings& model = *Probe().Settings();

  form_->FormKeyDown(kDown);
  EXPECT_EQ(model.Speed, 1);
  form_->FormKeyDown(kUp);
  EXPECT_EQ(model.Speed, 2);

  form_->FormKeyDown(kSubtract);
  form_->FormKeyDown(kSubtract);
  EXPECT_EQ(model.nrImages, 1);
  EXPECT_EQ(Probe().Images().size(), 2u);  // kept, unseen
  const TBouncingImage second = Probe().Images()[1];
  form_->FormKeyDown(kAdd);
  EXPECT_EQ(model.nrImages, 2);
  ASSERT_EQ(Probe().Images().size(), 2u);
  EXPECT_NE(Probe().Images()[1].Position, second.Position);  // placed anew

  model.ClockFontDialog->Font.SetSize(1);
  form_->FormKeyDown(kDivide);
  form_->FormKeyDown(kDivide);
  EXPECT_EQ(model.ClockFontDialog->Font.Size(), 0);
  form_->FormKeyDown(kMultiply);
  EXPECT_EQ(model.ClockFontDialog->Font.Size(), 1);

  form_->FormKeyDown(kNumpad1);
  EXPECT_EQ(model.filename, 1);
  form_->FormKeyDown(kNumpad1);
  EXPECT_EQ(model.filename, 0);
  form_->FormKeyDown(kNumpad7);
  EXPECT_TRUE(model.showBackground);
  form_->FormKeyDown(kNumpad9);
  EXPECT_TRUE(model.bounceImages);
  EXPECT_FALSE(form_->CloseAllowed());
  EXPECT_EQ(host_.PasswordQuestions(), 0);
}

TEST_F(MainForm, SetKeysWrapAroundAndKeepTheImagesWhereTheyAre) {
  Pack(BaseSettings());
  Start();
  Probe().Archive()->SelectSet(2);
  const auto images = Probe().Images();
  form_->FormKeyDown(kLeft);
  EXPECT_EQ(CurrentSetName(), "alpha");
  form_->FormKeyDown(kRight);
  EXPECT_EQ(CurrentSetName(), "gamma");
  EXPECT_EQ(Probe().Images()[0].Position, images[0].Position);
}

TEST_F(MainForm, OtherKeysAndClearMovementsCloseThroughThePassword) {
  Pack(BaseSettings());
  Start();
  host_.SetPasswordAccepted(false);
  form_->FormKeyDown(kEscape);
  EXPECT_FALSE(form_->CloseAllowed());
  EXPECT_EQ(host_.CursorCount(), 0);  // shown for the question, hidden again

  form_->FormMouseMove(100, 100);  // the reference
  form_->FormMouseMove(110, 100);  // one axis only
  form_->FormMouseMove(102, 102);  // not more than 2 on either
  EXPECT_EQ(host_.PasswordQuestions(), 1);
  form_->FormMouseMove(103, 103);
  EXPECT_EQ(host_.PasswordQuestions(), 2);
  host_.SetPasswordAccepted(true);
  form_->FormMouseMove(103, 106);  // measured from (103, 103) now: one axis
  EXPECT_FALSE(form_->CloseAllowed());
  Probe().Click();
  EXPECT_TRUE(form_->CloseAllowed());
  EXPECT_EQ(host_.CursorCount(), 1);
}

TEST_F(MainForm, InputWhileThePasswordIsAskedIsIgnored) {
  Pack(BaseSettings());
  Start();
  const std::int32_t speed = Probe().Settings()->Speed;
  host_.SetPasswordAccepted(false);
  host_.WhileAsked([this] {
    form_->FormKeyDown(kUp);
    form_->FormMouseMove(100, 100);
    form_->FormMouseMove(200, 200);
    form_->DXDrawMouseDown();
    form_->Close();
  });
  form_->FormKeyDown(kEscape);
  EXPECT_EQ(host_.PasswordQuestions(), 1);
  EXPECT_EQ(Probe().Settings()->Speed, speed);
  EXPECT_EQ(host_.CursorCount(), 0);
  EXPECT_FALSE(Probe().AskingPassword());
  host_.WhileAsked({});
  form_->FormMouseMove(100, 100);  // the first reference: the moves meanwhile left none
  EXPECT_EQ(host_.PasswordQuestions(), 1);
}

TEST_F(MainForm, KeyChangesPersistForTheNextRun) {
  Pack(BaseSettings());
  Start();
  RunHeadlessDisplay(*form_, host_, {{100, ScriptedInput::Kind::Key, kUp}, {200, ScriptedInput::Kind::Key, kUp},
                                     {300, ScriptedInput::Kind::Key, kEscape}}, 1000);
  form_.reset();
  Start();
  EXPECT_EQ(Probe().Settings()->Speed, 2);
}

TEST_F(MainForm, SelectionNarrowsTheSetsUnlessItNamesNone) {
  const auto sets_for = [this](const std::string& selection) {
    auto settings = BaseSettings();
    settings["selectedSets"] = selection;
    hive_ = MemoryHive();  // no stored selection from the run before
    Pack(settings);
    Start();
    std::string names;
    for (const TImageSet& set : Probe().Archive()->ImageSets) names += set.Name + " ";
    form_.reset();
    return names;
  };
  EXPECT_EQ(sets_for("gamma;alpha"), "alpha gamma ");
  EXPECT_EQ(sets_for("*all*;beta"), "alpha beta gamma ");
  EXPECT_EQ(sets_for(""), "alpha beta gamma ");
  EXPECT_EQ(sets_for("Alpha;omega"), "alpha beta gamma ");  // names no set: all take part
}

TEST_F(MainForm, TimedSetChangePicksAnotherSetOnlyWhenThereIsOne) {
  auto settings = BaseSettings();
  settings["SetTime"] = "30";
  Pack(settings);
  Start();
  const std::string first = CurrentSetName();
  host_.Advance(29'999);
  form_->PollTimers();
  EXPECT_EQ(CurrentSetName(), first);
  host_.Advance(1);
  form_->PollTimers();
  EXPECT_NE(CurrentSetName(), first);

  settings["selectedSets"] = "beta";
  Pack(settings);
  Start();
  host_.Advance(60'000);
  form_->PollTimers();
  EXPECT_EQ(CurrentSetName(), "beta");
}

TEST_F(MainForm, BrokenOrMissingPicturesNeverStopTheDisplay) {
  auto files = DefaultPictures();
  files["backgrounds/beta.ppm"] = "P6\n80 60\n255\nshort";  // cannot be decoded
  files.erase("icons/beta.ppm");                              // no moving picture
  files["stray.ppm"] = Pixmap(4, 4, kNavy, kNavy);            // a set of its own, empty
  auto settings = BaseSettings();
  settings["showBackground"] = "true";
  Pack(settings, files);
  Start();
  for (std::int32_t set = 0; set < 4; ++set) {
    Probe().Archive()->SelectSet(set);
    Probe().LoadSetImages();
    Tick();
  }
  EXPECT_EQ(presenter_.FramesPresented(), 4u);
  EXPECT_TRUE(host_.Errors().empty());

  Pack(settings, {{"stray.txt", "no pictures at all"}});
  Start();
  Tick();
  form_->FormKeyDown(kLeft);
  EXPECT_EQ(presenter_.FramesPresented(), 5u);
}

TEST_F(MainForm, WithoutMovingPicturesTheImagesShowTheBackground) {
  auto settings = BaseSettings();
  settings["noBouncingLogos"] = "true";
  Pack(settings);
  Start();
  EXPECT_EQ(Probe().SpriteItem(), 0);
  EXPECT_TRUE(Probe().ImageList().Item(1).Picture.Empty());
}

TEST_F(MainForm, JpegMovingPictureTakesItsKeyFromDecodedPixels) {
  PackAlphaWithJpeg("icons", "-size 16x16 xc:'#00ff00'", BaseSettings());
  Start();
  const ColourValue key = Probe().ImageList().Item(1).TransparentColor();
  EXPECT_NEAR(static_cast<int>((key >> 8) & 0xFF), 255, 2);
  EXPECT_LT(key & 0xFF, 3u);
}

// The preview shows a photograph a quarter of its size: only that much is
// decoded, and more once the window grows.
TEST_F(MainForm, BackgroundIsDecodedAtTheSizeItIsShownAt) {
  auto settings = BaseSettings();
  settings["showBackground"] = "true";
  PackAlphaWithJpeg("backgrounds", "-size 640x480 gradient:navy-orange", settings);
  Start(rmPreview);
  const auto decoded = [this] {
    const PixelImage* pixels = Probe().ImageList().Item(0).Pixels();
    return pixels ? PixelSize{pixels->Width, pixels->Height} : PixelSize{};
  };
  EXPECT_EQ(decoded(), (PixelSize{160, 120}));
  form_->FormResize(320, 240);
  EXPECT_EQ(decoded(), (PixelSize{320, 240}));
  Tick();
  EXPECT_NE(Shown(160, 230), Shown(160, 10));  // the gradient, not the colour
}

TEST_F(MainForm, PreviewIsSmallAndDividesSpeedAndFontSizes) {
  auto settings = BaseSettings();
  settings["Speed"] = "16";  // 16 / 6.4 = 2.5: 2 by halves to even, so 3 steps
  settings["fixedSpeed"] = "true";
  Pack(settings);
  Start(rmPreview);
  EXPECT_EQ(form_->ClientSize(), (PixelSize{152, 114}));
  EXPECT_EQ(presenter_.LastFrame().Width(), 0);
  std::vector<TBouncingImage> expected = Probe().Images();
  for (int step = 0; step < 3; ++step) MoveImages(expected, {16, 16}, {152, 114});
  Tick();
  EXPECT_EQ(presenter_.LastFrame().Width(), 152);
  EXPECT_EQ(Probe().Images()[0].Position, expected[0].Position);
  ASSERT_GE(text_.Calls.size(), 2u);
  EXPECT_EQ(text_.Calls[0].Font.Size(), 2);  // 12 points shown at 2
  EXPECT_EQ(Probe().Settings()->ClockFontDialog->Font.Size(), 12);
}


// Each set's pictures have sizes of their own, so an item shows which set
// it was loaded from.
std::map<std::string, std::string> PicturesSizedBySet(
    const std::vector<std::string>& sets = {"alpha", "beta", "gamma"}) {
  std::map<std::string, std::string> files;
  int side = 8;
  for (const std::string& set : sets) {
    files["backgrounds/" + set + ".ppm"] = Pixmap(side * 5, side * 4, kNavy, kNavy);
    files["icons/" + set + ".ppm"] = Pixmap(side, side, kOrange, kMagenta);
    side += 4;
  }
  return files;
}

TEST_F(MainForm, SetChangesReplaceBothPicturesAndKeysLeaveTheTimersRhythm) {
  auto settings = BaseSettings();
  settings["SetTime"] = "30";
  Pack(settings, PicturesSizedBySet());
  Start();
  const auto item_widths = [&] {
    return std::vector{TDXImageList::ItemWidth(Probe().ImageList().Item(0)),
                       TDXImageList::ItemWidth(Probe().ImageList().Item(1))};
  };
  const auto widths_of = [](const std::string& set) {
    const int side = set == "alpha" ? 8 : set == "beta" ? 12 : 16;
    return std::vector{side * 5, side};
  };
  EXPECT_EQ(item_widths(), widths_of(CurrentSetName()));

  host_.Advance(20'000);
  form_->PollTimers();
  form_->FormKeyDown(kRight);
  const std::string by_key = CurrentSetName();
  EXPECT_EQ(item_widths(), widths_of(by_key));

  host_.Advance(10'000);  // 30 s after the start, not after the key
  form_->PollTimers();
  EXPECT_NE(CurrentSetName(), by_key);
  EXPECT_EQ(item_widths(), widths_of(CurrentSetName()));
}

// The timer's next set is decoded ahead; what it shows is what reading the
// set when it is shown gives.
TEST_F(MainForm, TimedSetChangeShowsThePreparedSetAsReadDirectly) {
  auto settings = BaseSettings();
  settings["SetTime"] = "30";
  settings["showBackground"] = "true";
  settings["stretchSmallImages"] = "true";
  Pack(settings, PicturesSizedBySet());
  Start();
  ASSERT_TRUE(Probe().PreparesSets());
  const auto shown = [this] {
    std::vector<Bgra> state;
    for (std::size_t item : {0u, 1u}) {
      const TPictureCollectionItem& shown_item = Probe().ImageList().Item(item);
      state.insert(state.end(), shown_item.Pixels()->Pixels.begin(), shown_item.Pixels()->Pixels.end());
      state.push_back(BgraFromColour(shown_item.TransparentColor()));
      state.push_back(Bgra{static_cast<std::uint8_t>(shown_item.StretchSize.Width), 0, 0, 0});
    }
    return state;
  };
  Probe().WaitForPreparedSet();
  host_.Advance(30'000);
  form_->PollTimers();
  const std::vector<Bgra> prepared = shown();
  Probe().LoadSetImages();  // the preparation is for the next set by now
  EXPECT_EQ(shown(), prepared);
}

// A set whose pictures the helper cannot read fails when it is shown, as it
// would without preparing: here, an entry under another password ends the
// saver then, and not before.
TEST_F(MainForm, ASetThatFailsFailsWhenItIsShown) {
  auto settings = BaseSettings();
  settings["SetTime"] = "30";
  Pack(settings);
  Start();
  host_.Advance(30'000);
  form_->PollTimers();
  const std::string next = CurrentSetName();  // the same seed draws the same sets again

  Pack(settings);
  ASSERT_TRUE(folder_.Run("cd content && zip -q -P other ../Demo.dat 'backgrounds/" + next + ".ppm'"));
  Start();
  Probe().WaitForPreparedSet();
  Tick();
  host_.Advance(30'000);
  try {
    form_->PollTimers();
    ADD_FAILURE() << "the saver went on";
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.ExitCode(), kExitWrongPassword);
  }
}

// Two forms on the same seed, settings and input, one composing each frame
// whole (a resize to the same size asks for that), the other only what
// changed: every frame they present must be the same, pixel for pixel,
// through motion, collisions, keys, set changes, clock ticks and resizes.
TEST_F(MainForm, FramesComposedFromChangesMatchFramesComposedWhole) {
  auto settings = BaseSettings();
  settings["showBackground"] = "true";
  settings["stretchSmallImages"] = "true";
  settings["bounceImages"] = "true";
  settings["nrImages"] = "12";
  settings["Speed"] = "3";
  settings["clock"] = "1";
  settings["SetTime"] = "5";
  settings["clockFont"] = "object F: TFontDialog;  Font.Height = -20;  Font.Name = 'Arial';  "
                          "Font.Style = [fsBold, fsItalic];end";
  settings["filenameFont"] = "object F: TFontDialog;  Font.Color = clYellow;  Font.Height = -15;  "
                             "Font.Name = 'Arial';  Font.Style = [fsItalic, fsUnderline];end";
  // Italic names whose last letters lean past their advance.
  Pack(settings, PicturesSizedBySet({"leaf", "fjord", "wolf"}));
  FreeTypeTextRenderer text;
  struct Run {
    MemoryHive hive;
    OffscreenPresenter presenter;
    HeadlessDisplayHost host{{{320, 200}}};
    std::unique_ptr<TMainForm> form;
  };
  Run changed;
  Run whole;
  for (Run* run : {&changed, &whole}) {
    run->form = std::make_unique<TMainForm>(DisplayPlatform{system_, run->hive, run->presenter, text, run->host}, rmSaver);
    run->form->Show();
  }
  const std::uint16_t keys[] = {kLeft,   kRight,   kUp,      kDown,    kAdd,     kSubtract, kMultiply,
                                kDivide, kNumpad0, kDecimal, kNumpad1, kNumpad5, kNumpad7,  kNumpad9};
  std::mt19937 random(2026);
  constexpr int kFrames = 400;
  std::int64_t copied = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    const auto event = static_cast<std::size_t>(random() % 100);
    for (Run* run : {&changed, &whole}) {
      if (event < std::size(keys)) run->form->FormKeyDown(keys[event]);
      if (event == 99) run->form->FormResize(260 + frame % 100, 200);
    }
    whole.form->FormResize(whole.form->ClientSize().Width, 200);
    for (Run* run : {&changed, &whole}) {
      run->host.Advance(TDXTimer::kDefaultInterval);
      run->form->PollTimers();
    }
    copied += changed.presenter.PixelsCopied();
    // What was shown, and what a window repainted from the back surface shows.
    const auto expected = whole.presenter.LastFrame().Pixels();
    ASSERT_TRUE(std::ranges::equal(changed.presenter.LastFrame().Pixels(), expected)) << "frame " << frame;
    ASSERT_TRUE(std::ranges::equal(changed.form->BackSurface()->Pixels(), expected)) << "frame " << frame;
  }
  EXPECT_EQ(changed.presenter.FramesPresented(), std::uint64_t{kFrames});
  // Keys, set changes and resizes make about a fifth of the frames whole.
  EXPECT_LT(copied, std::int64_t{kFrames} * 320 * 200 * 2 / 5);
}

TEST_F(MainForm, BackgroundPictureIsDrawnOnlyWhileShown) {
  auto settings = BaseSettings();
  settings["nrImages"] = "0";
  Pack(settings);
  Start();
  const Bgra colour{0x10, 0x20, 0x30, 255};
  Tick();
  EXPECT_EQ(Shown(512, 384), colour);
  form_->FormKeyDown(kNumpad7);
  Tick();
  EXPECT_EQ(Shown(512, 384), kNavy);
  form_->FormKeyDown(kNumpad7);
  Tick();
  EXPECT_EQ(Shown(512, 384), colour);
}

TEST_F(MainForm, SpritesAreDrawnAtTheirPositionsRoundedHalfToEven) {
  auto settings = BaseSettings();
  settings["Speed"] = "3";
  settings["clock"] = "0";     // no text over the sprite
  settings["filename"] = "1";
  Pack(settings);
  Start();
  bool rounded_up = false;  // a fraction above one half was seen: truncation would differ
  for (int frame = 0; frame < 40; ++frame) {
    Tick();
    const TVector position = Probe().Images()[0].Position;
    const int x = static_cast<int>(RoundHalfEven(position.X));
    const int y = static_cast<int>(RoundHalfEven(position.Y));
    rounded_up |= x > static_cast<int>(position.X) || y > static_cast<int>(position.Y);
    // The keyed corner is not drawn; the pixels beside it are, and the ones
    // just outside are not.
    ASSERT_EQ(Shown(x, y + 1), kOrange) << frame;
    ASSERT_EQ(Shown(x + 1, y), kOrange) << frame;
    if (x > 0) {
      ASSERT_NE(Shown(x - 1, y + 1), kOrange) << frame;
    }
    if (y > 0) {
      ASSERT_NE(Shown(x + 1, y - 1), kOrange) << frame;
    }
  }
  EXPECT_TRUE(rounded_up);
}

TEST_F(MainForm, PreviewPlacesAndMovesInsideItsOwnClientArea) {
  auto settings = BaseSettings();
  settings["nrImages"] = "50";
  settings["Speed"] = "20";
  Pack(settings);
  Start(rmPreview);
  const auto& sprite = Probe().ImageList().Item(static_cast<std::size_t>(Probe().SpriteItem()));
  const auto all_inside = [&](float width, float height) {
    const auto w = static_cast<float>(TDXImageList::ItemWidth(sprite));
    const auto h = static_cast<float>(TDXImageList::ItemHeight(sprite));
    for (const TBouncingImage& image : Probe().Images()) {
      if (image.Position.X < 0 || image.Position.X > width - w || image.Position.Y < 0 ||
          image.Position.Y > height - h) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(all_inside(152, 114));
  for (int frame = 0; frame < 20; ++frame) Tick();
  EXPECT_TRUE(all_inside(152, 114));
}

TEST_F(MainForm, ResizingMovesThePlayfieldClockAndBackSurface) {
  Pack(BaseSettings());
  Start();
  form_->FormResize(640, 400);
  form_->FormResize(0, 0);  // minimised: nothing to follow
  for (int frame = 0; frame < 40; ++frame) Tick();
  EXPECT_EQ(form_->ClientSize(), (PixelSize{640, 400}));
  EXPECT_EQ(presenter_.LastFrame().Width(), 640);
  EXPECT_EQ(presenter_.LastFrame().Height(), 400);
  const TVector position = Probe().Images()[0].Position;
  EXPECT_TRUE(position.X <= 640 - 16 && position.Y <= 400 - 16);
  ASSERT_GE(text_.Calls.size(), 2u);
  EXPECT_EQ(text_.Calls[text_.Calls.size() - 3].X, 640 - 8 * BoxTextRenderer::kAdvance - 2);
}

TEST_F(MainForm, EveryMonitorHasImagesOfItsOwnAndFollowsTheMonitorsAsTheyChange) {
  auto settings = BaseSettings();
  settings["monitors"] = "1";
  settings["nrImages"] = "3";
  Pack(settings);
  host_.SetMonitors({{0, 0, 1024, 768}, {-640, -100, 0, 380}});
  Start();
  Tick();
  ASSERT_EQ(form_->SceneCount(), 2u);
  ASSERT_EQ(Probe().Images(1).size(), 3u);
  for (const TBouncingImage& image : Probe().Images(1)) {
    EXPECT_TRUE(image.Position.X <= 640 - 16 && image.Position.Y <= 480 - 16);
  }
  EXPECT_EQ(host_.SceneFrames(1)->LastFrame().Width(), 640);
  EXPECT_EQ(text_.Calls.size(), 4u);  // the clock and the name, on the primary alone

  host_.SetMonitors({{0, 0, 800, 600}});
  form_->MonitorsChanged();
  Tick();
  EXPECT_EQ(form_->SceneCount(), 1u);
  EXPECT_EQ(presenter_.LastFrame().Width(), 800);
}

TEST_F(MainForm, AcrossAllMonitorsNoImageEntersWhatNoMonitorShows) {
  auto settings = BaseSettings();
  settings["monitors"] = "2";
  settings["nrImages"] = "20";
  settings["Speed"] = "20";
  Pack(settings);
  host_.SetMonitors({{0, 0, 400, 300}, {400, 0, 600, 150}});
  Start();
  const SurfaceRect unseen{400, 150, 600, 300};
  ASSERT_EQ(form_->Layout().Scenes.at(0).Unseen, std::vector{unseen});
  for (int frame = 0; frame < 100; ++frame) {
    Tick();
    for (const TBouncingImage& image : Probe().Images()) {
      const SurfaceRect place{static_cast<std::int32_t>(image.Position.X), static_cast<std::int32_t>(image.Position.Y),
                              static_cast<std::int32_t>(image.Position.X) + 16,
                              static_cast<std::int32_t>(image.Position.Y) + 16};
      ASSERT_FALSE(Overlap(place, unseen)) << "frame " << frame << " at " << image.Position.X << ","
                                           << image.Position.Y;
    }
  }
}

TEST_F(MainForm, ATickWithALostSurfaceMovesAndDrawsNothing) {
  auto settings = BaseSettings();
  settings["Speed"] = "5";
  Pack(settings);
  Start();
  Tick();
  const TVector before = Probe().Images()[0].Position;
  presenter_.LoseSurfaces(false);
  Tick();
  EXPECT_EQ(Probe().Images()[0].Position, before);
  EXPECT_EQ(presenter_.FramesPresented(), 1u);
}

TEST_F(MainForm, FailedStartShowsTheErrorDrawsBlackAndAnyKeyCloses) {
  auto settings = BaseSettings();
  settings["Speed"] = "fast";
  Pack(settings);
  Start();
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{"'fast' is not a valid integer value"});
  Tick();
  const Surface& frame = presenter_.LastFrame();
  for (std::int32_t y = 0; y < frame.Height(); y += 7) {
    for (std::int32_t x = 0; x < frame.Width(); x += 7) ASSERT_EQ(Shown(x, y), (Bgra{0, 0, 0, 255}));
  }
  form_->FormKeyDown(kUp);  // a steering key in a running saver
  EXPECT_TRUE(form_->CloseAllowed());
}

TEST_F(MainForm, WriteFailuresReachTheHostAndStoredValuesOfTheWrongTypeStaySilent) {
  Pack(BaseSettings());
  ASSERT_TRUE(hive_.CreateKey("Software\\Form Test")->WriteValue("bounce nrImages", {RegistryType::String, "x"}));
  hive_.FailWritesOf("bounce Speed");
  Start();
  EXPECT_TRUE(host_.SaveFailures().empty());
  form_.reset();
  EXPECT_EQ(host_.SaveFailures(), std::vector<std::string>{"Failed to set data for 'bounce Speed'"});
  EXPECT_TRUE(host_.Errors().empty());
}

TEST_F(MainForm, WindowTimerTicksCountTheRunningTime) {
  Pack(BaseSettings());
  Start();
  for (int second = 0; second < 3; ++second) form_->FireTimer(FormTimer::Clock);
  EXPECT_EQ(Probe().ClockText(), "00:00:03");
}

}  // namespace
}  // namespace ris
