#pragma once
// Whether the saver could show a picture: the saver's own format list is
// asked, exactly as the saver asks it for an archive entry.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "pictures/picture.h"

namespace ris::tool {

// A metafile is measured here but drawn only by Windows: it cannot be
// checked to the last pixel off Windows.
enum class PictureVerdict { Decodable, Undecodable, DrawnByWindowsOnly };

struct PictureCheck {
  PictureVerdict Verdict = PictureVerdict::Decodable;
  std::string Reason;  // otherwise than Decodable: what the decoders said
  std::int32_t Width = 0;  // when Decodable
  std::int32_t Height = 0;
};

PictureCheck CheckPictureDecodes(std::string_view entry_name, std::string_view bytes);

// The picture's pixels as the saver decodes them, or why it cannot.
Result<PixelImage, std::string> DecodePixels(std::string_view entry_name, std::string_view bytes);

}  // namespace ris::tool
