#include "surface/draw_surface.h"

#include "surface/presenter.h"
#include "surface/text_renderer.h"

namespace ris {

Result<bool, DecodeError> TDXDraw::Initialize(std::int32_t width, std::int32_t height) {
  if (initialized_) Finalize();
  back_surface_.Resize(AtLeastOne(width), AtLeastOne(height));
  back_surface_.Fill(0);
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
  back_surface_.Fill(0);
}

bool TDXDraw::SurfaceReady() {
  if (!initialized_) return false;
  if (!presenter_.SurfaceLost()) return true;
  if (!presenter_.Restore()) return false;
  back_surface_.Fill(0);
  // A picture that cannot be rebuilt keeps its item empty; the frame goes on.
  static_cast<void>(images_.InitializeItems());
  return !presenter_.SurfaceLost();
}

void TDXDraw::ReleaseCanvas() { text_.Flush(); }

void TDXDraw::PresentFrame() {
  if (SurfaceReady()) presenter_.Present(back_surface_, true);
}

}  // namespace ris
