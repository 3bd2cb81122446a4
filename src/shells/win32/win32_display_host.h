#pragma once
// The display host on Windows: the multimedia clock, the user's long time
// format, the primary screen, the cursor's show count, the saver password
// and the error box, all for the display's window.

#include <windows.h>

#include <string>

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

 private:
  const Win32System& system_;
  HWND window_ = nullptr;
};

}  // namespace ris
