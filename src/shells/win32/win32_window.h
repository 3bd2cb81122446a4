#pragma once
// A window whose messages go to an object of ours. The class's procedure
// finds the object in the window's user data (set on WM_NCCREATE from the
// creation parameter) and calls OnMessage; whatever that throws goes to
// OnError, so nothing unwinds into the system's code. A window that goes
// first leaves the object; an object that goes first takes its window along.

#include <windows.h>

namespace ris {

class Win32Window {
 public:
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Null once the window is gone.
  HWND Handle() const noexcept { return window_; }

 protected:
  Win32Window() = default;
  virtual ~Win32Window();

  struct Placement {
    DWORD ExStyle;
    DWORD Style;
    int X, Y, Width, Height;
    HWND Parent;  // the parent of a child window, the owner of a popup
  };

  // Registers the class `class_name` once per process (black background, no
  // cursor), throwing the system's reason when it is refused, and creates
  // the window; false when the system refuses the window.
  bool Create(const char* class_name, const Placement& placement);

  virtual LRESULT OnMessage(UINT message, WPARAM w, LPARAM l) = 0;
  // Called inside the handler of what OnMessage threw.
  virtual void OnError() noexcept = 0;

  LRESULT Default(UINT message, WPARAM w, LPARAM l) { return DefWindowProcA(window_, message, w, l); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);

  HWND window_ = nullptr;
};

}  // namespace ris
