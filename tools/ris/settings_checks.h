#pragma once
// Checks of a product's settings text against what the saver does with it.

#include <string>
#include <string_view>
#include <vector>

#include "base/code_page.h"
#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

// The settings text to archive: a text saved as UTF-8 converted to the code
// page its "codePage" key names (an error without the key, or where the code
// page cannot hold a character); bare LF line ends a warning, or, with
// `fix_line_ends`, turned into CR LF.
std::string PrepareSettingsText(std::string_view text, bool fix_line_ends, PackFindings& findings);

// The code page the archived settings text names for the product's texts.
CodePage SettingsCodePage(std::string_view text);

// Picture names saved as UTF-8 (as file names are off Windows) converted to
// the product's code page, in which the saver shows them as set names; a
// name the code page cannot hold is an error. Without a named code page the
// names stay as they are.
void NamesInCodePage(CodePage code_page, std::vector<PackEntry>& pictures, PackFindings& findings);

// Loads the text into the saver's settings model, whose refusal would stop
// the saver (an error), and warns of values whose absence it would hide.
void CheckSettingsText(std::string_view text, PackFindings& findings);

}  // namespace ris::tool
