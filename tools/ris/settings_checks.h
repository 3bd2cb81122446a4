#pragma once
// Checks of a product's settings text against what the saver does with it.

#include <string>
#include <string_view>

#include "pack_findings.h"

namespace ris::tool {

// The settings text to archive. Bare LF line ends are a warning, or, with
// `fix_line_ends`, turned into CR LF.
std::string PrepareSettingsText(std::string_view text, bool fix_line_ends, PackFindings& findings);

// Loads the text into the saver's settings model, whose refusal would stop
// the saver (an error), and warns of values whose absence it would hide and
// of a byte order mark.
void CheckSettingsText(std::string_view text, PackFindings& findings);

}  // namespace ris::tool
