#include <ostream>

#include "commands.h"

namespace ris::tool {

std::ostream& CommandReport::Complain() const { return err << "ris " << usage_.Name << ": "; }

int CommandReport::Fail(std::string_view why) const {
  Complain() << why << '\n';
  return 1;
}

int CommandReport::Misused(std::string_view why) const {
  if (!why.empty()) Complain() << why << '\n';
  err << "usage: ris " << usage_.Synopsis << '\n';
  return 2;
}

}  // namespace ris::tool
