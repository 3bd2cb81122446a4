// Composing one 1920 x 1080 frame on the back surface: fill, a 1600 x 1200
// background stretched to the screen (scaled once, then copied from the
// cache), 50 colour-keyed 64 x 64 images, the clock and the set name with
// their shadows in real fonts. Measured against a plain copy of a frame, the
// floor any composition has to pay; the ratio is the number of frame copies a
// composed frame costs. The same frame is composed twice: by the drawing
// layer's calls in that order (the figure kept from before), and whole
// through the display's own FrameComposer, which leaves out the fill under a
// background that covers the screen.
//
// Its twin at 3840 x 2160 with 5 images moving a few pixels a frame goes
// through the display's own FrameComposer: composed whole every frame, and
// composed only where it changed, the clock's text changing every fourth
// frame as it does at four frames a second. Target: changed / whole <= 0.05.
//
// Every allocation of the program is counted, so that the benchmark also
// shows what a frame after the first allocates.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/frame_composer.h"
#include "display/motion.h"
#include "display/overlays.h"
#include "shells/headless/freetype_text.h"
#include "shells/headless/offscreen_presenter.h"
#include "support/allocation_count.h"
#include "surface/draw_surface.h"
#include "surface/image_list.h"

namespace ris {
namespace {

constexpr std::int32_t kScreenWidth = 1920;
constexpr std::int32_t kScreenHeight = 1080;
constexpr std::int32_t kSprite = 64;
constexpr int kSprites = 50;
constexpr PixelSize k4K{3840, 2160};
constexpr int kMovingSprites = 5;
constexpr ColourValue kKey = 0x00FF00FF;  // magenta, the usual transparent colour

PixelImage Background() {
  PixelImage picture = PixelImage::Blank(1600, 1200);
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    for (std::int32_t x = 0; x < picture.Width; ++x) {
      picture.At(x, y) = Bgra{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                              static_cast<std::uint8_t>(x ^ y), 255};
    }
  }
  return picture;
}

// A disc on a key-coloured square, so that about a fifth of each row is
// skipped.
PixelImage Sprite() {
  PixelImage picture = PixelImage::Blank(kSprite, kSprite, Bgra{255, 0, 255, 255});
  const std::int32_t r = kSprite / 2;
  for (std::int32_t y = 0; y < kSprite; ++y) {
    for (std::int32_t x = 0; x < kSprite; ++x) {
      if ((x - r) * (x - r) + (y - r) * (y - r) < r * r) picture.At(x, y) = Bgra{40, 160, 220, 255};
    }
  }
  return picture;
}

struct Position {
  std::int32_t X, Y;
};

// Spread over the screen and a little past its edges, so that clipping is
// part of what is measured.
std::vector<Position> SpritePositions() {
  std::vector<Position> positions;
  std::uint32_t state = 12345u;
  const auto next = [&state](std::int32_t range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int i = 0; i < kSprites; ++i) {
    positions.push_back({next(kScreenWidth + kSprite) - kSprite / 2,
                         next(kScreenHeight + kSprite) - kSprite / 2});
  }
  return positions;
}

// The background in item 0, the moving picture keyed by its corner colour
// in item 1, as the display keeps them.
void LoadItems(TDXImageList& images) {
  images.Item(0).Picture = TPicture::FromPixels(Background(), false);
  TPictureCollectionItem& sprite = images.Item(1);
  sprite.Picture = TPicture::FromPixels(Sprite(), false);
  sprite.Transparent = true;
  TDXImageList::SetItemTransparentColor(sprite, kKey);
}

// The demo product's overlay fonts.
TFont ClockFont() {
  TFont font;
  font.Name = "Arial";
  font.Height = -32;
  font.Style = {TFontStyle::fsBold};
  return font;
}

TFont SetNameFont() {
  TFont font;
  font.Name = "Arial";
  font.Height = -21;
  font.Color = clYellow;
  return font;
}

// The drawing layer as the display keeps it: the two items, a back surface
// of the given size, and text through FreeType.
struct DrawingLayer {
  explicit DrawingLayer(PixelSize size) {
    LoadItems(images);
    static_cast<void>(draw.Initialize(size.Width, size.Height));
  }

  OffscreenPresenter presenter;
  FreeTypeTextRenderer text;
  TDXImageList images{2};
  TDXDraw draw{presenter, text, images};
};

// The drawing layer as the display uses it: two items (the background, and
// the moving picture keyed by its corner colour), a back surface, and text
// through FreeType with the demo product's fonts.
class Display {
 public:
  Display() : layer_({kScreenWidth, kScreenHeight}) {}

  // One frame as a tick composes it, motion aside.
  void ComposeFrame(const std::vector<Position>& positions) {
    Surface& back = layer_.draw.BackSurface();
    TDXDraw::FillSurface(back, 0x00402010);
    TDXImageList::StretchDrawItem(layer_.images.Item(0), back, SurfaceRect{0, 0, kScreenWidth, kScreenHeight});
    for (const Position& at : positions) TDXImageList::DrawItem(layer_.images.Item(1), back, at.X, at.Y);
    DrawClockOverlay(layer_.draw.SurfaceCanvas(), clock_font_, {0, 0, kScreenWidth, kScreenHeight}, clock_text_);
    DrawSetNameOverlay(layer_.draw.SurfaceCanvas(), name_font_, {0, 0, kScreenWidth, kScreenHeight}, set_name_);
    layer_.draw.ReleaseCanvas();
  }

