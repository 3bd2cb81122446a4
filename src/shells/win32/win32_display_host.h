#pragma once
// The display host on Windows: the multimedia clock, the user's long time
// format, the primary screen, the cursor's show count, the saver password
// and the error box, all for the display's window.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/display_host.h"
#include "shells/win32/gdi_presenter.h"

namespace ris {

// The current local time in the user's long time format, in UTF-8.
std::string LocalLongTimeText();

class Win32System;

class Win32DisplayHost : public DisplayHost {
 public:
  explicit Win32DisplayHost(const Win32System& system) : system_(system) {}

  void SetWindow(HWND window) noexcept { window_ = window; }
  // In a window of its own the display's screen is that window's client
  // area, where the images are placed; such a window is a maker's preview
  // and closes without the saver's password.
  void SetOwnWindowSize(PixelSize client) noexcept { own_window_size_ = client; }

  Milliseconds TickCount() const override;
  std::uint32_t ClockSeed() const override;
  std::string LongTimeText() const override;
  PixelSize ScreenSize() const override;
  // Full screen, the desktop's monitors; a window of its own is one.
  std::vector<ScreenRect> Monitors() const override;
  // Full screen, a presenter for each further scene's window, which the
  // shell gives its window once it made it.
  Presenter* ScenePresenter(std::size_t scene) override;
  GdiPresenter* SceneGdiPresenter(std::size_t scene) const noexcept;
  void ShowCursor(bool show) override;
  bool VerifySaverPassword() override;
  void ShowException(const std::string& message) override;
  void SaveFailed(const std::string& message) override { save_failures_.push_back(message); }

  const std::vector<std::string>& SaveFailures() const noexcept { return save_failures_; }
  // Whether an error was shown (or came while one was): the run then ends
  // with a failure's exit code.
  bool ErrorsShown() const noexcept { return errors_shown_; }
  // Whether the form has raised the cursor's show count (for the password
  // question): the saver's windows then show the cursor instead of none.
  bool CursorShown() const noexcept { return cursor_raised_ > 0; }

 private:
  const Win32System& system_;
  HWND window_ = nullptr;
  std::optional<PixelSize> own_window_size_;
  bool showing_exception_ = false;
  bool errors_shown_ = false;
  int cursor_raised_ = 0;
  std::vector<std::string> save_failures_;
  std::vector<std::unique_ptr<GdiPresenter>> scene_presenters_;  // scene 1 first
};

}  // namespace ris
