#pragma once
// The display host on Windows: the multimedia clock, the user's long time
// format, the primary screen, the cursor's show count, the saver password
// and the error box, all for the display's window.

#include <windows.h>

#include <string>
#include <vector>

#include "display/display_host.h"

namespace ris {

// The current local time in the user's long time format.
std::string LocalLongTimeText();

class Win32System;

class Win32DisplayHost : public DisplayHost {
 public:
  explicit Win32DisplayHost(const Win32System& system) : system_(system) {}

  void SetWindow(HWND window) noexcept { window_ = window; }

  Milliseconds TickCount() const override;
  std::uint32_t ClockSeed() const override;
  std::string LongTimeText() const override;
  PixelSize ScreenSize() const override;
  void ShowCursor(bool show) override;
  bool VerifySaverPassword() override;
  void ShowException(const std::string& message) override;
  void SaveFailed(const std::string& message) override { save_failures_.push_back(message); }

  const std::vector<std::string>& SaveFailures() const noexcept { return save_failures_; }

 private:
  const Win32System& system_;
  HWND window_ = nullptr;
  bool showing_exception_ = false;
  std::vector<std::string> save_failures_;
};

}  // namespace ris
