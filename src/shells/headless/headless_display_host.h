#pragma once
// The display host without a window system: a virtual clock that only moves
// when told to, a fixed screen, a cursor count and a saver password that
// answers as configured. Errors the display shows are kept for the caller.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/display_host.h"
#include "shells/headless/offscreen_presenter.h"

namespace ris {

class HeadlessDisplayHost : public DisplayHost {
 public:
  struct Options {
    PixelSize Screen{1024, 768};
    std::uint32_t Seed = 1;
    // The local time of day, in seconds after midnight, when the clock reads 0.
    std::uint32_t StartSecondOfDay = 12 * 3600;
    bool PasswordAccepted = true;
    // The desktop's monitors, the primary one first; none: one of the
    // screen's size.
    std::vector<ScreenRect> Monitors = {};
  };

  explicit HeadlessDisplayHost(Options options) : options_(options) {}

  void Advance(Milliseconds elapsed) noexcept { now_ += elapsed; }
  void SetPasswordAccepted(bool accepted) noexcept { options_.PasswordAccepted = accepted; }
  void SetMonitors(std::vector<ScreenRect> monitors) { options_.Monitors = std::move(monitors); }
  // Runs while the password is asked for, as a system dialog's modal loop
  // delivers the input that arrives meanwhile.
  void WhileAsked(std::function<void()> during) { while_asked_ = std::move(during); }

  Milliseconds TickCount() const override { return now_; }
  std::uint32_t ClockSeed() const override { return options_.Seed; }
  // 24-hour "HH:mm:ss", the long time format of many locales.
  std::string LongTimeText() const override;
  PixelSize ScreenSize() const override { return options_.Screen; }
  std::vector<ScreenRect> Monitors() const override;
  // Each further scene's frames are kept in memory, as the first one's are.
  Presenter* ScenePresenter(std::size_t scene) override;
  // The presenter of a further scene (1 on), once the form asked for it.
  const OffscreenPresenter* SceneFrames(std::size_t scene) const noexcept;
  void ShowCursor(bool show) override { cursor_count_ += show ? 1 : -1; }
  bool VerifySaverPassword() override;
  void ShowException(const std::string& message) override { errors_.push_back(message); }
  void SaveFailed(const std::string& message) override { save_failures_.push_back(message); }

  int CursorCount() const noexcept { return cursor_count_; }
  int PasswordQuestions() const noexcept { return password_questions_; }
  const std::vector<std::string>& Errors() const noexcept { return errors_; }
  const std::vector<std::string>& SaveFailures() const noexcept { return save_failures_; }

 private:
  Options options_;
  Milliseconds now_ = 0;
  int cursor_count_ = 0;
  int password_questions_ = 0;
  std::function<void()> while_asked_;
  std::vector<std::unique_ptr<OffscreenPresenter>> scene_presenters_;  // scene 1 first
  std::vector<std::string> errors_;
  std::vector<std::string> save_failures_;
};

}  // namespace ris
