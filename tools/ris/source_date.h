#pragma once
// SOURCE_DATE_EPOCH, the common convention for reproducible builds: the
// time a build should write wherever it would write the current time, as
// whole seconds since 1970.

#include <cstdint>
#include <optional>
#include <string>

namespace ris::tool {

struct SourceDate {
  std::optional<std::int64_t> Seconds;  // nothing when the variable is not set
  std::string Error;                    // set when it is not a number of seconds
};

SourceDate SourceDateFromEnvironment();

}  // namespace ris::tool
