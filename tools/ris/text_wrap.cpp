#include "text_wrap.h"

#include <sstream>

namespace ris::tool {

std::vector<std::string> WrappedToWidth(const TCanvas& canvas, std::string_view text, std::int32_t width) {
  std::vector<std::string> lines;
  std::istringstream words{std::string(text)};
  std::string line;
  for (std::string word; words >> word;) {
    const std::string longer = line.empty() ? word : line + ' ' + word;
    if (!line.empty() && canvas.TextWidth(longer) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace ris::tool
