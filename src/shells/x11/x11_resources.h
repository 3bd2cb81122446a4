#pragma once
// Owners of the X resources the Linux saver makes: each is given back exactly
// once, on every path out, in the reverse order of making.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstddef>
#include <memory>
#include <utility>

namespace ris {

// A resource of the display it was made on, freed with that display.
template <typename Handle, int (*Free)(Display*, Handle)>
class XResource {
 public:
  XResource() noexcept = default;
  XResource(Display* display, Handle handle) noexcept : display_(display), handle_(handle) {}
  ~XResource() { Reset(); }
  XResource(XResource&& other) noexcept
      : display_(other.display_), handle_(std::exchange(other.handle_, Handle{})) {}
  XResource& operator=(XResource&& other) noexcept {
    if (this != &other) {
      Reset();
      display_ = other.display_;
      handle_ = std::exchange(other.handle_, Handle{});
    }
    return *this;
  }

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Handle{}; }
  // Forgets the resource without freeing it: the server already has.
  void Release() noexcept { handle_ = Handle{}; }
  void Reset() noexcept {
    if (handle_ != Handle{}) Free(display_, handle_);
    handle_ = Handle{};
  }

 private:
  Display* display_ = nullptr;
  Handle handle_{};
};

using OwnedGc = XResource<GC, XFreeGC>;
using OwnedCursor = XResource<Cursor, XFreeCursor>;
using OwnedPixmap = XResource<Pixmap, XFreePixmap>;
using OwnedWindow = XResource<Window, XDestroyWindow>;

struct DisplayCloser {
  void operator()(Display* display) const noexcept { XCloseDisplay(display); }
};
using OwnedDisplay = std::unique_ptr<Display, DisplayCloser>;

// An image freed with its pixels; an image over shared memory has its pixel
// pointer taken away first, since the segment is not its to free.
struct ImageDestroyer {
  void operator()(XImage* image) const noexcept { XDestroyImage(image); }
};
using OwnedImage = std::unique_ptr<XImage, ImageDestroyer>;

// A System V shared-memory segment attached here and, once Attach succeeded,
// to the X server. It is marked for removal on every path: right after the
// server attached (so that it goes when both detach, even if this process is
// killed), or at its end when the server never did.
class SharedSegment {
 public:
  explicit SharedSegment(std::size_t bytes) noexcept;
  ~SharedSegment();
  SharedSegment(const SharedSegment&) = delete;
  SharedSegment& operator=(const SharedSegment&) = delete;

  // False when the segment could not be made or attached here.
  bool Mapped() const noexcept { return info_.shmaddr != nullptr; }
  char* Address() const noexcept { return info_.shmaddr; }
  XShmSegmentInfo& Info() noexcept { return info_; }
  // Has the server attach the segment; false when it refuses (a display on
  // another machine), which it reports as an X error kept from the
  // program's handler. Other errors the attach's round trip brings in go on
  // to that handler.
  bool Attach(Display* display) noexcept;

 private:
  void MarkForRemoval() noexcept;

  XShmSegmentInfo info_{};
  Display* attached_to_ = nullptr;
  bool removal_marked_ = false;
};

}  // namespace ris
