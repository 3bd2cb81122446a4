#pragma once
// The settings text of a new product: every section and key the saver and
// its dialog read, each with a comment that says what it does, so that a
// maker edits values instead of looking keys up.

#include <optional>
#include <string>
#include <string_view>

namespace ris::tool {

// Why `title` cannot be written as a settings value, or nothing when it
// can: a line end would end the value, "//" would start a comment, blanks
// at either end would be trimmed away, and only ASCII is written here (the
// settings text is in a Windows code page, the command line perhaps not).
std::optional<std::string> TitleProblem(std::string_view title);

// The whole text with CR LF line ends, for a title TitleProblem accepts.
std::string NewProductSettings(std::string_view title, std::string_view example_set);

}  // namespace ris::tool
