#pragma once
// Presents frames into memory: the last frame stays for whoever wants to
// look at it or write it out, kept whole from the changed parts each frame
// brings, as a screen keeps it. A lost surface can be staged, as a display
// change would cause one on a real screen.

#include <cstdint>

#include "surface/presenter.h"
#include "surface/surface.h"

namespace ris {

class OffscreenPresenter : public Presenter {
 public:
  bool SurfaceLost() const override { return lost_; }
  bool Restore() override;
  void Present(const Surface& back_surface, const DirtyRegion& changed,
               bool wait_for_vertical_blank) override;

  const Surface& LastFrame() const noexcept { return last_frame_; }
  std::uint64_t FramesPresented() const noexcept { return frames_; }
  // The pixels the last frame copied.
  std::int64_t PixelsCopied() const noexcept { return pixels_copied_; }

  // Makes the surfaces lost; `restorable` says whether Restore succeeds.
  void LoseSurfaces(bool restorable) noexcept {
    lost_ = true;
    restorable_ = restorable;
  }

 private:
  Surface last_frame_;
  std::uint64_t frames_ = 0;
  std::int64_t pixels_copied_ = 0;
  bool lost_ = false;
  bool restorable_ = true;
};

}  // namespace ris
