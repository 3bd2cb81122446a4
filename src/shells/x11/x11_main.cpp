// The saver on Linux: a product's program (this engine copied or linked
// under the product's name) shows the product as the Windows saver does, in
// a window of its own, on the root window, or in the window an XScreenSaver
// daemon hands it. It sleeps until an X event arrives or the display's next
// timer is due, and ends cleanly on SIGTERM and SIGINT.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "base/code_page.h"
#include "data/zip_file_settings.h"
#include "display/main_form.h"
#include "shells/headless/freetype_text.h"
#include "shells/headless/headless_system.h"
#include "shells/headless/reg_file_hive.h"
#include "shells/x11/hack_options.h"
#include "shells/x11/hack_xml.h"
#include "shells/x11/override_hive.h"
#include "shells/x11/x11_keys.h"

// Xlib last: its macros (None, Bool, Status) would rename the engine's own
// names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "shells/x11/x11_display_host.h"
#include "shells/x11/x11_presenter.h"
#include "shells/x11/x11_resources.h"
#include "shells/x11/x11_window_identity.h"

namespace ris {
namespace {

namespace fs = std::filesystem;

constexpr PixelSize kOwnWindowSize{1024, 768};

// Set by the signal handler and checked before every event, so that no
// stream of events keeps it unseen; the pipe wakes the event loop's poll.
// Neither end of the pipe blocks (a full pipe already wakes the loop) and
// neither is inherited.
volatile sig_atomic_t g_stop_requested = 0;
int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  g_stop_requested = 1;
  const int saved = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t written = write(g_signal_pipe[1], &byte, 1);
  errno = saved;
}

// The window drawn into. The daemon may destroy its window before the hack
// has ended: errors naming it end the loop quietly. Any other error is a
// fault, kept to be told when the loop has ended.
Window g_target_window = None;
bool g_window_gone = false;
char g_x_failure[256] = {};
int OnXError(Display* display, XErrorEvent* error) {
  if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
      error->resourceid == g_target_window) {
    g_window_gone = true;
  } else if (g_x_failure[0] == '\0') {
    XGetErrorText(display, error->error_code, g_x_failure, sizeof g_x_failure);
    if (g_x_failure[0] == '\0') g_x_failure[0] = '?';
  }
  return 0;
}

// The product's name: the archive's when one is named, else the program's.
std::string ProductName(const char* program, const HackOptions& options) {
  if (options.Archive) return fs::path(*options.Archive).stem().string();
  return fs::path(program).filename().string();
}

// NAME.dat in any letter case, beside the program or in the products' data
// folder of its installation.
std::optional<fs::path> FindArchive(const std::string& name, const HackOptions& options) {
  if (options.Archive) return fs::path(*options.Archive);
  std::error_code error;
  const fs::path beside = fs::canonical("/proc/self/exe", error).parent_path();
  for (const fs::path& folder : {beside, (beside / RIS_DATA_DIR).lexically_normal()}) {
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (EqualsFolded(entry.path().filename().string(), name + ".dat")) return entry.path();
    }
  }
  return std::nullopt;
}

fs::path SettingsFile(const std::string& name) {
  const fs::path file = LinuxSaverSettingsFile(name);
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  return file;
}

struct Target {
  Window window = None;
  OwnedWindow own;  // a window of the program's own, destroyed at its end
  PixelSize size;
};

// The window to draw into; nothing, with the reason told, when the window
// named by --window-id (or $XSCREENSAVER_WINDOW) is not on the display.
std::optional<Target> OpenTarget(Display* display, const HackOptions& options, const std::string& name) {
  Target target;
  if (options.Where == HackOptions::Target::Root) target.window = DefaultRootWindow(display);
  if (options.Where == HackOptions::Target::Window) target.window = static_cast<Window>(options.WindowId);
  if (target.window == None) {
    const int screen = DefaultScreen(display);
    target.own = OwnedWindow(display, XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                                          kOwnWindowSize.Width, kOwnWindowSize.Height, 0,
                                                          BlackPixel(display, screen), BlackPixel(display, screen)));
    target.window = target.own.Get();
  }
  g_target_window = target.window;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, target.window, &attributes) == 0) {
    std::cerr << name << ": there is no window 0x" << std::hex << target.window << std::dec
              << " on the display\n";
    return std::nullopt;
  }
  target.size = {attributes.width, attributes.height};
  // The daemon owns the input of its window; a window of our own takes the
  // keys and the mouse as the Windows saver does.
  long events = StructureNotifyMask | ExposureMask;
  if (target.own) events |= KeyPressMask | ButtonPressMask | PointerMotionMask;
  XSelectInput(display, target.window, events);
  return target;
}

