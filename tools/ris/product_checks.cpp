#include "product_checks.h"

#include "background_size.h"

#include "photo_orientation.h"
#include "set_checks.h"
#include "settings_checks.h"

namespace ris::tool {

void PrepareProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings) {
  if (content.Settings) {
    *content.Settings = PrepareSettingsText(*content.Settings, preparation.FixLineEnds, findings);
    CheckSettingsText(*content.Settings, findings);
    NamesInCodePage(SettingsCodePage(*content.Settings), content.Pictures, findings);
  }
  TurnPhotosUpright(content.Pictures, preparation.KeepOrientation, findings);
  if (preparation.Shrink) ShrinkOversizedBackgrounds(content.Pictures, findings);
}

std::size_t CheckProductContent(PackContent& content, ContentPreparation preparation, PackFindings& findings) {
  PrepareProductContent(content, preparation, findings);
  return CheckPictureSets(content.Pictures, findings, preparation.Shown);
}

}  // namespace ris::tool
