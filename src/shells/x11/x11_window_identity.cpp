#include "shells/x11/x11_window_identity.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <limits.h>
#include <unistd.h>

#include <string>

namespace ris {
namespace {

// WM_CLASS's class: the engine's, the same for every product, so that one
// rule of a window manager or a task bar matches all of them; the instance
// tells the products apart. The title would not do: resource names cannot
// hold its spaces and letters beyond ASCII, and a maker may change it.
constexpr char kWindowClass[] = "ris-saver";

void SetUtf8Property(Display* display, Window window, Atom property, const std::string& text) {
  XChangeProperty(display, window, property, XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

// A process number means something only with the machine it runs on: both
// or neither.
void SetProcess(Display* display, Window window) {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return;
  char* names[] = {host};
  XTextProperty machine{};
  if (XStringListToTextProperty(names, 1, &machine) == 0) return;
  XSetWMClientMachine(display, window, &machine);
  XFree(machine.value);
  const long pid = getpid();  // format 32 travels as long
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
}

}  // namespace

void IdentifyWindow(Display* display, Window window, const WindowIdentity& identity) {
  SetUtf8Property(display, window, XA_WM_NAME, identity.Title);
  SetUtf8Property(display, window, XInternAtom(display, "_NET_WM_NAME", False), identity.Title);
  std::string instance = identity.ProgramName;
  std::string window_class = kWindowClass;
  XClassHint hint{instance.data(), window_class.data()};
  XSetClassHint(display, window, &hint);
  SetProcess(display, window);
}

}  // namespace ris
