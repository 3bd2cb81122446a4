#include "shells/headless/headless_display_host.h"

#include "data/clock_text.h"

namespace ris {

std::string HeadlessDisplayHost::LongTimeText() const {
  // The running-time text is hh:mm:ss of a count of seconds, wrapping daily:
  // of the seconds since midnight, it is the time of day. The start lies
  // within a day and the clock within 2^32 ms, so the sum cannot overflow.
  return RunningTimeText(options_.StartSecondOfDay % 86400 + now_ / 1000);
}

bool HeadlessDisplayHost::VerifySaverPassword() {
  ++password_questions_;
  if (while_asked_) while_asked_();
  return options_.PasswordAccepted;
}

std::vector<ScreenRect> HeadlessDisplayHost::Monitors() const {
  if (options_.Monitors.empty()) return DisplayHost::Monitors();
  return options_.Monitors;
}

Presenter* HeadlessDisplayHost::ScenePresenter(std::size_t scene) {
  if (scene == 0) return nullptr;
  while (scene_presenters_.size() < scene) scene_presenters_.push_back(std::make_unique<OffscreenPresenter>());
  return scene_presenters_[scene - 1].get();
}

const OffscreenPresenter* HeadlessDisplayHost::SceneFrames(std::size_t scene) const noexcept {
  if (scene == 0 || scene > scene_presenters_.size()) return nullptr;
  return scene_presenters_[scene - 1].get();
}

}  // namespace ris
