#pragma once
// The drawing surface of the display: one back surface the size of the
// window, on which each frame is composed and which is then presented. It
// comes up when the window is first shown, builds the image list's items
// then, follows the window's size, and repairs lost surfaces on the next
// frame instead of failing. It keeps what changed since the last presented
// frame: whoever draws adds to it, presenting copies that much and empties
// it, and a new size or a restored surface makes it the whole surface.

#include <cstdint>
#include <functional>

#include "base/result.h"
#include "surface/dirty_region.h"
#include "surface/image_list.h"
#include "surface/surface.h"
#include "surface/surface_canvas.h"

namespace ris {

class Presenter;
class TextRenderer;

class TDXDraw {
 public:
  using Event = std::function<void()>;

  TDXDraw(Presenter& presenter, TextRenderer& text, TDXImageList& images)
      : presenter_(presenter), text_(text), images_(images), canvas_(back_surface_, text) {}
  TDXDraw(const TDXDraw&) = delete;
  TDXDraw& operator=(const TDXDraw&) = delete;

  Event OnInitialize;
  Event OnFinalize;

  // Brings the surface up at the window's size (at least 1 x 1), black;
  // builds every item from its picture, then calls OnInitialize. A picture
  // that fails to decode is reported, but the surface is up all the same.
  Result<bool, DecodeError> Initialize(std::int32_t width, std::int32_t height);

  // Calls OnFinalize and drops the surfaces and the items' pixels.
  void Finalize();

  bool Initialized() const noexcept { return initialized_; }

  // The window's size changed: the back surface follows it while the
  // surface is up; the items keep their pixels.
  void Resize(std::int32_t width, std::int32_t height);

  // True when a frame can be drawn. Lost surfaces are restored here (black,
  // items rebuilt); if that fails the frame is skipped and the next one
  // tries again.
  bool SurfaceReady();

  Surface& BackSurface() noexcept { return back_surface_; }
  const Surface& BackSurface() const noexcept { return back_surface_; }

  // The parts of the back surface changed since the last presented frame.
  DirtyRegion& Changes() noexcept { return changes_; }

  static void FillSurface(Surface& surface, ColourValue colour) noexcept { surface.Fill(colour); }

  // Text on the back surface. Its drawing must be finished by ReleaseCanvas
  // before the frame is presented.
  TCanvas& SurfaceCanvas() noexcept { return canvas_; }
  void ReleaseCanvas();

  // Shows what changed after the vertical blank, when the surface is ready.
  void PresentFrame();

 private:
  static std::int32_t AtLeastOne(std::int32_t side) noexcept { return side < 1 ? 1 : side; }
  // The back surface starts over black: all of it is to be drawn and shown.
  void StartOverBlack();

  Presenter& presenter_;
  TextRenderer& text_;
  TDXImageList& images_;
  Surface back_surface_;
  DirtyRegion changes_;
  TCanvas canvas_;
  bool initialized_ = false;
};

}  // namespace ris
