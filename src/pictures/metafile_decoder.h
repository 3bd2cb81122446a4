#pragma once
// Windows metafiles (WMF, with or without the placeable header, and EMF) are
// recordings of GDI calls: only the system's GDI draws them, and only the
// Win32 shell reaches it. The decoder measures the picture from the file's
// header, checks that every record lies whole within the data (GDI walks
// them by their sizes) and leaves the drawing, at the size the picture is
// shown, to the MetafilePlayer the shell installs; without one (the
// headless shell, `ris`) it says that Windows alone draws metafiles.

#include <cstdint>
#include <memory>

#include "base/pixel_size.h"
#include "base/result.h"
#include "pictures/image_decoder.h"

namespace ris {

// What the header says: the picture's size in pixels at 96 per inch, and
// where the records the player needs begin.
struct MetafileFrame {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool Enhanced = false;      // EMF; otherwise WMF
  std::size_t RecordsAt = 0;  // after a placeable header, 22; else 0
  // For a WMF: the picture's size in 0.01 mm, which GDI needs to turn it
  // into an enhanced metafile of the right proportions.
  std::int32_t HundredthsMmWidth = 0;
  std::int32_t HundredthsMmHeight = 0;
  std::size_t Records = 0;  // every record, checked to lie whole within the data
};

Result<MetafileFrame, DecodeError> MeasureMetafile(ByteSpan data);

// The size a metafile is drawn at to cover `cover`: the smallest of the
// frame's proportions that is at least as wide and as high, never beyond the
// frame; the frame itself for an empty cover.
PixelSize MetafileDrawnSize(const MetafileFrame& frame, PixelSize cover);

// The message a decode gives where no player is installed.
inline constexpr std::string_view kMetafilesDrawnByWindowsOnly =
    "Windows metafiles (WMF, EMF) are drawn by Windows only.";

class MetafilePlayer {
 public:
  virtual ~MetafilePlayer() = default;
  // Draws the metafile, stretched to `size`, onto an opaque white picture
  // of that size.
  virtual Result<PixelImage, DecodeError> Play(ByteSpan metafile, const MetafileFrame& frame, PixelSize size) const = 0;
};

// The Win32 shell installs its GDI player once, before any picture loads.
void InstallMetafilePlayer(std::shared_ptr<const MetafilePlayer> player);

}  // namespace ris
