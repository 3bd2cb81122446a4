#pragma once
// What a key does while the saver runs. Keys are Windows virtual-key codes;
// the keypad's digits act only as digits (with Num Lock off the keypad sends
// the arrow and navigation codes instead). Every key not listed ends the
// saver.

#include <cstdint>

namespace ris {

enum class KeyAction : std::uint8_t {
  NextSet,              // left arrow, keypad 4
  PreviousSet,          // right arrow, keypad 6
  Faster,               // up arrow, keypad 8
  Slower,               // down arrow, keypad 2
  MoreImages,           // keypad +
  FewerImages,          // keypad -
  LargerClockFont,      // keypad *
  SmallerClockFont,     // keypad /
  LargerSetNameFont,    // keypad 0
  SmallerSetNameFont,   // keypad decimal point
  NextClockMode,        // keypad 5: none, current time, running time, none ...
  ToggleSetName,        // keypad 1
  ToggleBackground,     // keypad 7
  ToggleBouncing,       // keypad 9
  Close,                // anything else
};

KeyAction ActionForKey(std::uint16_t virtual_key) noexcept;

}  // namespace ris
