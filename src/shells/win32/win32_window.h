#pragma once
// The bases of the shell's windows and of its dialog box, whose messages go
// to an object of ours. The procedure finds the object in the window's user
// data (set from the creation parameter by the first message that carries
// it) and calls OnMessage; whatever that throws goes to OnError, so nothing
// unwinds into the system's code. A window that goes first leaves the
// object; an object that goes first takes its window along.

#include <windows.h>

namespace ris {

// Every call the system makes into one of our objects comes through here:
// the handler's answer, or, when it throws, `failed` once `on_error` has
// shown the error (called inside the handler, where CurrentExceptionMessage
// tells it).
template <typename Result, typename Handler, typename OnError>
Result CallHandlerGuarded(Handler&& handler, OnError&& on_error, Result failed) noexcept {
  try {
    return handler();
  } catch (...) {
    on_error();
    return failed;
  }
}

// What a window and a dialog share: their window's handle, and how the
// system's procedures find the object behind it.
class WindowObject {
 public:
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  // Null before the window's first message and once it is gone.
  HWND Handle() const noexcept { return window_; }

 protected:
  WindowObject() = default;
  ~WindowObject() = default;

  // The object a message of `window` goes to, kept in the window's `slot`:
  // `arriving` from the message that brings it on, none from WM_NCDESTROY,
  // the window's last message, on.
  static WindowObject* Recover(HWND window, UINT message, int slot, WindowObject* arriving) noexcept;

 private:
  HWND window_ = nullptr;
};

class Win32Window : public WindowObject {
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

  LRESULT Default(UINT message, WPARAM w, LPARAM l) { return DefWindowProcA(Handle(), message, w, l); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
};

// A modal Unicode dialog box made from a template in memory: its texts are
// converted to Unicode, so they show whatever the system's code page is.
class Win32Dialog : public WindowObject {
 protected:
  Win32Dialog() = default;
  virtual ~Win32Dialog() = default;

  // Runs the dialog owned by `owner` until EndDialog: the value it ended
  // with, or 0 or -1 when the system could not make it.
  INT_PTR RunModal(const DLGTEMPLATE& dialog_template, HWND owner);

  // A dialog procedure's answer: TRUE for a message it handled.
  virtual INT_PTR OnMessage(UINT message, WPARAM w, LPARAM l) = 0;
  // Called inside the handler of what OnMessage threw; the dialog goes on.
  virtual void OnError() noexcept = 0;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
};

}  // namespace ris
