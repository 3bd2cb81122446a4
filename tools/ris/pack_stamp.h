#pragma once
// The time stamp and the encryption seed of a pack. Normally the current
// time and a fresh random seed; when SOURCE_DATE_EPOCH is set (the common
// convention for reproducible builds) both follow from it, so that packing
// the same content twice gives the same bytes.

#include <cstdint>

#include "pack_findings.h"
#include "zip_writer.h"

namespace ris::tool {

struct PackStamp {
  DosTimestamp Modified;
  std::uint32_t Seed = 0;
};

// A SOURCE_DATE_EPOCH that is not a whole number of seconds since 1970 is
// an error, rather than silently giving an archive that differs each time.
PackStamp PackStampFromEnvironment(PackFindings& findings);

}  // namespace ris::tool
