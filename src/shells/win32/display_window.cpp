#include "shells/win32/display_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "base/errors.h"
#include "display/key_actions.h"
#include "display/main_form.h"
#include "display/monitor_layout.h"
#include "shells/win32/gdi_presenter.h"
#include "shells/win32/gdi_text.h"
#include "shells/win32/monitors.h"
#include "shells/win32/owned_handle.h"
#include "shells/win32/save_failures.h"
#include "shells/win32/wide_text.h"
#include "shells/win32/win32_display_host.h"
#include "shells/win32/win32_errors.h"
#include "shells/win32/win32_registry.h"
#include "shells/win32/win32_system.h"
#include "shells/win32/win32_window.h"

namespace ris {
namespace {

constexpr char kWindowClass[] = "RisDisplayWindow";
constexpr char kSceneClass[] = "RisSceneWindow";
constexpr char kCoverClass[] = "RisCoverWindow";
// The saver's windows stay above every other and have no taskbar button.
constexpr DWORD kFullScreenExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE;
// The power setting that tells when the monitors go off and come back
// (GUID_CONSOLE_DISPLAY_STATE), spelt out so that no GUID library is needed.
constexpr GUID kConsoleDisplayState{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kDisplayOff = 0;
constexpr DWORD kOwnWindowStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

// The clock and the set change run on timers of the window: the system goes
// on posting their ticks while a modal loop (the password dialog, an error
// box) runs instead of the display's own loop. The frame timer is the
// display's and pauses meanwhile.
struct WindowTimer {
  UINT_PTR Id;
  FormTimer Timer;
};
constexpr WindowTimer kWindowTimers[] = {{1, FormTimer::Clock}, {2, FormTimer::SetChange}};

class SceneWindow;
class CoverWindow;

struct DisplayState {
  TMainForm& Form;
  Win32DisplayHost& Host;
  DisplayPlace Place;
  HWND Window = nullptr;
  UINT ArmedIntervals[std::size(kWindowTimers)] = {};
  std::vector<std::unique_ptr<SceneWindow>> Scenes = {};  // the further scenes' windows, scene 1 first
  std::vector<std::unique_ptr<CoverWindow>> Covers = {};  // over the monitors that show no scene
  // While the monitors are off nothing is drawn; the timers of the clock
  // and the set change go on.
  bool DisplaysOff = false;
};

void PlaceWindows(DisplayState& state);

// The monitors went off, came back or were dimmed, as the system's power
// plan has it: the saver keeps nothing on.
void FollowDisplayPower(DisplayState& state, WPARAM w, LPARAM l) {
  if (w != PBT_POWERSETTINGCHANGE) return;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(l);
  if (setting == nullptr || setting->PowerSetting != kConsoleDisplayState || setting->DataLength < sizeof(DWORD)) {
    return;
  }
  DWORD display_state = 0;
  std::memcpy(&display_state, setting->Data, sizeof display_state);
  state.DisplaysOff = display_state == kDisplayOff;
}

// Arms, re-arms or stops each window timer as the form's timer now stands.
void SyncWindowTimers(DisplayState& state) {
  for (std::size_t i = 0; i < std::size(kWindowTimers); ++i) {
    const auto interval = state.Form.TimerInterval(kWindowTimers[i].Timer);
    const UINT wanted = interval ? std::clamp<UINT>(*interval, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM) : 0;
    if (wanted == state.ArmedIntervals[i]) continue;
    // Counted as armed either way: a timer the system refuses is told once,
    // not on every pass of the loop.
    state.ArmedIntervals[i] = wanted;
    if (wanted == 0) {
      KillTimer(state.Window, kWindowTimers[i].Id);
    } else if (SetTimer(state.Window, kWindowTimers[i].Id, wanted, nullptr) == 0) {
      ThrowLastError("A timer of the saver's window could not be set");
    }
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

// A window of its own takes the display's keys as the saver does, but of the
// keys that end the saver only Escape ends it, as does its close box; its
// display host lets it close without the saver's password. The mouse is
// the maker's: moves and clicks, on the frame or inside, go their ordinary
// ways.
bool HandleOwnWindowInput(DisplayState& state, UINT message, WPARAM w) {
  switch (message) {
    case WM_KEYDOWN: {
      const auto key = static_cast<std::uint16_t>(w);
      if (key == VK_ESCAPE || ActionForKey(key) != KeyAction::Close) state.Form.FormKeyDown(key);
      return true;
    }
    case WM_CLOSE:
      state.Form.Close();
      return true;
    default:
      return false;
  }
}

// What a message asks of the form; false for messages it leaves to Windows.
bool HandleMessage(DisplayState& state, HWND window, UINT message, WPARAM w, LPARAM l) {
  TMainForm& form = state.Form;
  switch (message) {
    case WM_TIMER:
      FireWindowTimer(state, w);
      return true;
    case WM_SIZE:
      if (state.Place == DisplayPlace::OwnWindow && LOWORD(l) > 0 && HIWORD(l) > 0) {
        state.Host.SetOwnWindowSize({LOWORD(l), HIWORD(l)});
      }
      form.FormResize(LOWORD(l), HIWORD(l));
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (const Surface* frame = form.BackSurface()) GdiPresenter::Copy(dc, *frame);
      EndPaint(window, &paint);
      return true;
    }
    case WM_DISPLAYCHANGE:
      // A monitor came or went, or changed its size: every window is
      // placed anew over the monitors as they are now.
      if (state.Place != DisplayPlace::FullScreen) return false;
      form.MonitorsChanged();
      PlaceWindows(state);
      return true;
    case WM_POWERBROADCAST:
      FollowDisplayPower(state, w, l);
      return false;
    default:
      return state.Place == DisplayPlace::OwnWindow ? HandleOwnWindowInput(state, message, w)
                                                    : HandleInput(state, window, message, w, l);
  }
}

// Shows the error a handler raised, whatever it is; called inside the
// handler of what it threw.
void ShowHandlerError(DisplayState& state) noexcept {
  try {
    state.Host.ShowException(CurrentExceptionMessage());
  } catch (...) {
    // Not even the box could be shown; the saver goes on all the same.
  }
}

// A close the handlers allowed ends the main window, and with it the covers.
void EndIfCloseAllowed(const DisplayState& state) {
  if (state.Form.CloseAllowed() && IsWindow(state.Window)) DestroyWindow(state.Window);
}

// The saver has no cursor over its windows, except while the form shows it
// for the password question, on every monitor alike; a window of its own
// always has one; the host's preview never gets the mouse.
bool SetSaverCursor(const DisplayState& state, UINT message, LPARAM l) {
  if (message != WM_SETCURSOR || state.Place == DisplayPlace::HostPreview || LOWORD(l) != HTCLIENT) {
    return false;
  }
  const bool shown = state.Place == DisplayPlace::OwnWindow || state.Host.CursorShown();
  SetCursor(shown ? LoadCursor(nullptr, IDC_ARROW) : nullptr);
  return true;
}

// A window of the display: its messages go to one of the handler tables
// above; an error a handler raises is shown and the saver goes on.
class DisplayPart : public Win32Window {
 public:
  using Handler = bool (*)(DisplayState&, HWND, UINT, WPARAM, LPARAM);

  DisplayPart(DisplayState& state, Handler handler) : state_(state), handler_(handler) {}

 protected:
  LRESULT OnMessage(UINT message, WPARAM w, LPARAM l) override {
    if (SetSaverCursor(state_, message, l)) return TRUE;
    if (!handler_(state_, Handle(), message, w, l)) return Default(message, w, l);
    EndIfCloseAllowed(state_);
    return 0;
  }
  void OnError() noexcept override { ShowHandlerError(state_); }

 private:
  DisplayState& state_;
  Handler handler_;
};

// The saver's full-screen window, the preview's child of the host's, or a
// window of its own.
class DisplayWindow final : public DisplayPart {
 public:
  DisplayWindow(DisplayState& state, HWND parent, PixelSize size) : DisplayPart(state, HandleMessage) {
    if (!Create(kWindowClass, PlacementFor(state.Place, parent, size))) {
      ThrowLastError("The saver's window could not be created");
    }
  }

 private:
  LRESULT OnMessage(UINT message, WPARAM w, LPARAM l) override {
    if (message == WM_DESTROY) return 0;     // the loop ends when the window is gone
    if (message == WM_ERASEBKGND) return 1;  // every pixel is painted by the frame
    return DisplayPart::OnMessage(message, w, l);
  }

  static Placement PlacementFor(DisplayPlace place, HWND parent, PixelSize size) {
    if (place == DisplayPlace::OwnWindow) {
      // Sized so that its client area is the display's; placed where the
      // system puts a new window, which is where the program's starter
      // asked for its first window, if it did.
      RECT frame{0, 0, size.Width, size.Height};
      AdjustWindowRectEx(&frame, kOwnWindowStyle, FALSE, 0);
      return {0, kOwnWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
              nullptr};
    }
    if (place == DisplayPlace::HostPreview) {
      // The host's own styles, as a child that never takes input: the host's
      // settings window keeps the keyboard and the mouse. Frame and caption
      // bits of a top-level host would draw a frame inside the preview.
      constexpr LONG kTopLevelOnly = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                     WS_MAXIMIZEBOX | WS_MINIMIZE | WS_MAXIMIZE;
      const LONG style =
          (GetWindowLongA(parent, GWL_STYLE) & ~kTopLevelOnly) | WS_CHILD | WS_DISABLED | WS_VISIBLE;
      const LONG ex_style = GetWindowLongA(parent, GWL_EXSTYLE) & ~(WS_EX_APPWINDOW | WS_EX_TOPMOST);
      return {static_cast<DWORD>(ex_style), static_cast<DWORD>(style), 0, 0, size.Width, size.Height, parent};
    }
    // Over the primary monitor until the windows are placed.
    return {kFullScreenExStyle, kFullScreenStyle, 0, 0, size.Width, size.Height, nullptr};
  }
};

// A black window over a monitor other than the primary one, owned by the
// main window so that it stays above the desktop with it and goes when it
// goes: it only passes input on; its class's black brush paints it.
class CoverWindow final : public DisplayPart {
 public:
  CoverWindow(DisplayState& state, const ScreenRect& monitor) : DisplayPart(state, HandleInput) {
    // A monitor whose cover cannot be made stays uncovered; the saver runs
    // on the main one.
    Create(kCoverClass, {kFullScreenExStyle, kFullScreenStyle, monitor.Left, monitor.Top,
                         monitor.Right - monitor.Left, monitor.Bottom - monitor.Top, state.Window});
  }
};

// The scene (1 on) whose window this is; none for another window.
std::size_t SceneOf(const DisplayState& state, HWND window);

// A further scene's window paints its scene and passes input on as a cover
// does.
bool HandleSceneMessage(DisplayState& state, HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_PAINT) return HandleInput(state, window, message, w, l);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (const Surface* frame = state.Form.BackSurface(SceneOf(state, window))) GdiPresenter::Copy(dc, *frame);
  EndPaint(window, &paint);
  return true;
}

// The window of a scene of its own on a further monitor, owned by the main
// window as a cover is.
class SceneWindow final : public DisplayPart {
 public:
  SceneWindow(DisplayState& state, const ScreenRect& place) : DisplayPart(state, HandleSceneMessage) {
    // Without it the monitor shows the desktop beneath: the saver cannot go on so.
    if (!Create(kSceneClass, {kFullScreenExStyle, kFullScreenStyle, place.Left, place.Top, place.Right - place.Left,
                              place.Bottom - place.Top, state.Window})) {
      ThrowLastError("A window of the saver on a further monitor could not be created");
    }
  }
  using DisplayPart::Handle;

 private:
  LRESULT OnMessage(UINT message, WPARAM w, LPARAM l) override {
    if (message == WM_ERASEBKGND) return 1;  // every pixel is painted by the frame
    return DisplayPart::OnMessage(message, w, l);
  }
};

std::size_t SceneOf(const DisplayState& state, HWND window) {
  for (std::size_t index = 0; index < state.Scenes.size(); ++index) {
    if (state.Scenes[index]->Handle() == window) return index + 1;
  }
  return SIZE_MAX;
}

void MoveWindowTo(HWND window, const ScreenRect& place) {
  SetWindowPos(window, HWND_TOPMOST, place.Left, place.Top, place.Right - place.Left, place.Bottom - place.Top,
               SWP_NOACTIVATE);
}

// The windows as the form's layout has them: its own over the first scene,
// one over each further scene, showing it through the host's presenter for
// it, and a black cover over each monitor that shows none.
void PlaceWindows(DisplayState& state) {
  const MonitorLayout& layout = state.Form.Layout();
  if (!layout.Scenes.empty()) MoveWindowTo(state.Window, layout.Scenes.front().Desktop);
  const std::size_t further = layout.Scenes.empty() ? 0 : layout.Scenes.size() - 1;
  if (state.Scenes.size() > further) state.Scenes.resize(further);
  for (std::size_t index = 0; index < further; ++index) {
    const ScreenRect& place = layout.Scenes[index + 1].Desktop;
    if (index < state.Scenes.size()) {
      MoveWindowTo(state.Scenes[index]->Handle(), place);
    } else {
      state.Scenes.push_back(std::make_unique<SceneWindow>(state, place));
    }
    if (GdiPresenter* presenter = state.Host.SceneGdiPresenter(index + 1)) {
      presenter->SetWindow(state.Scenes[index]->Handle());
    }
  }
  state.Covers.clear();
  // Start-up failed before the product's choice was known: the primary
  // monitor alone, as a saver of one monitor shows it.
  const MonitorLayout primary_only = LayOutMonitors(DesktopMonitors(), MonitorChoice::PrimaryOnly);
  for (const MonitorShows& monitor : (layout.Scenes.empty() ? primary_only : layout).Monitors) {
    if (!monitor.Scene) state.Covers.push_back(std::make_unique<CoverWindow>(state, monitor.Monitor));
  }
}

// The host shows its preview window a little after starting the preview;
// until then there is nothing to draw into. A request to quit meanwhile
// ends the wait and is posted again for whoever looks next.
bool WaitUntilVisible(HWND parent) {
  while (IsWindow(parent) && !IsWindowVisible(parent)) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
      }
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return IsWindow(parent) != FALSE;
}

// Sleeps until a message arrives or the next frame is due, never polling;
// ends when the window is gone (closed, or destroyed with the preview's
// host) or the thread is asked to quit. No quit request is posted when the
// window goes: a box shown after the loop would take it as its own end.
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
      if (!state.DisplaysOff) form.PollFrameTimer();
      EndIfCloseAllowed(state);
      if (IsWindow(state.Window)) SyncWindowTimers(state);
    } catch (...) {
      ShowHandlerError(state);
    }
    if (!IsWindow(state.Window)) return 0;
    const auto due = state.DisplaysOff ? std::nullopt : form.TimeUntilNextFrame();
    MsgWaitForMultipleObjectsEx(0, nullptr, due ? *due : INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

// The services the form runs on, all of them Windows'.
struct Win32Platform {
  Win32System& System;
  Win32DisplayHost& Host;
  Win32RegistryHive Registry;
  GdiPresenter Presenter;
  GdiTextRenderer Text;
};

// A window of its own is captioned with the product's title, which the form
// read from the archive. DefWindowProcW keeps the caption in Unicode, so the
// title shows in its own code page whatever the system's is.
void CaptionWithTitle(HWND window, const Win32Platform& platform) {
  const std::wstring caption = Widen(platform.System.ApplicationTitle(), platform.Text.TextCodePage());
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
}

// A window of its own starts at the size the program's starter asked for
// its first window (`ris preview` starts it again at the size the maker left
// it), else at two thirds of the primary screen.
PixelSize OwnWindowStartSize() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  if ((startup.dwFlags & STARTF_USESIZE) == 0) {
    return {GetSystemMetrics(SM_CXSCREEN) * 2 / 3, GetSystemMetrics(SM_CYSCREEN) * 2 / 3};
  }
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, kOwnWindowStyle, FALSE, 0);
  const auto client = [](DWORD outer, LONG border) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{outer} - border, 1, 32767));
  };
  return {client(startup.dwXSize, frame.right - frame.left), client(startup.dwYSize, frame.bottom - frame.top)};
}

