#pragma once
// The X error of one request, caught where the program can fall back from
// it: while a catcher lives, the error of its request (named by its serial,
// which no other request shares) is kept, and every other error, such as a
// window the daemon has taken away, goes on to the handler that was there
// before, as if the catcher were not there.

#include <X11/Xlib.h>

namespace ris {

class RequestErrorCatcher {
 public:
  // `serial`: NextRequest(display) just before the request is made.
  explicit RequestErrorCatcher(unsigned long serial) noexcept;
  ~RequestErrorCatcher();
  RequestErrorCatcher(const RequestErrorCatcher&) = delete;
  RequestErrorCatcher& operator=(const RequestErrorCatcher&) = delete;

  // Whether the request failed; known once the server has answered it
  // (after an XSync).
  bool Caught() const noexcept { return caught_; }

 private:
  static int Route(Display* display, XErrorEvent* error);

  unsigned long serial_;
  XErrorHandler previous_;
  bool caught_ = false;
};

}  // namespace ris
