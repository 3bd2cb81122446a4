#pragma once
// Settings that could not be written to the registry are told once, in one
// box, after the window whose settings were stored has closed (the saver's
// window, or the dialog after OK): never while a saver runs.

#include <windows.h>

#include <string>
#include <vector>

namespace ris {

class System;

// Shows every failure, one a line, in one error box under the product's
// title; nothing when there are none.
void ShowSaveFailures(const std::vector<std::string>& failures, HWND owner, const System& system);

}  // namespace ris
