#pragma once
// The image list of the drawing surface: items that hold a decoded picture
// and, once built, its pixels ready for drawing, with an optional colour key.
// The display form keeps the background in item 0 and the moving picture in
// item 1.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/pixel_size.h"
#include "base/result.h"
#include "pictures/picture.h"
#include "surface/scaler.h"
#include "surface/surface.h"

namespace ris {

class TPictureCollectionItem {
 public:
  // The picture a decoder puts here; RestoreItem builds drawable pixels from it.
  TPicture Picture;
  // Pixels equal to the transparent colour are not drawn.
  bool Transparent = false;
  // The size the item is drawn stretched to, when its owner knows it: a
  // picture that decodes faster at a reduced size then needs only cover
  // it. Empty: the picture's own size.
  PixelSize StretchSize;

  ColourValue TransparentColor() const noexcept { return transparent_color_; }
  bool Initialized() const noexcept { return initialized_; }
  bool HasPixels() const noexcept { return pixels_ != nullptr; }
  const PixelImage* Pixels() const noexcept { return pixels_.get(); }

 private:
  friend class TDXImageList;

  ColourValue transparent_color_ = 0;  // black
  bool initialized_ = false;
  std::shared_ptr<const PixelImage> pixels_;
  ScaledPictureCache scaled_;
};

class TDXImageList {
 public:
  explicit TDXImageList(std::size_t item_count) : items_(item_count) {}

  TPictureCollectionItem& Item(std::size_t index) { return items_.at(index); }
  std::size_t Count() const noexcept { return items_.size(); }

  // The surface came up: every item counts as initialised and is rebuilt
  // from the picture it holds, so pictures loaded before appear at once.
  // Gives the first decoder error met; the other items are built all the same.
  Result<bool, DecodeError> InitializeItems();
  void FinalizeItems() noexcept;

  // Rebuilds the item's pixels from its picture. Nothing happens for an
  // empty picture or an item not initialised. A picture that decodes its
  // pixels only now may fail here; the item then keeps what it had.
  Result<bool, DecodeError> RestoreItem(TPictureCollectionItem& item);

  static void SetItemTransparentColor(TPictureCollectionItem& item, ColourValue colour) noexcept {
    item.transparent_color_ = colour;
  }

  // The picture's size; 0 while it is empty.
  static std::int32_t ItemWidth(const TPictureCollectionItem& item) noexcept { return item.Picture.Width(); }
  static std::int32_t ItemHeight(const TPictureCollectionItem& item) noexcept { return item.Picture.Height(); }

  // 1:1 with the top-left corner at (x, y), clipped to the surface and to
  // `clip`, colour-keyed when the item is transparent. Nothing when the item
  // has no pixels or (x, y) lies beyond the surface's right or bottom edge.
  static void DrawItem(TPictureCollectionItem& item, Surface& surface, std::int32_t x, std::int32_t y,
                       SurfaceRect clip = kUnclipped);

  // Scaled to the rectangle, clipped and colour-keyed as above; nothing for
  // an empty rectangle. The scaled pixels are kept for the next frame.
  static void StretchDrawItem(TPictureCollectionItem& item, Surface& surface, SurfaceRect rect,
                              SurfaceRect clip = kUnclipped);

 private:
  std::vector<TPictureCollectionItem> items_;
};

}  // namespace ris
