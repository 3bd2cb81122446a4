#pragma once
// Whether the saver could show a picture: the saver's own format list is
// asked, exactly as the saver asks it for an archive entry.

#include <string>
#include <string_view>

namespace ris::tool {

enum class PictureVerdict { Decodable, Undecodable };

struct PictureCheck {
  PictureVerdict Verdict = PictureVerdict::Decodable;
  std::string Reason;  // for Undecodable: what the decoders said
};

PictureCheck CheckPictureDecodes(std::string_view entry_name, std::string_view bytes);

}  // namespace ris::tool
