#include "picture_check.h"

#include <cstdint>

#include "pictures/file_format_list.h"
#include "pictures/metafile_decoder.h"

namespace ris::tool {

namespace {

// Formats of today's cameras and browsers that no decoder of the saver
// reads, told apart by their signatures, so the message can name them.
std::string_view UnreadFormatName(std::string_view bytes) {
  if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP") return "WebP";
  if (bytes.size() < 12 || bytes.substr(4, 4) != "ftyp") return {};
  const std::string_view brand = bytes.substr(8, 4);
  if (brand == "avif" || brand == "avis") return "AVIF";
  if (brand == "heic" || brand == "heix" || brand == "hevc" || brand == "heim" || brand == "heis" ||
      brand == "mif1" || brand == "msf1") {
    return "HEIC";
  }
  return {};
}

std::string NoDecoderReason(std::string_view bytes) {
  std::string reason = "no decoder recognises its content or its extension";
  const std::string_view format = UnreadFormatName(bytes);
  if (format.empty()) return reason;
  return reason.append(": it is a ")
      .append(format)
      .append(" picture; convert it to JPEG or PNG first (for instance with ImageMagick: convert photo.")
      .append(format == "HEIC" ? "heic" : format == "AVIF" ? "avif" : "webp")
      .append(" photo.jpg)");
}

}  // namespace

PictureCheck CheckPictureDecodes(std::string_view entry_name, std::string_view bytes) {
  const ByteSpan data = AsBytes(bytes);
  TPicture picture;
  const LoadResult loaded = StandardFormatList().LoadPictureFromStream(picture, data, entry_name);
  if (loaded.Outcome == LoadOutcome::NoDecoder) return {PictureVerdict::Undecodable, NoDecoderReason(bytes)};
  if (!loaded && loaded.Message == kMetafilesDrawnByWindowsOnly) {
    return {PictureVerdict::DrawnByWindowsOnly, loaded.Message};
  }
  if (!loaded) return {PictureVerdict::Undecodable, loaded.Message};
  // Some formats decode their pixels only when first shown; do that now.
  if (const auto pixels = picture.Pixels(); !pixels) {
    return {PictureVerdict::Undecodable, pixels.error().Message};
  }
  return {PictureVerdict::Decodable, {}, picture.Width(), picture.Height()};
}

}  // namespace ris::tool
