#pragma once
// Photos as cameras store them: sideways, with an EXIF tag saying how to
// turn them. The saver shows pixels as stored, so ris pack turns such a
// JPEG upright before it is archived, losslessly (libjpeg-turbo's transform
// moves the compressed blocks, nothing is decoded), and sets the tag to 1.

#include <vector>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

// Turns every JPEG whose orientation tag is not 1, saying what was done;
// with `keep`, only says which photos will show sideways.
void TurnPhotosUpright(std::vector<PackEntry>& pictures, bool keep, PackFindings& findings);

}  // namespace ris::tool
