#include "shells/x11/x11_display_host.h"

#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <ctime>
#include <iostream>

namespace ris {

X11DisplayHost::X11DisplayHost(Display* display, Window window, bool own_window, bool spans_monitors,
                               PixelSize size)
    : display_(display), window_(window), own_window_(own_window), spans_monitors_(spans_monitors), size_(size) {}

std::vector<ScreenRect> X11DisplayHost::Monitors() const {
  int event_base = 0;
  int error_base = 0;
  if (!spans_monitors_ || !XRRQueryExtension(display_, &event_base, &error_base)) return DisplayHost::Monitors();
  int count = 0;
  XRRMonitorInfo* found = XRRGetMonitors(display_, window_, True, &count);
  std::vector<ScreenRect> monitors;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& monitor = found[i];
    const ScreenRect rect{monitor.x, monitor.y, monitor.x + monitor.width, monitor.y + monitor.height};
    monitors.insert(monitor.primary ? monitors.begin() : monitors.end(), rect);
  }
  if (found != nullptr) XRRFreeMonitors(found);
  return monitors.empty() ? DisplayHost::Monitors() : monitors;
}

// Every scene is drawn into the root window, each at its place.
Presenter* X11DisplayHost::ScenePresenter(std::size_t scene) {
  if (!spans_monitors_ || scene == 0) return nullptr;
  while (presenters_.size() < scene) presenters_.push_back(std::make_unique<X11Presenter>(display_, window_));
  return presenters_[scene - 1].get();
}

Milliseconds X11DisplayHost::TickCount() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Wraps after 2^32 ms, as the timers expect.
  return static_cast<Milliseconds>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                   static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

std::uint32_t X11DisplayHost::ClockSeed() const {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint32_t>(now.tv_sec) ^ static_cast<std::uint32_t>(now.tv_nsec);
}

std::string X11DisplayHost::LongTimeText() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  return std::strftime(text, sizeof text, "%X", &local) > 0 ? text : "";
}

// A cursor of one transparent pixel stands for "no cursor".
void X11DisplayHost::ShowCursor(bool show) {
  cursor_count_ += show ? 1 : -1;
  if (!own_window_) return;  // the daemon's window and its cursor are the daemon's
  if (cursor_count_ >= 0) {
    XUndefineCursor(display_, window_);
    return;
  }
  if (!blank_cursor_) {
    char empty = 0;
    const OwnedPixmap pixmap(display_, XCreateBitmapFromData(display_, window_, &empty, 1, 1));
    XColor black{};
    blank_cursor_ = OwnedCursor(display_, XCreatePixmapCursor(display_, pixmap.Get(), pixmap.Get(), &black, &black, 0, 0));
  }
  XDefineCursor(display_, window_, blank_cursor_.Get());
}

void X11DisplayHost::ShowException(const std::string& message) {
  errors_shown_ = true;
  std::cerr << message << '\n';
}

void X11DisplayHost::SaveFailed(const std::string& message) { std::cerr << message << '\n'; }

}  // namespace ris