RunMode ModeFor(DisplayPlace place) { return place == DisplayPlace::HostPreview ? rmPreview : rmSaver; }

// The form from its creation to its destruction, which stores the settings.
int RunForm(Win32Platform& platform, DisplayPlace place, HWND parent_window) {
  TMainForm form({platform.System, platform.Registry, platform.Presenter, platform.Text, platform.Host},
                 ModeFor(place));
  DisplayState state{form, platform.Host, place};
  // The windows go before the form and the state they work on: after a quit
  // request from outside, they are still there when the loop ends.
  const DisplayWindow display(state, parent_window, form.ClientSize());
  HWND window = display.Handle();
  state.Window = window;
  platform.Presenter.SetWindow(window);
  platform.Host.SetWindow(window);
  // Told when the monitors go off, so that nothing is drawn for nobody.
  const OwnedPowerNotify power(place == DisplayPlace::FullScreen ? RegisterPowerSettingNotification(
                                                                        window, &kConsoleDisplayState,
                                                                        DEVICE_NOTIFY_WINDOW_HANDLE)
                                                                  : nullptr);
  if (place == DisplayPlace::FullScreen) PlaceWindows(state);
  if (place == DisplayPlace::OwnWindow) CaptionWithTitle(window, platform);
  if (place != DisplayPlace::HostPreview) SetForegroundWindow(window);
  form.Show();
  SyncWindowTimers(state);
  return RunMessageLoop(state);
}

}  // namespace

