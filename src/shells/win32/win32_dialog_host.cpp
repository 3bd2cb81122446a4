#include "shells/win32/win32_dialog_host.h"

#include <commdlg.h>

#include <algorithm>

#include "shells/win32/wide_text.h"
#include "shells/win32/win32_display_host.h"

namespace ris {
namespace {

std::int32_t To96(LONG pixels, UINT dpi) {
  return static_cast<std::int32_t>((std::int64_t{pixels} * kDefaultDpi + dpi - 1) / dpi);
}

}  // namespace

UINT DpiOf(HWND window) {
  // Looked up at run time: the saver still starts where Windows predates it.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window != nullptr && window != nullptr) {
    if (const UINT dpi = dpi_for_window(window); dpi != 0) return dpi;
  }
  const WindowDc screen(nullptr);
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

GdiDialogMetrics::GdiDialogMetrics(UINT dpi)
    : dpi_(std::max<UINT>(dpi, 1)), dc_(CreateCompatibleDC(nullptr)), selections_(dc_.Get()) {}

RECT GdiDialogMetrics::Measure(const TFont& font, std::string_view text, TextEncoding encoding, std::int32_t width,
                               UINT format) {
  RECT rect{0, 0, MulDiv(width, static_cast<int>(dpi_), kDefaultDpi), 0};
  if (!dc_) return rect;
  selections_.Select(fonts_.Get(font, dpi_));  // refused: measured in the context's own font
  // A label measures an empty text as one blank line.
  const std::wstring measured = text.empty() ? std::wstring(L" ") : Widen(text, CodePageOf(encoding, TextCodePage()));
  DrawTextW(dc_.Get(), measured.c_str(), static_cast<int>(measured.size()), &rect, format | DT_CALCRECT);
  return rect;
}

std::int32_t GdiDialogMetrics::TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) {
  return To96(Measure(font, text, encoding, 0, DT_SINGLELINE | DT_EXPANDTABS).right, dpi_);
}

std::int32_t GdiDialogMetrics::LineHeight(const TFont& font) {
  return To96(Measure(font, "", TextEncoding::ProductCodePage, 0, DT_SINGLELINE).bottom, dpi_);
}

std::int32_t GdiDialogMetrics::WrappedTextHeight(const TFont& font, std::string_view text, std::int32_t width) {
  return To96(Measure(font, text, TextEncoding::ProductCodePage, width, DT_WORDBREAK | DT_EXPANDTABS).bottom, dpi_);
}

std::optional<TColor> Win32DialogHost::PickColor(TColor initial) {
  CHOOSECOLORA choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = window_;
  choice.rgbResult = ScreenColor(initial);
  choice.lpCustColors = custom_colors_;
  choice.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&choice)) return std::nullopt;
  return static_cast<TColor>(choice.rgbResult);
}

std::optional<TFont> Win32DialogHost::PickFont(const TFont& initial) {
  const UINT dpi = DpiOf(window_);
  LOGFONTA log_font = LogFontFor(initial, dpi, DEFAULT_QUALITY);
  CHOOSEFONTA choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = window_;
  choice.lpLogFont = &log_font;
  choice.rgbColors = ScreenColor(initial.Color);
  choice.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
  if (!ChooseFontA(&choice)) return std::nullopt;
  return FontFromLogFont(log_font, choice.rgbColors, dpi);
}

std::string Win32DialogHost::LongTimeText() const { return LocalLongTimeText(); }

void Win32DialogHost::EnableAndRaiseOwnerOf(std::uint32_t window) {
  const HWND given = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
  if (!IsWindow(given)) return;
  const HWND owner = GetParent(given);
  if (owner == nullptr) return;
  EnableWindow(owner, TRUE);
  SetForegroundWindow(owner);
}

}  // namespace ris
