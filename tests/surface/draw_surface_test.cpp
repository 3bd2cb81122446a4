#include "surface/draw_surface.h"

#include <gtest/gtest.h>

#include "shells/headless/offscreen_presenter.h"
#include "support/box_text_renderer.h"

namespace ris {
namespace {

constexpr Bgra kGreen{0, 255, 0, 255};

class DrawSurface : public testing::Test {
 protected:
  DrawSurface() {
    draw_.OnInitialize = [this] { ++initialized_; };
    draw_.OnFinalize = [this] { ++finalized_; };
  }

  // The presented frame's colour at (x, y), without the unused fourth byte.
  Bgra Shown(int x, int y) const {
    Bgra pixel = presenter_.LastFrame().Row(y)[static_cast<std::size_t>(x)];
    pixel.A = 255;
    return pixel;
  }

  OffscreenPresenter presenter_;
  BoxTextRenderer text_;
  TDXImageList images_{2};
  TDXDraw draw_{presenter_, text_, images_};
  int initialized_ = 0;
  int finalized_ = 0;
};

TEST_F(DrawSurface, ComesUpBlackAtTheWindowSizeAndBuildsWaitingPictures) {
  EXPECT_FALSE(draw_.SurfaceReady());
  images_.Item(0).Picture = TPicture::FromPixels(PixelImage::Blank(2, 2, kGreen), false);
  ASSERT_TRUE(draw_.Initialize(0, 5));
  EXPECT_EQ(initialized_, 1);
  EXPECT_EQ(draw_.BackSurface().Width(), 1);  // never smaller than 1 x 1
  EXPECT_EQ(draw_.BackSurface().Height(), 5);
  EXPECT_TRUE(images_.Item(0).HasPixels());
  draw_.PresentFrame();
  EXPECT_EQ(Shown(0, 4), (Bgra{0, 0, 0, 255}));
}

TEST_F(DrawSurface, FollowsTheWindowSizeAndKeepsTheItems) {
  images_.Item(1).Picture = TPicture::FromPixels(PixelImage::Blank(2, 2, kGreen), false);
  ASSERT_TRUE(draw_.Initialize(4, 4));
  draw_.Resize(152, 112);
  EXPECT_EQ(draw_.BackSurface().Width(), 152);
  EXPECT_TRUE(images_.Item(1).HasPixels());
  TDXImageList::DrawItem(images_.Item(1), draw_.BackSurface(), 150, 110);
  draw_.PresentFrame();
  EXPECT_EQ(Shown(151, 111), kGreen);
}

TEST_F(DrawSurface, LostSurfacesAreRestoredOrTheFrameIsSkipped) {
  images_.Item(0).Picture = TPicture::FromPixels(PixelImage::Blank(2, 2, kGreen), false);
  ASSERT_TRUE(draw_.Initialize(4, 4));
  presenter_.LoseSurfaces(false);
  draw_.PresentFrame();
  EXPECT_EQ(presenter_.FramesPresented(), 0u);
  presenter_.LoseSurfaces(true);
  ASSERT_TRUE(draw_.SurfaceReady());
  TDXImageList::DrawItem(images_.Item(0), draw_.BackSurface(), 0, 0);
  draw_.PresentFrame();
  EXPECT_EQ(presenter_.FramesPresented(), 1u);
  EXPECT_EQ(Shown(1, 1), kGreen);
}

TEST_F(DrawSurface, FinalizingEndsTheFramesOnce) {
  ASSERT_TRUE(draw_.Initialize(4, 4));
  draw_.Finalize();
  draw_.Finalize();
  EXPECT_EQ(finalized_, 1);
  EXPECT_FALSE(draw_.SurfaceReady());
  draw_.PresentFrame();
  EXPECT_EQ(presenter_.FramesPresented(), 0u);
}

TEST_F(DrawSurface, CanvasWritesOnTheBackSurfaceInTheFontsColour) {
  ASSERT_TRUE(draw_.Initialize(40, 20));
  TCanvas& canvas = draw_.SurfaceCanvas();
  canvas.Font.Height = -4;
  canvas.Font.Color = clYellow;
  EXPECT_EQ(canvas.TextWidth("ab"), 2 * BoxTextRenderer::kAdvance);
  canvas.TextOut(3, 2, "ab");
  canvas.Font.Color = clWindowText;  // a system colour, black in the standard scheme
  canvas.TextOut(30, 10, "c");
  draw_.ReleaseCanvas();
  EXPECT_EQ(text_.Flushes, 1);
  draw_.PresentFrame();
  EXPECT_EQ(Shown(3, 2), (Bgra{0, 255, 255, 255}));
  ASSERT_EQ(text_.Calls.size(), 2u);
  EXPECT_EQ(text_.Calls[1].Colour, 0u);
}

}  // namespace
}  // namespace ris
