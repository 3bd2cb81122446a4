#include "shells/win32/monitors.h"

#include <windows.h>

namespace ris {
namespace {

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors) {
  reinterpret_cast<std::vector<ScreenRect>*>(monitors)->push_back(
      {rect->left, rect->top, rect->right, rect->bottom});
  return TRUE;
}

}  // namespace

std::vector<ScreenRect> OtherMonitorRects() {
  std::vector<ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  const ScreenRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return MonitorsToCover(monitors, primary);
}

}  // namespace ris
