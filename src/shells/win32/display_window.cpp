#include "shells/win32/display_window.h"

#include <windowsx.h>

#include "base/errors.h"
#include "display/main_form.h"
#include "shells/win32/gdi_presenter.h"
#include "shells/win32/gdi_text.h"
#include "shells/win32/win32_display_host.h"
#include "shells/win32/win32_registry.h"
#include "shells/win32/win32_system.h"

namespace ris {
namespace {

constexpr char kWindowClass[] = "RisDisplayWindow";

struct DisplayState {
  TMainForm& Form;
  Win32DisplayHost& Host;
};

DisplayState* StateOf(HWND window) {
  return reinterpret_cast<DisplayState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// What a message asks of the form; false for messages it leaves to Windows.
bool Handle(TMainForm& form, HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt and F10 too: they would otherwise open a menu
      form.FormKeyDown(static_cast<std::uint16_t>(w));
      return true;
    case WM_MOUSEMOVE:
      form.FormMouseMove(GET_X_LPARAM(l), GET_Y_LPARAM(l));
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      form.DXDrawMouseDown();
      return true;
    case WM_CLOSE:
      form.Close();
      return true;
    case WM_SIZE:
      form.DXDraw.Resize(LOWORD(l), HIWORD(l));
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (form.DXDraw.Initialized()) GdiPresenter::Copy(dc, form.DXDraw.BackSurface());
      EndPaint(window, &paint);
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK DisplayProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  DisplayState* state = StateOf(window);
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // every pixel is painted by the frame
  if (message == WM_SETCURSOR && state != nullptr && state->Form.Mode() == rmSaver &&
      LOWORD(l) == HTCLIENT) {
    SetCursor(nullptr);
    return TRUE;
  }
  if (state != nullptr) {
    try {
      if (Handle(state->Form, window, message, w, l)) {
        if (state->Form.CloseAllowed()) DestroyWindow(window);
        return 0;
      }
    } catch (const ESaverError& error) {
      state->Host.ShowException(error.what());
      return 0;
    }
  }
  return DefWindowProcA(window, message, w, l);
}

void RegisterDisplayClass(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = DisplayProc;
  window_class.hInstance = instance;
  window_class.hCursor = nullptr;  // the saver has none; the preview never gets the mouse
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = kWindowClass;
  RegisterClassA(&window_class);
}

// The host shows its preview window a little after starting the preview;
// until then there is nothing to draw into.
bool WaitUntilVisible(HWND parent) {
  while (IsWindow(parent) && !IsWindowVisible(parent)) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return IsWindow(parent) != FALSE;
}

HWND CreateDisplayWindow(RunMode mode, HWND parent, PixelSize size, DisplayState& state) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterDisplayClass(instance);
  if (mode == rmPreview) {
    // The host's own styles, as a child that never takes input: the host's
    // settings window keeps the keyboard and the mouse. Frame and caption
    // bits of a top-level host would draw a frame inside the preview.
    constexpr LONG kTopLevelOnly = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                   WS_MAXIMIZEBOX | WS_MINIMIZE | WS_MAXIMIZE;
    const LONG style = (GetWindowLongA(parent, GWL_STYLE) & ~kTopLevelOnly) | WS_CHILD | WS_DISABLED | WS_VISIBLE;
    const LONG ex_style = GetWindowLongA(parent, GWL_EXSTYLE) & ~(WS_EX_APPWINDOW | WS_EX_TOPMOST);
    return CreateWindowExA(static_cast<DWORD>(ex_style), kWindowClass, "", static_cast<DWORD>(style), 0, 0,
                           size.Width, size.Height, parent, nullptr, instance, &state);
  }
  // A tool window has no taskbar button; topmost keeps it above everything.
  return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP | WS_VISIBLE, 0, 0,
                         size.Width, size.Height, nullptr, nullptr, instance, &state);
}

// Sleeps until a message arrives or the next timer is due, never polling.
int RunMessageLoop(TMainForm& form, Win32DisplayHost& host, HWND window) {
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    try {
      form.PollTimers();
    } catch (const ESaverError& error) {
      host.ShowException(error.what());
    }
    if (form.CloseAllowed() && IsWindow(window)) DestroyWindow(window);
    const auto due = form.TimeUntilNextTimer();
    MsgWaitForMultipleObjectsEx(0, nullptr, due ? *due : INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

int RunDisplay(RunMode mode, HWND parent_window) {
  // Without a host window to draw into, the preview ends at once, silently.
  if (mode == rmPreview && (parent_window == nullptr || !IsWindow(parent_window))) return 0;
  if (mode == rmPreview && !WaitUntilVisible(parent_window)) return 0;

  Win32System system;
  Win32RegistryHive registry;
  GdiPresenter presenter;
  GdiTextRenderer text;
  Win32DisplayHost host(system);
  TMainForm form({system, registry, presenter, text, host}, mode);
  DisplayState state{form, host};
  HWND window = CreateDisplayWindow(mode, parent_window, form.ClientSize(), state);
  if (window == nullptr) return 0;
  presenter.SetWindow(window);
  host.SetWindow(window);
  if (mode == rmSaver) SetForegroundWindow(window);
  form.Show();
  const int exit_code = RunMessageLoop(form, host, window);
  // The window is gone; the form's destruction stores the user's settings.
  return exit_code;
}

}  // namespace ris