DisplayPlace PlaceFor(const CommandLine& command) noexcept {
  if (command.Mode == rmPreview) return DisplayPlace::HostPreview;
  return command.OwnWindow ? DisplayPlace::OwnWindow : DisplayPlace::FullScreen;
}

int RunDisplay(DisplayPlace place, HWND parent_window, Win32System& system, Win32DisplayHost& host) {
  if (place == DisplayPlace::HostPreview) {
    // Without a host window to draw into, the preview ends at once, silently.
    if (parent_window == nullptr || !IsWindow(parent_window)) return 0;
    if (!WaitUntilVisible(parent_window)) return 0;
  }
  if (place == DisplayPlace::OwnWindow) host.SetOwnWindowSize(OwnWindowStartSize());

  Win32Platform platform{system, host, Win32RegistryHive(system), {}, {}};
  const int exit_code = RunForm(platform, place, parent_window);
  // The form is gone and has stored the user's settings; what could not be
  // written is told now, when no saver runs any more. The host's preview
  // lives in its settings window, which closes it whenever another saver is
  // chosen: a box there would come back each time, so it stays silent.
  if (place != DisplayPlace::HostPreview) {
    ShowSaveFailures(host.SaveFailures(), nullptr, system);
  }
  return host.ErrorsShown() ? 1 : exit_code;
}

}  // namespace ris
