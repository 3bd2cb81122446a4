#pragma once
// The time stamp and the encryption seed of a pack. Both follow from what
// is packed, never from the clock or the machine, so that the same content
// folder gives the same archive bytes wherever and whenever it is packed:
// a maker can rebuild a shipped archive and compare it.

#include <cstdint>
#include <string_view>

#include "pack_content.h"
#include "pack_findings.h"
#include "zip_writer.h"

namespace ris::tool {

struct PackStamp {
  DosTimestamp Modified;
  std::uint32_t Seed = 0;
};

// Every entry is stamped 1980-01-01 00:00, the first time ZIP can hold,
// unless SOURCE_DATE_EPOCH (the common convention for reproducible builds)
// names another; one that is not a whole number of seconds since 1970 is an
// error. The seed is a hash of the password and every entry's name and
// bytes: equal content packs equally, and any change to it, or another
// saver name, gives other encryption headers.
PackStamp PackStampFor(std::string_view password, std::string_view settings,
                       const PackContent& content, PackFindings& findings);

}  // namespace ris::tool
