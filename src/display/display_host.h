#pragma once
// What the display form needs of the window system besides drawing and
// text: the millisecond clock its timers run on, the time of day as the user
// writes it, the screen, the mouse cursor, the saver password and the box
// that shows an error.

#include <cstdint>
#include <string>
#include <vector>

#include "base/pixel_size.h"
#include "display/screen_cover.h"
#include "surface/frame_timer.h"

namespace ris {

class Presenter;

class DisplayHost {
 public:
  virtual ~DisplayHost() = default;

  // The clock of every timer of the display; it wraps after 2^32 ms.
  virtual Milliseconds TickCount() const = 0;

  // A seed for the random numbers, taken from the clock on a real machine.
  virtual std::uint32_t ClockSeed() const = 0;

  // The current local time in the user's long time format, in UTF-8: its
  // markers (AM and PM) are in the user's language, which the product's
  // code page need not hold.
  virtual std::string LongTimeText() const = 0;

  virtual PixelSize ScreenSize() const = 0;

  // The monitors the saver may place scenes on, the primary one first, in
  // desktop coordinates; one of the screen's size where only the primary
  // (or a window) is drawn into.
  virtual std::vector<ScreenRect> Monitors() const { return {{0, 0, ScreenSize().Width, ScreenSize().Height}}; }

  // Where the frames of scene `scene` (1 on; the first one goes to the
  // platform's presenter) are shown; nothing when the host has no window
  // for it, and the scene is then not composed. Asked once per scene, while
  // the form is being created; the presenter must outlive the form.
  virtual Presenter* ScenePresenter(std::size_t /*scene*/) { return nullptr; }

  // Raises (true) or lowers (false) the mouse cursor's display count.
  virtual void ShowCursor(bool show) = 0;

  // Asks for the system's saver password where one is in force; true lets
  // the saver end.
  virtual bool VerifySaverPassword() = 0;

  // Shows an error that ended a handler, as the application's error box
  // does; the saver goes on.
  virtual void ShowException(const std::string& message) = 0;

  // A user's setting that could not be written when the form stored them.
  // A running saver never blocks on it: the shell tells it once the display
  // is gone.
  virtual void SaveFailed(const std::string& message) = 0;
};

}  // namespace ris
