#include "display/key_actions.h"

namespace ris {
namespace {

// Virtual-key codes of the keys that steer the saver.
enum : std::uint16_t {
  kLeft = 37,
  kUp = 38,
  kRight = 39,
  kDown = 40,
  kNumpad0 = 96,
  kNumpad1 = 97,
  kNumpad2 = 98,
  kNumpad4 = 100,
  kNumpad5 = 101,
  kNumpad6 = 102,
  kNumpad7 = 103,
  kNumpad8 = 104,
  kNumpad9 = 105,
  kMultiply = 106,
  kAdd = 107,
  kSubtract = 109,
  kDecimal = 110,
  kDivide = 111,
};

}  // namespace

KeyAction ActionForKey(std::uint16_t virtual_key) noexcept {
  switch (virtual_key) {
    case kLeft:
    case kNumpad4:
      return KeyAction::NextSet;
    case kRight:
    case kNumpad6:
      return KeyAction::PreviousSet;
    case kUp:
    case kNumpad8:
      return KeyAction::Faster;
    case kDown:
    case kNumpad2:
      return KeyAction::Slower;
    case kAdd:
      return KeyAction::MoreImages;
    case kSubtract:
      return KeyAction::FewerImages;
    case kMultiply:
      return KeyAction::LargerClockFont;
    case kDivide:
      return KeyAction::SmallerClockFont;
    case kNumpad0:
      return KeyAction::LargerSetNameFont;
    case kDecimal:
      return KeyAction::SmallerSetNameFont;
    case kNumpad5:
      return KeyAction::NextClockMode;
    case kNumpad1:
      return KeyAction::ToggleSetName;
    case kNumpad7:
      return KeyAction::ToggleBackground;
    case kNumpad9:
      return KeyAction::ToggleBouncing;
    default:
      return KeyAction::Close;
  }
}

}  // namespace ris
