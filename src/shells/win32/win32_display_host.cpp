#include "shells/win32/win32_display_host.h"

#include <mmsystem.h>

#include <iterator>
#include <vector>

#include "shells/win32/monitors.h"
#include "shells/win32/saver_password.h"
#include "shells/win32/wide_text.h"
#include "shells/win32/win32_errors.h"
#include "shells/win32/win32_system.h"

namespace ris {

Milliseconds Win32DisplayHost::TickCount() const { return timeGetTime(); }

std::uint32_t Win32DisplayHost::ClockSeed() const {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint32_t>(counter.QuadPart) ^ GetTickCount();
}

// In Unicode, as the user's language writes it: the ANSI call would give
// the system's code page, which the product's need not be.
std::string LocalLongTimeText() {
  wchar_t text[128] = {};
  const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, static_cast<int>(std::size(text)));
  return length > 0 ? Narrow(std::wstring_view(text, static_cast<std::size_t>(length - 1)), kUtf8CodePage)
                    : std::string();
}

std::string Win32DisplayHost::LongTimeText() const { return LocalLongTimeText(); }

PixelSize Win32DisplayHost::ScreenSize() const {
  if (own_window_size_) return *own_window_size_;
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<ScreenRect> Win32DisplayHost::Monitors() const {
  if (own_window_size_) return DisplayHost::Monitors();
  std::vector<ScreenRect> monitors = DesktopMonitors();
  return monitors.empty() ? DisplayHost::Monitors() : monitors;
}

Presenter* Win32DisplayHost::ScenePresenter(std::size_t scene) {
  if (own_window_size_ || scene == 0) return nullptr;
  while (scene_presenters_.size() < scene) scene_presenters_.push_back(std::make_unique<GdiPresenter>());
  return scene_presenters_[scene - 1].get();
}

GdiPresenter* Win32DisplayHost::SceneGdiPresenter(std::size_t scene) const noexcept {
  if (scene == 0 || scene > scene_presenters_.size()) return nullptr;
  return scene_presenters_[scene - 1].get();
}

void Win32DisplayHost::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
  cursor_raised_ += show ? 1 : -1;
}

namespace {

// The enabled windows that `owner` owns: the covers of the other monitors.
std::vector<HWND> EnabledWindowsOwnedBy(HWND owner) {
  struct Search {
    HWND Owner;
    std::vector<HWND> Found;
  } search{owner, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM l) -> BOOL {
        auto& found = *reinterpret_cast<Search*>(l);
        if (GetWindow(window, GW_OWNER) == found.Owner && IsWindowEnabled(window)) found.Found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

}  // namespace

// The system's dialog disables the window that owns it; the covers of the
// other monitors are disabled with it, so that a click there neither takes
// the focus from the dialog nor reaches the saver.
bool Win32DisplayHost::VerifySaverPassword() {
  if (own_window_size_) return true;
  const std::vector<HWND> covers = EnabledWindowsOwnedBy(window_);
  for (HWND cover : covers) EnableWindow(cover, FALSE);
  struct Reenable {
    const std::vector<HWND>& Covers;
    ~Reenable() {
      for (HWND cover : Covers) EnableWindow(cover, TRUE);
    }
  } reenable{covers};
  return ris::VerifySaverPassword(window_);
}

void Win32DisplayHost::ShowException(const std::string& message) {
  errors_shown_ = true;
  // The box's own message loop goes on delivering the window's timers; an
  // error they raise meanwhile must not stack a second box on the first.
  if (showing_exception_) return;
  showing_exception_ = true;
  ShowErrorBox(window_, message, system_.ApplicationTitle(), system_.TextCodePage());
  showing_exception_ = false;
}

}  // namespace ris