// On the root window of several monitors, each scene's frames go to its
// place; elsewhere the one scene fills the window.
void PlaceScenes(const TMainForm& form, X11Presenter& own, const X11DisplayHost& host) {
  const std::vector<ScenePlace>& scenes = form.Layout().Scenes;
  if (scenes.empty()) return;
  own.SetOrigin(scenes.front().Desktop.Left, scenes.front().Desktop.Top);
  const auto& further = host.ScenePresenters();
  for (std::size_t scene = 1; scene < scenes.size() && scene <= further.size(); ++scene) {
    further[scene - 1]->SetOrigin(scenes[scene].Desktop.Left, scenes[scene].Desktop.Top);
  }
}

class X11Saver {
 public:
  X11Saver(Display* display, const Target& target, TMainForm& form, X11DisplayHost& host,
           X11Presenter& presenter)
      : display_(display), target_(target), form_(form), host_(host), presenter_(presenter),
        delete_window_(XInternAtom(display, "WM_DELETE_WINDOW", False)),
        black_(display, XCreateGC(display, target.window, 0, nullptr)) {
    XSetForeground(display_, black_.Get(), BlackPixel(display_, DefaultScreen(display_)));
    if (target_.own) {
      XSetWMProtocols(display_, target_.window, &delete_window_, 1);
      XMapRaised(display_, target_.window);
    }
  }

  void Run() {
    PlaceScenes(form_, presenter_, host_);
    form_.Show();
    CoverBlack(kUnclipped);
    while (Running()) {
      HandleQueuedEvents();
      if (!Running()) break;
      form_.PollTimers();
      Sleep();
    }
  }

 private:
  bool Running() const {
    return !form_.CloseAllowed() && !g_window_gone && g_x_failure[0] == '\0' && g_stop_requested == 0;
  }

  // Only the events already here: those that arrive meanwhile wait for the
  // next turn, so that a steady stream of them cannot keep the timers from
  // running.
  void HandleQueuedEvents() {
    for (int queued = XPending(display_); queued > 0 && Running(); --queued) {
      XEvent event;
      XNextEvent(display_, &event);
      Handle(event);
    }
  }

  void Handle(XEvent& event) {
    switch (event.type) {
      case KeyPress:
        form_.FormKeyDown(VirtualKeyFor(XLookupKeysym(&event.xkey, 0)));
        break;
      case MotionNotify:
        form_.FormMouseMove(event.xmotion.x, event.xmotion.y);
        break;
      case ButtonPress:
        form_.DXDrawMouseDown();
        break;
      case ConfigureNotify:
        if (event.xconfigure.width != host_.ScreenSize().Width ||
            event.xconfigure.height != host_.ScreenSize().Height) {
          host_.SetSize({event.xconfigure.width, event.xconfigure.height});
          FollowNewSize(event.xconfigure.width, event.xconfigure.height);
        }
        break;
      case Expose: {
        // Frames put only what changed: what the window lost is put back.
        const SurfaceRect lost =
            BlockRect(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
        presenter_.Repaint(lost);
        for (const auto& further : host_.ScenePresenters()) further->Repaint(lost);
        CoverBlack(lost);
        break;
      }
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == delete_window_) form_.Close();
        break;
      case DestroyNotify:
        g_window_gone = true;
        break;
      default:
        break;
    }
  }

  // The root window changes its size with the monitors: the scenes are
  // placed anew on them. Any other window is the one scene.
  void FollowNewSize(std::int32_t width, std::int32_t height) {
    if (target_.window != DefaultRootWindow(display_)) {
      form_.FormResize(width, height);
      return;
    }
    form_.MonitorsChanged();
    PlaceScenes(form_, presenter_, host_);
    CoverBlack(kUnclipped);
  }

  // The monitors that show no scene, black within `area` of the window.
  void CoverBlack(SurfaceRect area) {
    for (const MonitorShows& monitor : form_.Layout().Monitors) {
      if (monitor.Scene) continue;
      const SurfaceRect black = Intersection(
          area, {monitor.Monitor.Left, monitor.Monitor.Top, monitor.Monitor.Right, monitor.Monitor.Bottom});
      if (black.Empty()) continue;
      XFillRectangle(display_, target_.window, black_.Get(), black.Left, black.Top,
                     static_cast<unsigned>(black.Width()), static_cast<unsigned>(black.Height()));
    }
  }

