#include "shells/x11/request_error_catcher.h"

namespace ris {
namespace {

// Xlib has one error handler for the whole process, so one catcher at a time.
RequestErrorCatcher* g_active = nullptr;

}  // namespace

RequestErrorCatcher::RequestErrorCatcher(unsigned long serial) noexcept
    : serial_(serial), previous_(XSetErrorHandler(Route)) {
  g_active = this;
}

RequestErrorCatcher::~RequestErrorCatcher() {
  XSetErrorHandler(previous_);
  g_active = nullptr;
}

int RequestErrorCatcher::Route(Display* display, XErrorEvent* error) {
  RequestErrorCatcher& catcher = *g_active;
  if (error->serial == catcher.serial_) {
    catcher.caught_ = true;
    return 0;
  }
  return catcher.previous_(display, error);
}

}  // namespace ris
