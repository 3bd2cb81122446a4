#pragma once
// One picture the display composes: its drawing surface, shown in a window
// of its own, its moving images bouncing at its edges, and its place among
// the monitors (where the overlays go, which parts no monitor shows). The
// display has one for the primary monitor, the preview or a window, and
// one for each further monitor that shows a picture of its own.

#include <vector>

#include "base/pixel_size.h"
#include "display/bouncing_image.h"
#include "display/collision_grid.h"
#include "display/frame_composer.h"
#include "display/monitor_layout.h"
#include "surface/draw_surface.h"

namespace ris {

struct SceneView {
  SceneView(Presenter& presenter, TextRenderer& text, TDXImageList& images, PixelSize size)
      : Draw(presenter, text, images), Size(size), OverlayArea{0, 0, size.Width, size.Height} {}

  // Takes the size, the overlays' area and the unseen parts of its place.
  void PlaceAt(const ScenePlace& place) {
    Size = {place.Width(), place.Height()};
    OverlayArea = place.OverlayArea;
    Unseen = place.Unseen;
  }

  TDXDraw Draw;
  FrameComposer Composer;
  std::vector<TBouncingImage> Images;
  CollisionGrid Grid;
  PixelSize Size;
  SurfaceRect OverlayArea;  // empty: the scene shows no clock and no set name
  std::vector<SurfaceRect> Unseen;
};

}  // namespace ris
