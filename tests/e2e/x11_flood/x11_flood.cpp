// x11_flood WINDOW_ID: Expose events of the whole window, far more than it
// can answer, until it is gone; says "flooding" once the first are sent.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
  if (display == nullptr) return 2;
  XEvent event{};
  event.xexpose.type = Expose;
  event.xexpose.window = std::strtoul(argv[1], nullptr, 0);
  event.xexpose.width = event.xexpose.height = 4096;
  const timespec pause{0, 1000000};
  for (bool told = false;; told = true) {
    for (int i = 0; i < 20; ++i) XSendEvent(display, event.xexpose.window, False, ExposureMask, &event);
    XSync(display, False);
    if (!told && std::puts("flooding") >= 0) std::fflush(stdout);
    nanosleep(&pause, nullptr);
  }
}
