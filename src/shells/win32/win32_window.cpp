#include "shells/win32/win32_window.h"

#include "shells/win32/win32_errors.h"

namespace ris {
namespace {

// A class registered before (a window of the same kind earlier in this
// process) is kept.
void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = nullptr;  // each window sets its own, or none
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = name;
  if (RegisterClassA(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    ThrowLastError("A window class could not be registered");
  }
}

}  // namespace

Win32Window::~Win32Window() {
  if (window_ == nullptr) return;
  // Nothing reaches the object any more while its window goes.
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool Win32Window::Create(const char* class_name, const Placement& placement) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, class_name, Procedure);
  return CreateWindowExA(placement.ExStyle, class_name, "", placement.Style, placement.X, placement.Y,
                         placement.Width, placement.Height, placement.Parent, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Win32Window*>(reinterpret_cast<const CREATESTRUCTA*>(l)->lpCreateParams);
    created->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, w, l);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcA(window, message, w, l);
  }
  try {
    return self->OnMessage(message, w, l);
  } catch (...) {
    self->OnError();
    return 0;
  }
}

}  // namespace ris