  const Surface& BackSurface() { return layer_.draw.BackSurface(); }

 private:
  DrawingLayer layer_;
  const TFont clock_font_ = ClockFont();
  const TFont name_font_ = SetNameFont();
  const std::string clock_text_ = "12:34:56";
  const std::string set_name_ = "meadow";
};

// One frame an iteration, reporting what a frame allocates: at most what
// the text path does, never the screen or the images.
template <typename DrawFrame>
void MeasureFrames(benchmark::State& state, const Surface& back, DrawFrame draw_frame) {
  const std::size_t allocations_before = testing_support::AllocationCount();
  for (auto _ : state) {
    draw_frame();
    benchmark::DoNotOptimize(back.Pixels().data());
    benchmark::ClobberMemory();
  }
  const std::size_t allocations = testing_support::AllocationCount() - allocations_before;
  state.counters["allocations_per_frame"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_ComposeFrame(benchmark::State& state) {
  const std::vector<Position> positions = SpritePositions();
  Display display;
  display.ComposeFrame(positions);  // the first frame scales and loads the glyphs
  MeasureFrames(state, display.BackSurface(), [&] { display.ComposeFrame(positions); });
  state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 4);
}

// A display through its own FrameComposer: the background stretched to the
// screen, the moving pictures, the clock and the set name.
class ComposedDisplay {
 public:
  ComposedDisplay(PixelSize screen, std::vector<TBouncingImage> images)
      : layer_(screen), screen_(screen), moving_(std::move(images)) {
    scene_.Colour = 0x00402010;
    scene_.Background = &layer_.images.Item(0);
    scene_.BackgroundPlace = SurfaceRect{0, 0, screen.Width, screen.Height};
    scene_.Sprite = &layer_.images.Item(1);
    scene_.Images = moving_;
    scene_.OverlayArea = {0, 0, screen.Width, screen.Height};
    scene_.Clock = OverlayText{ClockFont(), clock_texts_[0]};
    scene_.SetName = OverlayText{SetNameFont(), "meadow"};
    Frame(true, false);  // the first frame scales and loads the glyphs
  }

  // One tick's drawing, whole or only where it changed: the images' places
  // before and after they move (when they do), then the composition, the
  // clock's text changing every fourth frame as it does at four frames a
  // second; presenting, which empties the changes, aside.
  void Frame(bool whole, bool move) {
    if (whole) layer_.draw.Changes().AddWhole();
    scene_.Clock->Text = clock_texts_[(++frames_ / 4) % 2];
    if (move) {
      MarkImagePlaces(layer_.draw, scene_);
      MoveImages(moving_, {kSprite, kSprite}, screen_);
      MarkImagePlaces(layer_.draw, scene_);
    }
    composer_.Compose(layer_.draw, scene_);
    layer_.draw.ReleaseCanvas();
    layer_.draw.Changes().Clear();
  }

  const Surface& BackSurface() { return layer_.draw.BackSurface(); }

 private:
  DrawingLayer layer_;
  PixelSize screen_;
  FrameComposer composer_;
  std::vector<TBouncingImage> moving_;
  const std::string clock_texts_[2] = {"12:34:56", "12:34:57"};
  FrameScene scene_;
  std::uint64_t frames_ = 0;
};

// The 1080p frame above as the display composes it whole, with no fill
// under the background that covers the screen.
void BM_ComposeFrameThroughComposer(benchmark::State& state) {
  std::vector<TBouncingImage> images;
  for (const Position& at : SpritePositions()) {
    images.push_back({{static_cast<float>(at.X), static_cast<float>(at.Y)}, {1.0f, 1.0f}});
  }
  ComposedDisplay display({kScreenWidth, kScreenHeight}, std::move(images));
  MeasureFrames(state, display.BackSurface(), [&] { display.Frame(true, false); });
  state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 4);
}

// The 4K display, its images moving each frame.
std::vector<TBouncingImage> Moving4KImages() {
  std::vector<TBouncingImage> images;
  for (int i = 0; i < kMovingSprites; ++i) {
    const auto at = static_cast<float>(400 + 500 * i);
    images.push_back({{at, at / 3}, {3.0f - static_cast<float>(i), 2.0f}});
  }
  return images;
}

void ComposeChangingFrames(benchmark::State& state, bool whole) {
  ComposedDisplay display(k4K, Moving4KImages());
  MeasureFrames(state, display.BackSurface(), [&] { display.Frame(whole, true); });
}

void BM_ComposeFrame4KWhole(benchmark::State& state) { ComposeChangingFrames(state, true); }
void BM_ComposeFrame4KChanges(benchmark::State& state) { ComposeChangingFrames(state, false); }

void BM_CopyFrame(benchmark::State& state) {
  const std::size_t bytes = std::size_t{kScreenWidth} * kScreenHeight * sizeof(Bgra);
  std::vector<Bgra> from(bytes / sizeof(Bgra), Bgra{1, 2, 3, 0});
  std::vector<Bgra> to(from.size());
  for (auto _ : state) {
    std::memcpy(static_cast<void*>(to.data()), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFrameThroughComposer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFrame4KWhole)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFrame4KChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ris
