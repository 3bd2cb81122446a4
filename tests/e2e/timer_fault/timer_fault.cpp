// The saver's display with one fault put into a timer handler: the clock's
// third text (the second tick of the clock timer, about two seconds in)
// throws an exception of the standard library, as a failed allocation or a
// bad index would. The end-to-end tests start it in place of the saver and
// expect the standard error box and a saver that runs on.
#include <windows.h>

#include <stdexcept>

#include "shells/win32/display_window.h"
#include "shells/win32/win32_display_host.h"
#include "shells/win32/win32_errors.h"
#include "shells/win32/win32_system.h"

namespace {

class FailingClockHost : public ris::Win32DisplayHost {
 public:
  using Win32DisplayHost::Win32DisplayHost;

  std::string LongTimeText() const override {
    if (++calls_ == 3) throw std::out_of_range("the clock failed on purpose");
    return Win32DisplayHost::LongTimeText();
  }

 private:
  mutable int calls_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ris::Win32System system;
  return ris::RunWithErrorBox(system, [&system] {
    FailingClockHost host(system);
    return ris::RunDisplay(ris::DisplayPlace::FullScreen, nullptr, system, host);
  });
}
