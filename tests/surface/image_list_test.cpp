#include "surface/image_list.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

constexpr ColourValue kRed = 0x000000FF;
constexpr ColourValue kBlue = 0x00FF0000;
constexpr Bgra kRedPixel{0, 0, 255, 255};
constexpr Bgra kBluePixel{255, 0, 0, 255};
constexpr Bgra kGreenPixel{0, 255, 0, 255};

// A 2 x 2 picture: red in the top-left corner (the usual key), green elsewhere.
TPicture CornerPicture() {
  PixelImage image = PixelImage::Blank(2, 2, kGreenPixel);
  image.At(0, 0) = kRedPixel;
  return TPicture::FromPixels(image, true);
}

class ImageList : public testing::Test {
 protected:
  ImageList() { surface_.Fill(kBlue); }
  // The surface's colour at (x, y); its fourth byte carries nothing.
  Bgra At(int x, int y) const {
    Bgra pixel = surface_.Row(y)[static_cast<std::size_t>(x)];
    pixel.A = 255;
    return pixel;
  }

  TDXImageList list_{2};
  Surface surface_{4, 4};
};

TEST_F(ImageList, PicturesLoadedBeforeTheSurfaceAppearKeyedOnceItComesUp) {
  auto& sprite = list_.Item(1);
  sprite.Picture = CornerPicture();
  sprite.Transparent = true;
  TDXImageList::SetItemTransparentColor(sprite, kRed);
  EXPECT_FALSE(list_.RestoreItem(sprite).value());  // not initialised yet: nothing built
  TDXImageList::DrawItem(sprite, surface_, 0, 0);
  EXPECT_EQ(At(1, 1), kBluePixel);

  ASSERT_TRUE(list_.InitializeItems());
  TDXImageList::DrawItem(sprite, surface_, 0, 0);
  EXPECT_EQ(At(0, 0), kBluePixel);  // keyed out
  EXPECT_EQ(At(1, 1), kGreenPixel);
  EXPECT_EQ(TDXImageList::ItemWidth(sprite), 2);
}

TEST_F(ImageList, DrawingPastTheRightOrBottomEdgeDrawsNothingButPartlyOutsideClips) {
  auto& background = list_.Item(0);
  background.Picture = CornerPicture();
  ASSERT_TRUE(list_.InitializeItems());
  TDXImageList::DrawItem(background, surface_, 5, 0);
  TDXImageList::DrawItem(background, surface_, 0, 5);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(x, y), kBluePixel);
  }
  TDXImageList::DrawItem(background, surface_, -1, 3);
  EXPECT_EQ(At(0, 3), kGreenPixel);
  EXPECT_EQ(At(1, 3), kBluePixel);
}

TEST_F(ImageList, AnItemWithoutPictureOrRectangleDrawsNothing) {
  ASSERT_TRUE(list_.InitializeItems());
  auto& empty = list_.Item(0);
  EXPECT_FALSE(list_.RestoreItem(empty).value());
  TDXImageList::DrawItem(empty, surface_, 0, 0);
  TDXImageList::StretchDrawItem(empty, surface_, {0, 0, 4, 4});
  auto& sprite = list_.Item(1);
  sprite.Picture = CornerPicture();
  ASSERT_TRUE(list_.RestoreItem(sprite).value());
  TDXImageList::StretchDrawItem(sprite, surface_, {2, 2, 2, 4});
  EXPECT_EQ(At(2, 2), kBluePixel);
  TDXImageList::StretchDrawItem(sprite, surface_, {0, 0, 4, 4});
  EXPECT_EQ(At(3, 3), kGreenPixel);
}

TEST_F(ImageList, APictureThatFailsToDecodeLeavesTheItemAsItWas) {
  auto& sprite = list_.Item(1);
  sprite.Picture = CornerPicture();
  ASSERT_TRUE(list_.InitializeItems());
  sprite.Picture = TPicture::Deferred(3, 3, false, [] {
    return Result<PixelImage, DecodeError>(Failure{DecodeError{"JPEG error #42"}});
  });
  const auto restored = list_.RestoreItem(sprite);
  ASSERT_FALSE(restored);
  EXPECT_EQ(restored.error().Message, "JPEG error #42");
  TDXImageList::DrawItem(sprite, surface_, 0, 0);
  EXPECT_EQ(At(0, 0), kRedPixel);  // the earlier picture still draws
}

TEST_F(ImageList, FinalizingDropsTheBuiltPixels) {
  list_.Item(0).Picture = CornerPicture();
  ASSERT_TRUE(list_.InitializeItems());
  list_.FinalizeItems();
  TDXImageList::DrawItem(list_.Item(0), surface_, 0, 0);
  EXPECT_EQ(At(0, 0), kBluePixel);
}

TEST_F(ImageList, ATransparentColourChangedAfterBuildingKeysPlainAndStretchedCopies) {
  auto& sprite = list_.Item(1);
  sprite.Picture = CornerPicture();
  sprite.Transparent = true;
  TDXImageList::SetItemTransparentColor(sprite, kRed);
  ASSERT_TRUE(list_.InitializeItems());
  TDXImageList::StretchDrawItem(sprite, surface_, {0, 0, 4, 4});  // builds the scaled copy
  surface_.Fill(kBlue);

  TDXImageList::SetItemTransparentColor(sprite, 0x0000FF00);  // green now, red drawn
  TDXImageList::DrawItem(sprite, surface_, 0, 0);
  EXPECT_EQ(At(0, 0), kRedPixel);
  EXPECT_EQ(At(1, 1), kBluePixel);
  surface_.Fill(kBlue);
  TDXImageList::StretchDrawItem(sprite, surface_, {0, 0, 4, 4});
  EXPECT_EQ(At(0, 0), kRedPixel);
  EXPECT_EQ(At(3, 3), kBluePixel);
}

}  // namespace
}  // namespace ris
