#include "surface/draw_surface.h"

#include "surface/presenter.h"
#include "surface/text_renderer.h"

namespace ris {

Result<bool, DecodeError> TDXDraw::Initialize(std::int32_t width, std::int32_t height) {
  if (initialized_) Finalize();
  back_surface_.Resize(AtLeastOne(width), AtLeastOne(height));
  StartOverBlack();
  initialized_ = true;
  auto built = images_.InitializeItems();
  if (OnInitialize) OnInitialize();
  return built;
}

void TDXDraw::Finalize() {
  if (!initialized_) return;
  if (OnFinalize) OnFinalize();
  images_.FinalizeItems();
  initialized_ = false;
}

void TDXDraw::Resize(std::int32_t width, std::int32_t height) {
  if (!initialized_) return;
  back_surface_.Resize(AtLeastOne(width), AtLeastOne(height));
  StartOverBlack();
}

void TDXDraw::StartOverBlack() {
  back_surface_.Fill(0);
  changes_.Reset(back_surface_.Bounds());
  changes_.AddWhole();
}

bool TDXDraw::SurfaceReady() {
  if (!initialized_) return false;
  if (!presenter_.SurfaceLost()) return true;
  if (!presenter_.Restore()) return false;
  StartOverBlack();
  // A picture that cannot be rebuilt keeps its item empty; the frame goes on.
  static_cast<void>(images_.InitializeItems());
  return !presenter_.SurfaceLost();
}

void TDXDraw::ReleaseCanvas() { text_.Flush(); }

void TDXDraw::PresentFrame() {
  // Surfaces lost since the frame was begun come back black, and the frame
  // drawn on them with them: the black one is shown, and the next is whole.
  const bool restoring = presenter_.SurfaceLost();
  if (!SurfaceReady()) return;
  presenter_.Present(back_surface_, changes_, true);
  changes_.Clear();
  if (restoring) changes_.AddWhole();
}

}  // namespace ris
