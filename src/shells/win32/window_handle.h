#pragma once
// The host window the command line names, as the window Windows knows.

#include <windows.h>

#include <cstdint>

#include "startup/command_line.h"

namespace ris {

inline HWND WindowOf(WindowHandle handle) noexcept {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

}  // namespace ris
