#pragma once
// X key symbols as the Windows virtual-key codes the display's key table
// speaks.

#include <cstdint>

namespace ris {

// The keypad answers as its digits whether Num Lock is on or not; a key
// with no Windows counterpart answers 0, which the display takes as any
// other key.
std::uint16_t VirtualKeyFor(unsigned long keysym) noexcept;

}  // namespace ris
