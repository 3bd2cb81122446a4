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

WindowObject* WindowObject::Recover(HWND window, UINT message, int slot, WindowObject* arriving) noexcept {
  if (arriving != nullptr) {
    arriving->window_ = window;
    SetWindowLongPtrA(window, slot, reinterpret_cast<LONG_PTR>(arriving));
  }
  auto* kept = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(window, slot));
  if (kept != nullptr && message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, slot, 0);
    kept->window_ = nullptr;
    return nullptr;
  }
  return kept;
}

Win32Window::~Win32Window() {
  const HWND window = Handle();
  if (window == nullptr) return;
  // Nothing reaches the object any more while its window goes.
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

bool Win32Window::Create(const char* class_name, const Placement& placement) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, class_name, Procedure);
  return CreateWindowExA(placement.ExStyle, class_name, "", placement.Style, placement.X, placement.Y,
                         placement.Width, placement.Height, placement.Parent, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  Win32Window* arriving = nullptr;
  if (message == WM_NCCREATE) {
    arriving = static_cast<Win32Window*>(reinterpret_cast<const CREATESTRUCTA*>(l)->lpCreateParams);
  }
  auto* self = static_cast<Win32Window*>(Recover(window, message, GWLP_USERDATA, arriving));
  if (self == nullptr) return DefWindowProcA(window, message, w, l);
  return CallHandlerGuarded([&] { return self->OnMessage(message, w, l); }, [self] { self->OnError(); },
                            LRESULT{0});
}

INT_PTR Win32Dialog::RunModal(const DLGTEMPLATE& dialog_template, HWND owner) {
  return DialogBoxIndirectParamW(GetModuleHandleA(nullptr), &dialog_template, owner, &Win32Dialog::Procedure,
                                 reinterpret_cast<LPARAM>(this));
}

// Messages before WM_INITDIALOG (the dialog's font, its frame) find no
// object yet and go to the system's handling.
INT_PTR CALLBACK Win32Dialog::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* arriving = message == WM_INITDIALOG ? reinterpret_cast<Win32Dialog*>(l) : nullptr;
  auto* self = static_cast<Win32Dialog*>(Recover(window, message, DWLP_USER, arriving));
  if (self == nullptr) return FALSE;
  return CallHandlerGuarded([&] { return self->OnMessage(message, w, l); }, [self] { self->OnError(); },
                            INT_PTR{FALSE});
}

}  // namespace ris
