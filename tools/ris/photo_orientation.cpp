#include "photo_orientation.h"

#include <turbojpeg.h>

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "exif_orientation.h"

namespace ris::tool {
namespace {

struct Turn {
  int Operation;
  std::string_view Description;
};

// What each orientation value 2..8 asks for to show the photo upright.
constexpr std::array<Turn, 7> kTurns = {{{TJXOP_HFLIP, "mirrored left to right"},
                                         {TJXOP_ROT180, "turned 180 degrees"},
                                         {TJXOP_VFLIP, "mirrored top to bottom"},
                                         {TJXOP_TRANSPOSE, "mirrored across its main diagonal"},
                                         {TJXOP_ROT90, "turned 90 degrees clockwise"},
                                         {TJXOP_TRANSVERSE, "mirrored across its other diagonal"},
                                         {TJXOP_ROT270, "turned 90 degrees anticlockwise"}}};

struct TransformCloser {
  void operator()(void* handle) const noexcept { tjDestroy(handle); }
};
struct BufferFreer {
  void operator()(unsigned char* buffer) const noexcept { tjFree(buffer); }
};

// The photo transformed by `turn` with `options`; nothing, with `error`
// set, when libjpeg-turbo refuses.
std::optional<std::string> Transformed(std::string_view jpeg, const Turn& turn, int options, std::string& error) {
  if (jpeg.size() > std::numeric_limits<unsigned long>::max()) {
    error = "the file is too large for the JPEG transform";
    return std::nullopt;
  }
  const std::unique_ptr<void, TransformCloser> handle(tjInitTransform());
  if (!handle) {
    error = "the JPEG transform could not start";
    return std::nullopt;
  }
  tjtransform transform{};
  transform.op = turn.Operation;
  transform.options = options;
  unsigned char* output = nullptr;
  unsigned long output_size = 0;
  const int status = tjTransform(handle.get(), reinterpret_cast<const unsigned char*>(jpeg.data()),
                                 static_cast<unsigned long>(jpeg.size()), 1,
                                 &output, &output_size, &transform, 0);
  const std::unique_ptr<unsigned char, BufferFreer> owned(output);
  if (status != 0 || output == nullptr) {
    error = tjGetErrorStr2(handle.get());
    return std::nullopt;
  }
  return std::string(reinterpret_cast<const char*>(output), output_size);
}

// The photo upright: perfectly where its size is whole blocks, otherwise
// with the partial blocks at its edge, a few pixels wide, trimmed off.
void TurnUpright(PackEntry& picture, const ExifOrientation& tag, PackFindings& findings) {
  const Turn& turn = kTurns[tag.Value - 2u];
  std::string error;
  std::optional<std::string> turned = Transformed(picture.Bytes, turn, TJXOPT_PERFECT, error);
  std::string_view trimmed;
  if (!turned) {
    turned = Transformed(picture.Bytes, turn, TJXOPT_TRIM, error);
    trimmed = " (its size is not whole 8 or 16 pixel blocks: the partial blocks at an edge were trimmed off)";
  }
  if (!turned) {
    findings.Error(picture.Name + ": EXIF orientation " + std::to_string(tag.Value) +
                   " asks for the photo to be turned, which failed: " + error +
                   " (pack with --keep-orientation to archive it as stored)");
    return;
  }
  // The transform keeps the EXIF block; its tag must no longer ask for a turn.
  if (const std::optional<ExifOrientation> copied = FindExifOrientation(*turned)) {
    SetExifOrientation(*turned, *copied, 1);
  }
  picture.Bytes = std::move(*turned);
  findings.Note(picture.Name + ": EXIF orientation " + std::to_string(tag.Value) + ": " +
                std::string(turn.Description) + " without loss, orientation set to 1" + std::string(trimmed));
}

}  // namespace

void TurnPhotosUpright(std::vector<PackEntry>& pictures, bool keep, PackFindings& findings) {
  for (PackEntry& picture : pictures) {
    const std::optional<ExifOrientation> tag = FindExifOrientation(picture.Bytes);
    if (!tag || tag->Value < 2 || tag->Value > 8) continue;
    if (keep) {
      findings.Note(picture.Name + ": EXIF orientation " + std::to_string(tag->Value) +
                    " kept: the saver shows the photo as stored, not upright");
    } else {
      TurnUpright(picture, *tag, findings);
    }
  }
}

}  // namespace ris::tool
