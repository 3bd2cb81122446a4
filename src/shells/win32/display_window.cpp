#include "shells/win32/display_window.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "base/errors.h"
#include "display/main_form.h"
#include "shells/win32/gdi_presenter.h"
#include "shells/win32/gdi_text.h"
#include "shells/win32/monitors.h"
#include "shells/win32/save_failures.h"
#include "shells/win32/win32_display_host.h"
#include "shells/win32/win32_registry.h"
#include "shells/win32/win32_system.h"

namespace ris {
namespace {

constexpr char kWindowClass[] = "RisDisplayWindow";
constexpr char kCoverClass[] = "RisCoverWindow";

// The clock and the set change run on timers of the window: the system goes
// on posting their ticks while a modal loop (the password dialog, an error
// box) runs instead of the display's own loop. The frame timer is the
// display's and pauses meanwhile.
struct WindowTimer {
  UINT_PTR Id;
  FormTimer Timer;
};
constexpr WindowTimer kWindowTimers[] = {{1, FormTimer::Clock}, {2, FormTimer::SetChange}};

struct DisplayState {
  TMainForm& Form;
  Win32DisplayHost& Host;
  HWND Window = nullptr;
  UINT ArmedIntervals[std::size(kWindowTimers)] = {};
};

DisplayState* StateOf(HWND window) {
  return reinterpret_cast<DisplayState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Arms, re-arms or stops each window timer as the form's timer now stands.
void SyncWindowTimers(DisplayState& state) {
  for (std::size_t i = 0; i < std::size(kWindowTimers); ++i) {
    const auto interval = state.Form.TimerInterval(kWindowTimers[i].Timer);
    const UINT wanted = interval ? std::clamp<UINT>(*interval, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM) : 0;
    if (wanted == state.ArmedIntervals[i]) continue;
    if (wanted == 0) {
      KillTimer(state.Window, kWindowTimers[i].Id);
    } else {
      SetTimer(state.Window, kWindowTimers[i].Id, wanted, nullptr);
    }
    state.ArmedIntervals[i] = wanted;
  }
}

void FireWindowTimer(DisplayState& state, UINT_PTR id) {
  for (const WindowTimer& timer : kWindowTimers) {
    if (timer.Id == id) state.Form.FireTimer(timer.Timer);
  }
}

// Keys, clicks, mouse moves and close requests, from the main window or a
// monitor's cover window alike; false for messages that are none of these.
bool HandleInput(DisplayState& state, HWND window, UINT message, WPARAM w, LPARAM l) {
  TMainForm& form = state.Form;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt and F10 too: they would otherwise open a menu
      form.FormKeyDown(static_cast<std::uint16_t>(w));
      return true;
    case WM_MOUSEMOVE: {
      // In the main window's coordinates, so that a move from one monitor to
      // another is measured like any other.
      POINT point{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      if (window != state.Window) MapWindowPoints(window, state.Window, &point, 1);
      form.FormMouseMove(point.x, point.y);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      form.DXDrawMouseDown();
      return true;
    case WM_CLOSE:
      form.Close();
      return true;
    default:
      return false;
  }
}

// What a message asks of the form; false for messages it leaves to Windows.
bool Handle(DisplayState& state, HWND window, UINT message, WPARAM w, LPARAM l) {
  TMainForm& form = state.Form;
  switch (message) {
    case WM_TIMER:
      FireWindowTimer(state, w);
      return true;
    case WM_SIZE:
      form.FormResize(LOWORD(l), HIWORD(l));
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (const Surface* frame = form.BackSurface()) GdiPresenter::Copy(dc, *frame);
      EndPaint(window, &paint);
      return true;
    }
    default:
      return HandleInput(state, window, message, w, l);
  }
}

// Runs a handler; an error it raises is shown and the saver goes on. A
// close the handler allowed ends the main window, and with it the covers.
LRESULT Dispatch(DisplayState& state, HWND window, UINT message, WPARAM w, LPARAM l,
                 bool (*handler)(DisplayState&, HWND, UINT, WPARAM, LPARAM)) {
  try {
    if (!handler(state, window, message, w, l)) return DefWindowProcA(window, message, w, l);
  } catch (const ESaverError& error) {
    state.Host.ShowException(error.what());
    return 0;
  }
  if (state.Form.CloseAllowed() && IsWindow(state.Window)) DestroyWindow(state.Window);
  return 0;
}

void KeepState(HWND window, UINT message, LPARAM l) {
  if (message != WM_NCCREATE) return;
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

// The saver has no cursor over its windows; the preview never gets the mouse.
bool HideCursor(const DisplayState* state, UINT message, LPARAM l) {
  if (message != WM_SETCURSOR || state == nullptr || state->Form.Mode() != rmSaver ||
      LOWORD(l) != HTCLIENT) {
    return false;
  }
  SetCursor(nullptr);
  return true;
}

LRESULT CALLBACK DisplayProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  KeepState(window, message, l);
  DisplayState* state = StateOf(window);
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // every pixel is painted by the frame
  if (HideCursor(state, message, l)) return TRUE;
  if (state == nullptr) return DefWindowProcA(window, message, w, l);
  return Dispatch(*state, window, message, w, l, Handle);
}

// A black window over a monitor other than the primary one: it only passes
// input on; its class's black brush paints it.
LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  KeepState(window, message, l);
  DisplayState* state = StateOf(window);
  if (HideCursor(state, message, l)) return TRUE;
  if (state == nullptr) return DefWindowProcA(window, message, w, l);
  return Dispatch(*state, window, message, w, l, HandleInput);
}

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = nullptr;  // the saver has none; the preview never gets the mouse
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = name;
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
  RegisterWindowClass(instance, kWindowClass, DisplayProc);
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

// Black windows over the other monitors, owned by the main window so that
// they stay above the desktop with it and go when it goes.
void CoverOtherMonitors(DisplayState& state) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, kCoverClass, CoverProc);
  for (const ScreenRect& monitor : OtherMonitorRects()) {
    CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, "", WS_POPUP | WS_VISIBLE, monitor.Left,
                    monitor.Top, monitor.Right - monitor.Left, monitor.Bottom - monitor.Top, state.Window,
                    nullptr, instance, &state);
  }
}

