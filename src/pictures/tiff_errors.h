#pragma once
// What is wrong with a TIFF, in the user's words. The directory's tags are
// looked at before any pixel is decoded, so that a file whose tags already
// say what is wrong gets that message rather than libtiff's general
// refusal; whatever libtiff meets later is told from its first error.

#include <optional>
#include <string_view>

#include "pictures/tiff_memory_file.h"

namespace ris {

// The message for the first thing the directory's tags get wrong: bits per
// sample, samples for the colour model, YCbCr subsampling, JPEG tables,
// strips or tiles beyond the end of the data. None when the tags are sound.
std::optional<DecodeError> ErrorFromTags(const TiffMemoryFile& file, std::string_view format);

// The message for a failure libtiff reported with `library_message`, when
// its words say what is wrong. `jpeg` tells a JPEG-compressed picture, whose
// failures have words of their own.
std::optional<DecodeError> ErrorFromLibrary(std::string_view library_message, bool jpeg, std::string_view format);

}  // namespace ris
