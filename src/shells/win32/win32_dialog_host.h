#pragma once
// The configuration dialog's host on Windows: texts measured with GDI as
// the dialog's static controls draw them, the system's colour and font
// choosers, the user's time format, and the window the dialog came from.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/dialog_host.h"
#include "shells/win32/gdi_fonts.h"
#include "shells/win32/owned_handle.h"

namespace ris {

// The dots per inch of a window's monitor, or of the system where Windows
// is too old to tell them apart.
UINT DpiOf(HWND window);

// Measures at the screen's dots per inch, so that a label sized from it
// holds its text there, and answers in pixels at 96 dpi, rounded up.
class GdiDialogMetrics : public DialogTextMetrics {
 public:
  explicit GdiDialogMetrics(UINT dpi);
  GdiDialogMetrics(const GdiDialogMetrics&) = delete;
  GdiDialogMetrics& operator=(const GdiDialogMetrics&) = delete;

  UINT Dpi() const noexcept { return dpi_; }
  // The dialog moved to a screen of another dpi.
  void SetDpi(UINT dpi) noexcept { dpi_ = std::max<UINT>(dpi, 1); }

  std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) override;
  std::int32_t LineHeight(const TFont& font) override;
  std::int32_t WrappedTextHeight(const TFont& font, std::string_view text, std::int32_t width) override;

 private:
  RECT Measure(const TFont& font, std::string_view text, TextEncoding encoding, std::int32_t width, UINT format);

  UINT dpi_;
  // Ended in reverse: the context's own font goes back in before the
  // fonts measured with go, and those before the context.
  OwnedMemoryDc dc_;
  GdiFontCache fonts_{DEFAULT_QUALITY};
  ContextSelections selections_;
};

class Win32DialogHost : public DialogHost {
 public:
  void SetWindow(HWND window) noexcept { window_ = window; }

  std::optional<TColor> PickColor(TColor initial) override;
  std::optional<TFont> PickFont(const TFont& initial) override;
  std::string LongTimeText() const override;
  void EnableAndRaiseOwnerOf(std::uint32_t window) override;
  void SaveFailed(const std::string& problem) override { save_failures_.push_back(problem); }

  const std::vector<std::string>& SaveFailures() const noexcept { return save_failures_; }

 private:
  std::vector<std::string> save_failures_;
  HWND window_ = nullptr;
  COLORREF custom_colors_[16] = {};
};

}  // namespace ris
