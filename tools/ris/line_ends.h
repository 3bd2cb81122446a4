#pragma once
// Line ends of settings texts. The saver splits lines at CR LF only, so a
// text saved with bare LF line ends reads as one single line.

#include <string>
#include <string_view>

namespace ris::tool {

// True when some LF has no CR before it.
bool HasBareLineFeed(std::string_view text) noexcept;

// The text with a CR put before every LF that lacks one; CR LF pairs and
// lone CRs stay as they are.
std::string WithCrLfLineEnds(std::string_view text);

}  // namespace ris::tool
