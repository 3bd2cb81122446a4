#pragma once
// Runs a display form the way a window system would, on the headless host's
// virtual clock: shows it, delivers scripted key presses and mouse moves at
// their times, runs the timers when they are due, and stops when a close is
// allowed or the time is up. Virtual time jumps from one due event to the
// next, so a minute of display costs only the frames it draws.

#include <cstdint>
#include <vector>

#include "surface/frame_timer.h"

namespace ris {

class HeadlessDisplayHost;
class TMainForm;

struct ScriptedInput {
  enum class Kind : std::uint8_t { Key, MouseMove };
  Milliseconds At = 0;  // since the form was shown
  Kind What = Kind::Key;
  std::uint16_t Key = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

enum class RunEnd : std::uint8_t { ClosedByKey, ClosedByMouse, TimeUp };

// Runs for `duration` milliseconds of virtual time after showing the form.
// Inputs are taken in order of their times; at the same instant input comes
// before the timers.
RunEnd RunHeadlessDisplay(TMainForm& form, HeadlessDisplayHost& host,
                          std::vector<ScriptedInput> inputs, Milliseconds duration);

}  // namespace ris
