#include "shells/win32/gdi_presenter.h"

#include <dwmapi.h>

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

void GdiPresenter::Copy(HDC dc, const Surface& surface) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = surface.Width();
  info.bmiHeader.biHeight = -surface.Height();  // negative: rows top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(surface.Width()), static_cast<DWORD>(surface.Height()),
                    0, 0, 0, static_cast<UINT>(surface.Height()), surface.Pixels().data(), &info,
                    DIB_RGB_COLORS);
}

void GdiPresenter::Present(const Surface& back_surface, bool wait_for_vertical_blank) {
  if (window_ == nullptr) return;
  if (wait_for_vertical_blank) WaitForVerticalBlank();
  if (HDC dc = GetDC(window_)) {
    Copy(dc, back_surface);
    ReleaseDC(window_, dc);
  }
}

}  // namespace ris
