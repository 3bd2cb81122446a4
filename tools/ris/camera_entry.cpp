#include "camera_entry.h"

#include "background_size.h"
#include "camera_formats.h"

namespace ris::tool {

Result<std::optional<std::string>, std::string> ConvertCameraEntry(PackEntry& entry) {
  const std::optional<CameraFormat> format = CameraFormatOf(entry.Bytes);
  if (!format) return std::optional<std::string>();
  auto converted = ConvertCameraPicture(*format, entry.Bytes);
  if (!converted) return Failure{converted.error()};
  entry.Name = WithExtension(entry.Name, converted->Extension);
  entry.Bytes = std::move(converted->Bytes);
  return std::optional(std::string(CameraFormatName(*format)) + " converted to " +
                       (converted->Extension == ".png" ? "PNG" : "JPEG"));
}

}  // namespace ris::tool
