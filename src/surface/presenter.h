#pragma once
// Where finished frames go: the screen on Windows, memory when headless.

#include "surface/dirty_region.h"
#include "surface/surface.h"

namespace ris {

class Presenter {
 public:
  virtual ~Presenter() = default;

  // True when the screen's copy of the surfaces was lost (the display
  // settings changed, say) and must be restored before drawing goes on.
  virtual bool SurfaceLost() const = 0;

  // Tries to get the surfaces back; true when they are usable again.
  virtual bool Restore() = 0;

  // Shows the parts of the back surface that changed since the last frame
  // (the whole surface when its size changed or it was restored), after the
  // vertical blank when asked to. What lies outside them on the screen is
  // the last frame's, which the back surface still holds.
  virtual void Present(const Surface& back_surface, const DirtyRegion& changed,
                       bool wait_for_vertical_blank) = 0;
};

}  // namespace ris
