#include "picture_check.h"

#include <cstdint>

#include "pictures/file_format_list.h"
#include "pictures/metafile_decoder.h"

namespace ris::tool {

PictureCheck CheckPictureDecodes(std::string_view entry_name, std::string_view bytes) {
  const ByteSpan data = AsBytes(bytes);
  TPicture picture;
  const LoadResult loaded = StandardFormatList().LoadPictureFromStream(picture, data, entry_name);
  if (loaded.Outcome == LoadOutcome::NoDecoder) {
    return {PictureVerdict::Undecodable, "no decoder recognises its content or its extension"};
  }
  if (!loaded && loaded.Message == kMetafilesDrawnByWindowsOnly) {
    return {PictureVerdict::DrawnByWindowsOnly, loaded.Message};
  }
  if (!loaded) return {PictureVerdict::Undecodable, loaded.Message};
  // Some formats decode their pixels only when first shown; do that now.
  if (const auto pixels = picture.Pixels(); !pixels) {
    return {PictureVerdict::Undecodable, pixels.error().Message};
  }
  return {PictureVerdict::Decodable, {}};
}

}  // namespace ris::tool
