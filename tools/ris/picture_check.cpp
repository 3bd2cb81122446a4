#include "picture_check.h"

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>

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

PictureCheck DecodeToCheck(std::string_view entry_name, std::string_view bytes) {
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

// A verdict depends on nothing but the name and the bytes. `ris preview`
// checks its whole folder again on every save, mostly the same pictures:
// those are answered from here, so that a saved change shows at once however
// many large pictures the product has. The bytes are known by their size
// and a 64-bit digest.
class CheckMemo {
 public:
  PictureCheck Check(std::string_view entry_name, std::string_view bytes) {
    Key key{std::string(entry_name), bytes.size(), std::hash<std::string_view>{}(bytes)};
    if (const auto known = checks_.find(key); known != checks_.end()) return known->second;
    if (checks_.size() >= kMostKept) checks_.clear();
    PictureCheck check = DecodeToCheck(entry_name, bytes);
    checks_.emplace(std::move(key), check);
    return check;
  }

 private:
  using Key = std::tuple<std::string, std::size_t, std::size_t>;
  static constexpr std::size_t kMostKept = 4096;
  std::map<Key, PictureCheck> checks_;
};

}  // namespace

PictureCheck CheckPictureDecodes(std::string_view entry_name, std::string_view bytes) {
  static CheckMemo memo;
  return memo.Check(entry_name, bytes);
}

}  // namespace ris::tool
