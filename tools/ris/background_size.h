#pragma once
// How large a background is worth storing. A screen shows at most its own
// pixels, and the saver decodes a background whole at every start and set
// change: what is beyond the largest screens in use only costs time and
// memory. `ris add` stores photos at most 3840 x 2160; `ris pack --shrink`
// brings backgrounds larger than any screen down to that.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pack_content.h"
#include "pack_findings.h"
#include "pictures/picture.h"

namespace ris::tool {

// The largest screens in use (8K): a background beyond them is too large.
inline constexpr std::int64_t kLargestScreenWidth = 7680;
inline constexpr std::int64_t kLargestScreenHeight = 4320;
// What a background is shrunk to fit: a 4K screen.
inline constexpr std::int32_t kShrunkBackgroundWidth = 3840;
inline constexpr std::int32_t kShrunkBackgroundHeight = 2160;

// A picture stored anew: its extension (".jpg") and its file bytes.
struct StoredPicture {
  std::string Extension;
  std::string Bytes;
};

// The entry name with its extension ("backgrounds/x.webp") replaced by
// `extension` (".jpg").
std::string WithExtension(const std::string& name, const std::string& extension);

// The largest size of the picture's shape within width x height, never
// larger than the picture itself.
std::pair<std::int32_t, std::int32_t> FittedSize(const PixelImage& picture, std::int32_t width, std::int32_t height);

// The picture shrunk to fit 3840 x 2160, keeping its shape, as JPEG of
// quality 90 (PNG when it has transparency), with a note of the sizes;
// nothing when it fits already.
std::optional<StoredPicture> ShrunkToFit(const PixelImage& picture, std::string& note);

// Every background larger than any screen, shrunk to fit, under its name
// with the new extension.
void ShrinkOversizedBackgrounds(std::vector<PackEntry>& pictures, PackFindings& findings);

}  // namespace ris::tool
