#include "picture_check.h"

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>

#include "camera_formats.h"
#include "pictures/file_format_list.h"
#include "pictures/metafile_decoder.h"

namespace ris::tool {

namespace {

// A picture in a camera format reaches the check only when ris could not
// convert it (a broken file, or on Windows a codec the system lacks): the
// reason says why, and how to convert it by other means.
std::string NoDecoderReason(std::string_view bytes) {
  std::string reason = "no decoder recognises its content or its extension";
  const std::optional<CameraFormat> format = CameraFormatOf(bytes);
  if (!format) return reason;
  const auto converted = ConvertCameraPicture(*format, bytes);
  const std::string name(CameraFormatName(*format));
  reason.append(": it is a ").append(name).append(" picture");
  if (!converted) reason.append(" that ris could not convert: ").append(converted.error());
  return reason.append("; convert it to JPEG or PNG first (for instance with ImageMagick: convert photo.")
      .append(CameraFormatExtension(*format))
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

Result<PixelImage, std::string> DecodePixels(std::string_view entry_name, std::string_view bytes) {
  TPicture decoded;
  const LoadResult loaded = StandardFormatList().LoadPictureFromStream(decoded, AsBytes(bytes), entry_name);
  if (!loaded) {
    return Failure{loaded.Outcome == LoadOutcome::NoDecoder ? "no decoder of the saver reads it" : loaded.Message};
  }
  const auto pixels = decoded.Pixels();
  if (!pixels) return Failure{pixels.error().Message};
  return **pixels;
}

}  // namespace ris::tool
