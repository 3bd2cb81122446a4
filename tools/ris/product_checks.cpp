#include "product_checks.h"

#include "background_size.h"
#include "camera_entry.h"
#include "photo_orientation.h"
#include "set_checks.h"
#include "settings_checks.h"
#include "setup_brand.h"

namespace ris::tool {
namespace {

// Backgrounds and moving pictures in a camera format are stored as the
// JPEG or PNG they convert to. One that cannot be converted stays as it is,
// and the picture check says why the saver cannot show it.
void ConvertCameraPictures(std::vector<PackEntry>& pictures, PackFindings& findings) {
  for (PackEntry& picture : pictures) {
    if (!picture.Name.starts_with("backgrounds/") && !picture.Name.starts_with("icons/")) continue;
    const std::string name = picture.Name;
    const auto done = ConvertCameraEntry(picture);
    if (done && *done) findings.Note(name + ": " + **done + ", stored as " + picture.Name);
  }
}

}  // namespace

void PrepareProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings) {
  if (content.Settings) {
    *content.Settings = PrepareSettingsText(*content.Settings, preparation.FixLineEnds, findings);
    CheckSettingsText(*content.Settings, findings);
    NamesInCodePage(SettingsCodePage(*content.Settings), content.Pictures, findings);
    // What ris installer would refuse of the [setup] section, found here.
    ReadSetupBrand(*content.Settings, SettingsCodePage(*content.Settings), content.SetupFiles, {}, findings);
  }
  ConvertCameraPictures(content.Pictures, findings);
  TurnPhotosUpright(content.Pictures, preparation.KeepOrientation, findings);
  if (preparation.Shrink) ShrinkOversizedBackgrounds(content.Pictures, findings);
}

std::size_t CheckProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings) {
  PrepareProductContent(content, preparation, findings);
  return CheckPictureSets(content.Pictures, findings, preparation.Shown);
}

}  // namespace ris::tool
