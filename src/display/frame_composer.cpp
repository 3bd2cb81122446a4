#include "display/frame_composer.h"

#include "base/conversions.h"
#include "base/rounding.h"
#include "display/overlays.h"

namespace ris {
namespace {

// A position in whole pixels; motion keeps positions near the playfield, and
// the clamp keeps a stray value from wrapping around.
std::int32_t PixelOf(float coordinate) noexcept { return SaturateToInt32(RoundHalfEven(coordinate)); }

// Where an image shows the sprite's built pixels.
SurfaceRect ImagePlace(const TBouncingImage& image, const TPictureCollectionItem& sprite) noexcept {
  const PixelImage* pixels = sprite.Pixels();
  if (pixels == nullptr) return {};
  return BlockRect(PixelOf(image.Position.X), PixelOf(image.Position.Y), pixels->Width, pixels->Height);
}

std::string_view TextOf(const std::optional<OverlayText>& overlay) noexcept {
  return overlay ? overlay->Text : std::string_view{};
}

// Whether the background picture writes every pixel of `area`: built, not
// keyed, and placed over all of it. The colour beneath would then be
// overwritten in the same frame.
bool BackgroundCovers(const FrameScene& scene, SurfaceRect area) noexcept {
  return scene.Background != nullptr && scene.Background->HasPixels() && !scene.Background->Transparent &&
         scene.BackgroundPlace && Contains(*scene.BackgroundPlace, area);
}

void DrawBackground(Surface& back, const FrameScene& scene, SurfaceRect area) {
  if (!BackgroundCovers(scene, area)) back.Fill(scene.Colour, area);
  if (scene.Background != nullptr && scene.BackgroundPlace) {
    TDXImageList::StretchDrawItem(*scene.Background, back, *scene.BackgroundPlace, area);
  }
}

void DrawImages(Surface& back, const FrameScene& scene, SurfaceRect area) {
  for (const TBouncingImage& image : scene.Images) {
    const SurfaceRect place = ImagePlace(image, *scene.Sprite);
    if (Overlap(place, area)) TDXImageList::DrawItem(*scene.Sprite, back, place.Left, place.Top, area);
  }
}

}  // namespace

void MarkImagePlaces(TDXDraw& draw, const FrameScene& scene) {
  DirtyRegion& changes = draw.Changes();
  for (const TBouncingImage& image : scene.Images) {
    if (changes.Whole()) return;
    changes.Add(ImagePlace(image, *scene.Sprite));
  }
}

void FrameComposer::Compose(TDXDraw& draw, const FrameScene& scene) {
  DirtyRegion& changes = draw.Changes();
  MarkOverlays(changes, draw.SurfaceCanvas(), scene);
  CoverTouchedOverlays(changes);
  Surface& back = draw.BackSurface();
  for (const SurfaceRect& area : changes.Rects()) {
    DrawBackground(back, scene, area);
    DrawImages(back, scene, area);
  }
  DrawOverlays(draw.SurfaceCanvas(), scene, changes);
}

// The overlays are measured only when they may have moved: on a whole frame
// (a new size, font or set), or when a text changed, the clock's each second.
void FrameComposer::MarkOverlays(DirtyRegion& changes, TCanvas& canvas, const FrameScene& scene) {
  if (!changes.Whole() && TextOf(scene.Clock) == clock_text_ && TextOf(scene.SetName) == set_name_) return;
  clock_text_.assign(TextOf(scene.Clock));
  set_name_.assign(TextOf(scene.SetName));
  // Ink off the surface is never drawn; kept to the surface, the bounds can
  // be covered by the changes, which keep to it too.
  const SurfaceRect surface = changes.Bounds();
  SurfaceRect clock;
  if (scene.Clock) clock = ClockOverlayBounds(canvas, scene.Clock->Font, scene.OverlayArea, scene.Clock->Text);
  SurfaceRect set_name;
  if (scene.SetName) set_name = SetNameOverlayBounds(canvas, scene.SetName->Font, scene.OverlayArea, scene.SetName->Text);
  clock = Intersection(clock, surface);
  set_name = Intersection(set_name, surface);
  for (const SurfaceRect& bounds : {clock_bounds_, clock, set_name_bounds_, set_name}) changes.Add(bounds);
  clock_bounds_ = clock;
  set_name_bounds_ = set_name;
}

// An overlay the changes touch is drawn whole, so all of it becomes part of
// them; grown, they may touch the other one.
void FrameComposer::CoverTouchedOverlays(DirtyRegion& changes) const {
  bool grown = true;
  while (grown) {
    grown = false;
    for (const SurfaceRect& bounds : {clock_bounds_, set_name_bounds_}) {
      if (changes.Touches(bounds) && !changes.Covers(bounds)) {
        changes.Add(bounds);
        grown = true;
      }
    }
  }
}

void FrameComposer::DrawOverlays(TCanvas& canvas, const FrameScene& scene, const DirtyRegion& changes) const {
  if (scene.Clock && changes.Touches(clock_bounds_)) {
    DrawClockOverlay(canvas, scene.Clock->Font, scene.OverlayArea, scene.Clock->Text);
  }
  if (scene.SetName && changes.Touches(set_name_bounds_)) {
    DrawSetNameOverlay(canvas, scene.SetName->Font, scene.OverlayArea, scene.SetName->Text);
  }
}

}  // namespace ris
