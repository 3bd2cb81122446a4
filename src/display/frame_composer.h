#pragma once
// Composes the display's frames on the back surface: the background colour,
// the background picture, the moving images, then the clock and the set
// name. Only what changed since the last presented frame is composed: the
// drawing surface's changes (the whole surface after a resize, a restore or
// a new look), to which the composer adds the images' places before and
// after they move and the overlays' old and new places when their texts
// change. Within each changed rectangle everything beneath the overlays is
// drawn anew, clipped to it, so the pixels come out as a frame composed
// whole; an overlay is drawn only whole, over a region grown to hold all of
// it, since text blended twice would darken.
//
//   const FrameScene scene = ...;        // what this frame shows
//   MarkImagePlaces(draw, scene);        // where the images were
//   ...motion steps...
//   MarkImagePlaces(draw, scene);        // where they are now
//   composer.Compose(draw, scene);
//   draw.PresentFrame();

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "display/bouncing_image.h"
#include "surface/draw_surface.h"
#include "surface/font.h"
#include "surface/image_list.h"

namespace ris {

struct OverlayText {
  TFont Font;
  std::string_view Text;
};

// What a frame shows. The items and texts belong to the caller.
struct FrameScene {
  ColourValue Colour = 0;
  // The background picture, stretched into its place; without either, the
  // colour alone.
  TPictureCollectionItem* Background = nullptr;
  std::optional<SurfaceRect> BackgroundPlace;
  // The moving images, all showing the sprite at their positions.
  TPictureCollectionItem* Sprite = nullptr;
  std::span<const TBouncingImage> Images;
  // Where the clock and the set's name keep: the clock to its top-right
  // corner, the name to its top-left one.
  SurfaceRect OverlayArea;
  std::optional<OverlayText> Clock;
  std::optional<OverlayText> SetName;
};

// Adds the places of the scene's images, as they stand now, to the changes.
void MarkImagePlaces(TDXDraw& draw, const FrameScene& scene);

class FrameComposer {
 public:
  // Composes every changed part of the back surface.
  void Compose(TDXDraw& draw, const FrameScene& scene);

 private:
  void MarkOverlays(DirtyRegion& changes, TCanvas& canvas, const FrameScene& scene);
  void CoverTouchedOverlays(DirtyRegion& changes) const;
  void DrawOverlays(TCanvas& canvas, const FrameScene& scene, const DirtyRegion& changes) const;

  // The overlays as last drawn: their texts and the pixels they cover.
  std::string clock_text_;
  std::string set_name_;
  SurfaceRect clock_bounds_;
  SurfaceRect set_name_bounds_;
};

}  // namespace ris
