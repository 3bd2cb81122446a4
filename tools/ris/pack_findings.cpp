#include "pack_findings.h"

#include <ostream>

namespace ris::tool {

void PackFindings::Error(std::string_view text) {
  ++errors_;
  lines_.push_back(std::string("error: ").append(text));
}

void PackFindings::Warning(std::string_view text) {
  lines_.push_back(std::string("warning: ").append(text));
}

void PackFindings::Note(std::string_view text) {
  ++notes_;
  lines_.push_back(std::string("note: ").append(text));
}

void PackFindings::Print(std::ostream& err) const {
  for (const std::string& line : lines_) err << line << '\n';
}

}  // namespace ris::tool
