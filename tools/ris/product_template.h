#pragma once
// The settings text of a new product: every section and key the saver and
// its dialog read, each with a comment that says what it does, so that a
// maker edits values instead of looking keys up.

#include <optional>
#include <string>
#include <string_view>

#include "base/code_page.h"

namespace ris::tool {

// Why `title` cannot be written as a settings value, or nothing when it
// can: one TitleRefusal refuses cannot name the product at all, a line end
// would end the value, "//" would start a comment, blanks at either end
// would be trimmed away, and letters beyond ASCII must come in UTF-8 and be
// letters of the product's `code_page` (the settings text is written in
// UTF-8, which ris pack converts to it).
std::optional<std::string> TitleProblem(std::string_view title, CodePage code_page);

// The whole text with CR LF line ends, naming `code_page` (a tabled one),
// for a title TitleProblem accepts.
std::string NewProductSettings(std::string_view title, std::string_view example_set, CodePage code_page);

}  // namespace ris::tool
