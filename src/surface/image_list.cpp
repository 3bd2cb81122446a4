#include "surface/image_list.h"

#include "surface/blit.h"

namespace ris {
namespace {

std::optional<ColourValue> KeyOf(const TPictureCollectionItem& item) {
  if (!item.Transparent) return std::nullopt;
  return item.TransparentColor();
}

}  // namespace

Result<bool, DecodeError> TDXImageList::InitializeItems() {
  std::optional<DecodeError> first_error;
  for (TPictureCollectionItem& item : items_) {
    item.initialized_ = true;
    if (auto restored = RestoreItem(item); !restored && !first_error) first_error = restored.error();
  }
  if (first_error) return Failure{*first_error};
  return true;
}

void TDXImageList::FinalizeItems() noexcept {
  for (TPictureCollectionItem& item : items_) {
    item.initialized_ = false;
    item.pixels_.reset();
    item.scaled_.Forget();
  }
}

Result<bool, DecodeError> TDXImageList::RestoreItem(TPictureCollectionItem& item) {
  if (item.Picture.Empty() || !item.initialized_) return false;
  auto pixels = item.Picture.SharedPixels(item.StretchSize);
  if (!pixels) return Failure{pixels.error()};
  // Drawing reads only the pixels taken here, so a new picture put into the
  // item shows from its own RestoreItem on, never half-way through a frame.
  // Decoded pixels never change: sharing them is as safe as a copy.
  item.pixels_ = *std::move(pixels);
  item.scaled_.Forget();
  return true;
}

void TDXImageList::DrawItem(TPictureCollectionItem& item, Surface& surface, std::int32_t x,
                            std::int32_t y, SurfaceRect clip) {
  if (!item.pixels_ || x > surface.Width() || y > surface.Height()) return;
  DrawPicture(surface, *item.pixels_, x, y, KeyOf(item), clip);
}

void TDXImageList::StretchDrawItem(TPictureCollectionItem& item, Surface& surface, SurfaceRect rect,
                                   SurfaceRect clip) {
  if (!item.pixels_) return;
  StretchDrawPicture(surface, *item.pixels_, rect, KeyOf(item), item.scaled_, clip);
}

}  // namespace ris
