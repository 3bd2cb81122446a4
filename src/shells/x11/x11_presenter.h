#pragma once
// Frames to an X window: the back surface is 32-bit BGRX, already the layout
// of a little-endian ZPixmap of a 24-bit true-colour visual, so each changed
// rectangle of a frame is one copy into shared memory and one XShmPutImage;
// plain XPutImage where the server has no shared-memory extension (a remote
// display). The image always holds the whole last frame, so that parts of
// the window uncovered again are put back from it.

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>

#include "shells/x11/x11_resources.h"
#include "surface/presenter.h"

namespace ris {

class X11Presenter : public Presenter {
 public:
  X11Presenter(Display* display, Window window);
  ~X11Presenter() override;
  X11Presenter(const X11Presenter&) = delete;
  X11Presenter& operator=(const X11Presenter&) = delete;

  // False where the window's visual does not hold pixels as the surface does.
  bool VisualMatches() const noexcept { return visual_matches_; }
  bool UsesSharedMemory() const noexcept { return shared_; }

  bool SurfaceLost() const override { return false; }
  bool Restore() override { return true; }
  void Present(const Surface& back_surface, const DirtyRegion& changed,
               bool wait_for_vertical_blank) override;

  // Puts the last frame's part within `rect` (window coordinates) into the
  // window again (after an Expose event).
  void Repaint(SurfaceRect rect);

  // Where the frame's top-left corner goes in the window: a scene's place
  // on the root window of several monitors.
  void SetOrigin(std::int32_t x, std::int32_t y) noexcept {
    origin_x_ = x;
    origin_y_ = y;
  }

 private:
  // False when no image could be had; `fresh` tells that it holds no frame yet.
  bool EnsureImage(std::int32_t width, std::int32_t height, bool& fresh);
  bool MakeSharedImage(unsigned width, unsigned height);
  bool MakePlainImage(unsigned width, unsigned height);
  void CopyIntoImage(const Surface& back_surface, SurfaceRect rect);
  void Put(SurfaceRect rect);
  void ReleaseImage();

  Display* display_;
  Window window_;
  OwnedGc gc_;
  int depth_ = 0;
  Visual* visual_ = nullptr;
  bool visual_matches_ = false;
  bool shared_ = false;
  // The segment outlives the image made over it.
  std::optional<SharedSegment> segment_;
  OwnedImage image_;
  std::int32_t origin_x_ = 0;
  std::int32_t origin_y_ = 0;
};

}  // namespace ris
