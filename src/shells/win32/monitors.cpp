#include "shells/win32/monitors.h"

#include <windows.h>

#include <algorithm>

namespace ris {
namespace {

struct Found {
  std::vector<ScreenRect> Monitors;
  std::size_t Primary = 0;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM found_address) {
  auto& found = *reinterpret_cast<Found*>(found_address);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
    found.Primary = found.Monitors.size();
  }
  found.Monitors.push_back({rect->left, rect->top, rect->right, rect->bottom});
  return TRUE;
}

}  // namespace

std::vector<ScreenRect> DesktopMonitors() {
  Found found;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&found));
  if (found.Primary < found.Monitors.size()) {
    std::rotate(found.Monitors.begin(), found.Monitors.begin() + static_cast<std::ptrdiff_t>(found.Primary),
                found.Monitors.begin() + static_cast<std::ptrdiff_t>(found.Primary) + 1);
  }
  return found.Monitors;
}

}  // namespace ris
