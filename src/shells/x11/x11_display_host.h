#pragma once
// The display host on Linux: a monotonic millisecond clock, the time of day
// in the locale's format, the size of the window drawn into, on the root
// window the monitors XRandR tells and a presenter into it for each further
// scene, a cursor shown or hidden in a window of the saver's own, no
// password of its own (a screen locker asks for one), errors on standard
// error.

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "display/display_host.h"
#include "shells/x11/x11_presenter.h"
#include "shells/x11/x11_resources.h"

namespace ris {

class X11DisplayHost : public DisplayHost {
 public:
  // `own_window`: the program made the window and may hide the cursor in it.
  // `spans_monitors`: the window is the root window, over every monitor.
  X11DisplayHost(Display* display, Window window, bool own_window, bool spans_monitors, PixelSize size);
  X11DisplayHost(const X11DisplayHost&) = delete;
  X11DisplayHost& operator=(const X11DisplayHost&) = delete;

  void SetSize(PixelSize size) noexcept { size_ = size; }

  Milliseconds TickCount() const override;
  std::uint32_t ClockSeed() const override;
  std::string LongTimeText() const override;
  PixelSize ScreenSize() const override { return size_; }
  // The root window's monitors, in its coordinates, the primary one first;
  // any other window is one monitor of its size.
  std::vector<ScreenRect> Monitors() const override;
  Presenter* ScenePresenter(std::size_t scene) override;
  // The presenters of the further scenes, scene 1 first.
  const std::vector<std::unique_ptr<X11Presenter>>& ScenePresenters() const noexcept { return presenters_; }
  void ShowCursor(bool show) override;
  bool VerifySaverPassword() override { return true; }
  void ShowException(const std::string& message) override;
  // There is no box to wait for on Linux: a setting not stored is told on
  // standard error as it happens, when the program ends.
  void SaveFailed(const std::string& message) override;

  // Whether an error was told: the program then ends with a failure's code.
  bool ErrorsShown() const noexcept { return errors_shown_; }

 private:
  Display* display_;
  Window window_;
  bool own_window_;
  bool spans_monitors_;
  PixelSize size_;
  std::vector<std::unique_ptr<X11Presenter>> presenters_;
  int cursor_count_ = 0;
  OwnedCursor blank_cursor_;
  bool errors_shown_ = false;
};

}  // namespace ris
