#include "shells/win32/gdi_presenter.h"

#include <dwmapi.h>

#include "shells/win32/owned_handle.h"

namespace ris {
namespace {

// With desktop composition the compositor shows frames at its own vertical
// blank, and DwmFlush waits for it. Without composition DwmFlush returns at
// once, so waiting is left to the frame timer, which already paces frames.
void WaitForVerticalBlank() {
  BOOL composed = FALSE;
  if (SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed) DwmFlush();
}

}  // namespace

// The rectangle's rows are handed over as a DIB of their own, exactly as
// tall as the rectangle: the copy then starts at its first row whichever way
// the system counts the source rows of a top-down DIB.
void GdiPresenter::Copy(HDC dc, const Surface& surface, SurfaceRect rect) {
  rect = Intersection(rect, surface.Bounds());
  if (rect.Empty()) return;
  const auto rows = static_cast<std::int32_t>(rect.Height());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = surface.Width();
  info.bmiHeader.biHeight = -rows;  // negative: rows top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, rect.Left, rect.Top, static_cast<DWORD>(rect.Width()), static_cast<DWORD>(rows),
                    rect.Left, 0, 0, static_cast<UINT>(rows), surface.Row(rect.Top).data(), &info,
                    DIB_RGB_COLORS);
}

void GdiPresenter::Present(const Surface& back_surface, const DirtyRegion& changed,
                           bool wait_for_vertical_blank) {
  if (window_ == nullptr || changed.Empty()) return;
  if (wait_for_vertical_blank) WaitForVerticalBlank();
  const WindowDc dc(window_);
  if (dc.Get() == nullptr) return;
  for (const SurfaceRect& rect : changed.Rects()) Copy(dc.Get(), back_surface, rect);
}

}  // namespace ris
