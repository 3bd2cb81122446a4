#include "shells/headless/offscreen_presenter.h"

#include <algorithm>

namespace ris {

bool OffscreenPresenter::Restore() {
  if (restorable_) lost_ = false;
  return restorable_;
}

void OffscreenPresenter::Present(const Surface& back_surface, bool /*wait_for_vertical_blank*/) {
  last_frame_.Resize(back_surface.Width(), back_surface.Height());
  std::copy(back_surface.Pixels().begin(), back_surface.Pixels().end(), last_frame_.Pixels().begin());
  ++frames_;
}

}  // namespace ris
