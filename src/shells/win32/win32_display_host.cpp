#include "shells/win32/win32_display_host.h"

#include <mmsystem.h>

#include "shells/win32/saver_password.h"
#include "shells/win32/win32_system.h"

namespace ris {

Milliseconds Win32DisplayHost::TickCount() const { return timeGetTime(); }

std::uint32_t Win32DisplayHost::ClockSeed() const {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint32_t>(counter.QuadPart) ^ GetTickCount();
}

std::string LocalLongTimeText() {
  char text[128] = {};
  const int length = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof(text));
  return length > 0 ? std::string(text, static_cast<std::size_t>(length - 1)) : std::string();
}

std::string Win32DisplayHost::LongTimeText() const { return LocalLongTimeText(); }

PixelSize Win32DisplayHost::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32DisplayHost::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

bool Win32DisplayHost::VerifySaverPassword() { return ris::VerifySaverPassword(window_); }

void Win32DisplayHost::ShowException(const std::string& message) {
  // The box's own message loop goes on delivering the window's timers; an
  // error they raise meanwhile must not stack a second box on the first.
  if (showing_exception_) return;
  showing_exception_ = true;
  MessageBoxA(window_, message.c_str(), system_.ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
  showing_exception_ = false;
}

}  // namespace ris
