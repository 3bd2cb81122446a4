#include "shells/x11/x11_presenter.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <span>

#include "surface/surface.h"

namespace ris {
namespace {

constexpr unsigned long kRedMask = 0xFF0000;
constexpr unsigned long kGreenMask = 0x00FF00;
constexpr unsigned long kBlueMask = 0x0000FF;

// An attach the server refuses (a display on another machine) is reported
// as an X error; it must fall back to plain images rather than end the
// program through the default error handler.
bool g_attach_refused = false;
int RecordRefusal(Display*, XErrorEvent*) {
  g_attach_refused = true;
  return 0;
}

bool Attach(Display* display, XShmSegmentInfo& segment) {
  g_attach_refused = false;
  const XErrorHandler previous = XSetErrorHandler(RecordRefusal);
  const bool attached = XShmAttach(display, &segment) != False;
  XSync(display, False);
  XSetErrorHandler(previous);
  return attached && !g_attach_refused;
}

}  // namespace

X11Presenter::X11Presenter(Display* display, Window window)
    : display_(display), window_(window), gc_(XCreateGC(display, window, 0, nullptr)) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window_, &attributes);
  depth_ = attributes.depth;
  visual_ = attributes.visual;
  visual_matches_ = (depth_ == 24 || depth_ == 32) && visual_->red_mask == kRedMask &&
                    visual_->green_mask == kGreenMask && visual_->blue_mask == kBlueMask &&
                    ImageByteOrder(display_) == LSBFirst;
  shared_ = XShmQueryExtension(display_) != False;
}

X11Presenter::~X11Presenter() {
  ReleaseImage();
  XFreeGC(display_, gc_);
}

void X11Presenter::ReleaseImage() {
  if (image_ == nullptr) return;
  if (shared_) {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
  }
  XDestroyImage(image_);  // frees plain_pixels_ with the image
  image_ = nullptr;
  plain_pixels_ = nullptr;
}

bool X11Presenter::EnsureImage(std::int32_t width, std::int32_t height, bool& fresh) {
  fresh = false;
  if (image_ != nullptr && image_->width == width && image_->height == height) return true;
  fresh = true;
  ReleaseImage();
  const auto w = static_cast<unsigned>(width);
  const auto h = static_cast<unsigned>(height);
  if (shared_) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &segment_, w, h);
    if (image_ != nullptr) {
      segment_.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) * h, IPC_CREAT | 0600);
      segment_.shmaddr = segment_.shmid >= 0 ? static_cast<char*>(shmat(segment_.shmid, nullptr, 0)) : nullptr;
      segment_.readOnly = False;
      if (segment_.shmaddr != reinterpret_cast<char*>(-1) && segment_.shmaddr != nullptr &&
          Attach(display_, segment_)) {
        image_->data = segment_.shmaddr;
        // Marked for removal once both sides are attached: the segment goes
        // when they detach, even if this process is killed.
        shmctl(segment_.shmid, IPC_RMID, nullptr);
        return true;
      }
      if (segment_.shmaddr != reinterpret_cast<char*>(-1) && segment_.shmaddr != nullptr) shmdt(segment_.shmaddr);
      XDestroyImage(image_);
      image_ = nullptr;
    }
    shared_ = false;  // fall back to plain images from now on
  }
  plain_pixels_ = static_cast<char*>(std::malloc(std::size_t{w} * h * 4));
  if (plain_pixels_ == nullptr) return false;
  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, plain_pixels_, w, h, 32, 0);
  if (image_ == nullptr) {
    std::free(plain_pixels_);
    plain_pixels_ = nullptr;
  }
  return image_ != nullptr;
}

void X11Presenter::CopyIntoImage(const Surface& back_surface, SurfaceRect rect) {
  const auto bytes = static_cast<std::size_t>(rect.Width()) * 4;
  for (std::int32_t y = rect.Top; y < rect.Bottom; ++y) {
    char* row = image_->data + static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line;
    std::memcpy(row + std::ptrdiff_t{rect.Left} * 4, back_surface.Row(y).data() + rect.Left, bytes);
  }
}

void X11Presenter::Put(SurfaceRect rect) {
  const auto w = static_cast<unsigned>(rect.Width());
  const auto h = static_cast<unsigned>(rect.Height());
  if (shared_) {
    XShmPutImage(display_, window_, gc_, image_, rect.Left, rect.Top, rect.Left, rect.Top, w, h, False);
  } else {
    XPutImage(display_, window_, gc_, image_, rect.Left, rect.Top, rect.Left, rect.Top, w, h);
  }
}

void X11Presenter::Present(const Surface& back_surface, const DirtyRegion& changed, bool) {
  const std::int32_t width = back_surface.Width();
  const std::int32_t height = back_surface.Height();
  bool fresh = false;
  if (!visual_matches_ || width <= 0 || height <= 0 || !EnsureImage(width, height, fresh)) return;
  if (!fresh && changed.Empty()) return;
  // A new image holds no frame yet: all of this one goes into it.
  const SurfaceRect whole = back_surface.Bounds();
  const auto rects = fresh ? std::span<const SurfaceRect>(&whole, 1) : changed.Rects();
  for (const SurfaceRect& rect : rects) {
    const SurfaceRect area = Intersection(rect, whole);
    if (area.Empty()) continue;
    CopyIntoImage(back_surface, area);
    Put(area);
  }
  // Waits until the server has the frame: the next one must not overwrite
  // the shared pixels while they are still being read.
  XSync(display_, False);
}

void X11Presenter::Repaint(SurfaceRect rect) {
  if (image_ == nullptr) return;
  const SurfaceRect area = Intersection(rect, {0, 0, image_->width, image_->height});
  if (area.Empty()) return;
  Put(area);
  XSync(display_, False);
}

}  // namespace ris
