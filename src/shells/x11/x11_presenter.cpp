#include "shells/x11/x11_presenter.h"

#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <span>

#include "surface/surface.h"

namespace ris {
namespace {

constexpr unsigned long kRedMask = 0xFF0000;
constexpr unsigned long kGreenMask = 0x00FF00;
constexpr unsigned long kBlueMask = 0x0000FF;

}  // namespace

X11Presenter::X11Presenter(Display* display, Window window)
    : display_(display), window_(window), gc_(display, XCreateGC(display, window, 0, nullptr)) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window_, &attributes) == 0 || attributes.visual == nullptr) return;
  depth_ = attributes.depth;
  visual_ = attributes.visual;
  visual_matches_ = (depth_ == 24 || depth_ == 32) && visual_->red_mask == kRedMask &&
                    visual_->green_mask == kGreenMask && visual_->blue_mask == kBlueMask &&
                    ImageByteOrder(display_) == LSBFirst;
  shared_ = XShmQueryExtension(display_) != False;
}

X11Presenter::~X11Presenter() { ReleaseImage(); }

void X11Presenter::ReleaseImage() {
  if (image_ && segment_) image_->data = nullptr;  // the segment's, not the image's
  image_.reset();
  segment_.reset();
}

bool X11Presenter::EnsureImage(std::int32_t width, std::int32_t height, bool& fresh) {
  fresh = false;
  if (image_ && image_->width == width && image_->height == height) return true;
  fresh = true;
  ReleaseImage();
  const auto w = static_cast<unsigned>(width);
  const auto h = static_cast<unsigned>(height);
  if (shared_ && MakeSharedImage(w, h)) return true;
  shared_ = false;  // plain images from now on
  return MakePlainImage(w, h);
}

bool X11Presenter::MakeSharedImage(unsigned width, unsigned height) {
  XShmSegmentInfo layout{};
  OwnedImage image(XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &layout,
                                   width, height));
  if (!image) return false;
  segment_.emplace(static_cast<std::size_t>(image->bytes_per_line) * height);
  if (!segment_->Attach(display_)) {
    segment_.reset();
    return false;
  }
  image->data = segment_->Address();
  image->obdata = reinterpret_cast<char*>(&segment_->Info());
  image_ = std::move(image);
  return true;
}

bool X11Presenter::MakePlainImage(unsigned width, unsigned height) {
  auto* pixels = static_cast<char*>(std::malloc(std::size_t{width} * height * 4));
  if (pixels == nullptr) return false;
  image_.reset(XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, pixels, width, height,
                            32, 0));
  if (!image_) std::free(pixels);
  return static_cast<bool>(image_);
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
  const int x = rect.Left + origin_x_;
  const int y = rect.Top + origin_y_;
  if (shared_) {
    XShmPutImage(display_, window_, gc_.Get(), image_.get(), rect.Left, rect.Top, x, y, w, h, False);
  } else {
    XPutImage(display_, window_, gc_.Get(), image_.get(), rect.Left, rect.Top, x, y, w, h);
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
  if (!image_) return;
  const SurfaceRect area = Intersection(Offset(rect, -origin_x_, -origin_y_), {0, 0, image_->width, image_->height});
  if (area.Empty()) return;
  Put(area);
  XSync(display_, False);
}

}  // namespace ris