// Sleeps until a message arrives or the next frame is due, never polling.
int RunMessageLoop(DisplayState& state) {
  TMainForm& form = state.Form;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    try {
      form.PollFrameTimer();
    } catch (const ESaverError& error) {
      state.Host.ShowException(error.what());
    }
    if (form.CloseAllowed() && IsWindow(state.Window)) DestroyWindow(state.Window);
    if (IsWindow(state.Window)) SyncWindowTimers(state);
    const auto due = form.TimeUntilNextFrame();
    MsgWaitForMultipleObjectsEx(0, nullptr, due ? *due : INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

// The services the form runs on, all of them Windows'.
struct Win32Platform {
  Win32System System;
  Win32RegistryHive Registry;
  GdiPresenter Presenter;
  GdiTextRenderer Text;
  Win32DisplayHost Host{System};
};

// The form from its creation to its destruction, which stores the settings.
int RunForm(Win32Platform& platform, RunMode mode, HWND parent_window) {
  TMainForm form({platform.System, platform.Registry, platform.Presenter, platform.Text, platform.Host}, mode);
  DisplayState state{form, platform.Host};
  HWND window = CreateDisplayWindow(mode, parent_window, form.ClientSize(), state);
  if (window == nullptr) return 0;
  state.Window = window;
  platform.Presenter.SetWindow(window);
  platform.Host.SetWindow(window);
  if (mode == rmSaver) {
    CoverOtherMonitors(state);
    SetForegroundWindow(window);
  }
  form.Show();
  SyncWindowTimers(state);
  return RunMessageLoop(state);
}

}  // namespace

int RunDisplay(RunMode mode, HWND parent_window) {
  // Without a host window to draw into, the preview ends at once, silently.
  if (mode == rmPreview && (parent_window == nullptr || !IsWindow(parent_window))) return 0;
  if (mode == rmPreview && !WaitUntilVisible(parent_window)) return 0;

  Win32Platform platform;
  const int exit_code = RunForm(platform, mode, parent_window);
  // The form is gone and has stored the user's settings; what could not be
  // written is told now, when no saver runs any more. The preview lives in
  // the host's settings window, which closes it whenever another saver is
  // chosen: a box there would come back each time, so it stays silent.
  if (mode == rmSaver) {
    ShowSaveFailures(platform.Host.SaveFailures(), nullptr, platform.System.ApplicationTitle());
  }
  return exit_code;
}

}  // namespace ris
