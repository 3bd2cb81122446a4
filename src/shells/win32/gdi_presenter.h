#pragma once
// Presents frames into a window with GDI: the back surface's pixels are
// already laid out as a top-down 32-bit DIB, so each changed rectangle goes
// to the window in one copy, without an intermediate bitmap.

#include <windows.h>

#include "surface/presenter.h"

namespace ris {

class GdiPresenter : public Presenter {
 public:
  void SetWindow(HWND window) noexcept { window_ = window; }

  // Memory surfaces cannot be lost; a display change only resizes the window.
  bool SurfaceLost() const override { return false; }
  bool Restore() override { return true; }
  void Present(const Surface& back_surface, const DirtyRegion& changed,
               bool wait_for_vertical_blank) override;

  // Copies the part of the surface within `rect` onto a device context, to
  // the same place.
  static void Copy(HDC dc, const Surface& surface, SurfaceRect rect = kUnclipped);

 private:
  HWND window_ = nullptr;
};

}  // namespace ris