  // Until an X event arrives, a signal comes or the next timer is due.
  void Sleep() {
    if (XPending(display_) > 0) return;  // XPending flushed what was asked for
    pollfd waits[2] = {{ConnectionNumber(display_), POLLIN, 0}, {g_signal_pipe[0], POLLIN, 0}};
    const auto due = form_.TimeUntilNextTimer();
    poll(waits, 2, due ? static_cast<int>(*due) : -1);
  }

  Display* display_;
  const Target& target_;
  TMainForm& form_;
  X11DisplayHost& host_;
  X11Presenter& presenter_;
  Atom delete_window_;
  OwnedGc black_;
};

// The product's title in UTF-8; its name where the settings give no title.
std::string WindowTitle(const System& system, const std::string& name) {
  const std::string& title = system.ApplicationTitle();
  return title.empty() ? name : CodePageToUtf8(title, system.TextCodePage());
}

// Runs the display in the target window until it closes, a signal comes or
// the window goes; the user's settings are stored at the end.
int ShowProduct(Display* display, const Target& target, System& system, const HackOptions& options,
                const std::string& name, const std::string& program_name) {
  X11Presenter presenter(display, target.window);
  if (!presenter.VisualMatches()) {
    std::cerr << name << ": the window's visual is not 24-bit true colour\n";
    return 1;
  }
  RegFileHive stored(SettingsFile(name));
  OverrideHive hive(stored);
  OverrideFromSwitches(options, hive);
  FreeTypeTextRenderer text;
  X11DisplayHost host(display, target.window, static_cast<bool>(target.own),
                      options.Where == HackOptions::Target::Root, target.size);
  {
    TMainForm form({system, hive, presenter, text, host}, rmSaver);
    // The title is known once the form has read the product's settings.
    if (target.own) IdentifyWindow(display, target.window, {WindowTitle(system, name), program_name});
    X11Saver(display, target, form, host, presenter).Run();
  }  // the form's end stores the user's settings
  stored.Commit();
  if (g_x_failure[0] != '\0') {
    std::cerr << name << ": X error: " << g_x_failure << '\n';
    return 1;
  }
  return host.ErrorsShown() ? 1 : 0;
}

int RunSaver(const char* program, const HackOptions& options) {
  const std::string name = ProductName(program, options);
  const auto archive = FindArchive(name, options);
  if (!archive) {
    std::cerr << name << ": no " << name << ".dat beside the program or in its data folder\n";
    return 1;
  }
  // The archive's password follows from the saver's name, as on Windows.
  HeadlessSystem system("C:\\Savers\\" + name + ".scr");
  system.MapFile(ArchiveNameFor(system.ExecutablePath()), *archive);

  if (options.PrintXml) {
    TZipFileSettings product(system, rmConfigure);
    std::cout << HackXml(product.SettingsList(), name);
    return 0;
  }

  const OwnedDisplay display(XOpenDisplay(nullptr));
  if (!display) {
    std::cerr << name << ": cannot open the X display\n";
    return 1;
  }
  XSetErrorHandler(OnXError);
  auto target = OpenTarget(display.get(), options, name);
  if (!target) return 1;
  const int status =
      ShowProduct(display.get(), *target, system, options, name, fs::path(program).filename().string());
  if (g_window_gone) target->own.Release();
  return status;
}

}  // namespace
}  // namespace ris

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::string error;
  const auto options = ris::ParseHackOptions(arguments, std::getenv("XSCREENSAVER_WINDOW"), error);
  if (!options || options->Help) {
    if (!error.empty()) std::cerr << argv[0] << ": " << error << '\n';
    std::cerr << ris::kHackUsage;
    return options ? 0 : 2;
  }
  if (pipe2(ris::g_signal_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return 1;
  struct sigaction action{};
  action.sa_handler = ris::OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  try {
    return ris::RunSaver(argv[0], *options);
  } catch (const ris::ProcessExit& exit) {
    std::cerr << exit.what() << '\n';
    return exit.ExitCode();
  } catch (const std::exception& failure) {
    std::cerr << argv[0] << ": " << failure.what() << '\n';
    return 1;
  }
}
