#include "installer_script.h"

#include <algorithm>
#include <utility>

#include "base/ascii.h"
#include "data/settings.h"

namespace ris::tool {

namespace {

// What setup and its uninstaller do, for every product alike. The product's
// own texts and files are the definitions written before it.
//
// Setup installs for the user alone by default, into the user's programs
// folder without administrator rights; "for all users" (or /ALLUSERS) puts
// the saver and its archive into the system folder, where the system's
// saver list finds them for everyone, and needs an administrator. The saver
// is a 64-bit program, and so is setup: it sees the system folder and the
// registry as the saver does. The user's saver is set as Windows sets it, by its
// short path, and what was set before is kept in the uninstall key, so that
// the uninstaller can put it back if ours is still the one set then.
constexpr std::string_view kScriptBody = R"nsis(
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Files are installed with the time they are installed at: their own times
; would make the setup program differ between two builds of the same files.
SetDateSave off
RequestExecutionLevel user
Name "${TITLE}"
Caption "${TITLE} Setup"
UninstallCaption "${TITLE} Uninstall"
BrandingText "${TITLE}"
OutFile "${OUTPUT}"
InstallDir "$LOCALAPPDATA\Programs\${FOLDER}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_ID}"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\${TITLE}"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3
!define ERROR_ELEVATION_REQUIRED 740

Var AllUsers
Var OnlyMeButton
Var AllUsersButton
Var SaverPath
Var ArchivePath

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!insertmacro MUI_PAGE_WELCOME
Page custom UsersPage LeaveUsersPage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends setup or the uninstaller when everyone's saver is asked for by
; someone who may not change it.
!macro RequireAdministrator un
Function ${un}RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONEXCLAMATION "Installing ${TITLE} for all users needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RequireAdministrator ""
!insertmacro RequireAdministrator "un."

; $0: the saver's path as Windows writes it into SCRNSAVE.EXE, its short
; form. The file must exist, so this runs before it is removed.
!macro ShortSaverPath un
Function ${un}ShortSaverPath
  GetFullPathName /SHORT $0 "$SaverPath"
  ${If} $0 == ""
    StrCpy $0 "$SaverPath"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ShortSaverPath ""
!insertmacro ShortSaverPath "un."

!macro SetScreenSaveActive value
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "${value}"
  System::Call 'user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i ${value}, p 0, i ${SPIF_UPDATE_AND_SEND})'
!macroend

Function .onInit
  StrCpy $AllUsers 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    Call RequireAdministrator
  ${EndIf}
FunctionEnd

Function UsersPage
  !insertmacro MUI_HEADER_TEXT "Who uses ${TITLE}" "Install the screen saver for yourself, or for everyone who uses this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 14u "&Only for me (no administrator rights needed)"
  Pop $OnlyMeButton
  ${NSD_CreateRadioButton} 0 18u 100% 14u "For &all users of this computer (needs administrator rights)"
  Pop $AllUsersButton
  ${If} $AllUsers == 1
    ${NSD_Check} $AllUsersButton
  ${Else}
    ${NSD_Check} $OnlyMeButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function LeaveUsersPage
  ${NSD_GetState} $AllUsersButton $AllUsers
  ${If} $AllUsers == 1
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_ICONEXCLAMATION "Installing for all users needs administrator rights: start setup as an administrator, or install only for yourself."
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; A setup run over an installed copy keeps what was set before the first.
Function RememberPreviousSaver
  ClearErrors
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "SaverPath"
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaver" "$0"
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaveActive" "$0"
FunctionEnd

Function RegisterUninstaller
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$SaverPath,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "SaverPath" "$SaverPath"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "ArchivePath" "$ArchivePath"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${If} $AllUsers == 1
    IntOp $0 $0 + ${PAYLOAD_KB}
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
FunctionEnd

Section
  StrCpy $1 "$INSTDIR"
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER}"
    StrCpy $1 "$SYSDIR"
  ${EndIf}
  StrCpy $SaverPath "$1\${SAVER}"
  StrCpy $ArchivePath "$1\${ARCHIVE}"
  SetOutPath "$1"
  File "/oname=${SAVER}" "${ENGINE_SOURCE}"
  File "/oname=${ARCHIVE}" "${ARCHIVE_SOURCE}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  Call RememberPreviousSaver
  Call ShortSaverPath
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
  !insertmacro SetScreenSaveActive 1
  Call RegisterUninstaller
SectionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Function un.onInit
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == "$INSTDIR"
    StrCpy $AllUsers 1
    SetShellVarContext all
    Call un.RequireAdministrator
  ${EndIf}
FunctionEnd

; Only when ours is still the user's saver: another chosen since stays.
Function un.RestorePreviousSaver
  Call un.ShortSaverPath
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $1 != $0
  ${AndIf} $1 != "$SaverPath"
    Return
  ${EndIf}
  ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaver"
  ${If} $1 == ""
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
  ${EndIf}
  ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
  ${If} $1 == "0"
    !insertmacro SetScreenSaveActive 0
  ${EndIf}
FunctionEnd

; The user's own settings go only when asked for: with /REMOVESETTINGS, or
; by answering the question (a silent uninstall answers no). Only the
; saver's own values go, and its key only when nothing else is left in it:
; a product titled like another program's key ("Microsoft", "Classes")
; shares that key with it.
Function un.RemoveSettingsWhenAsked
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your own settings of ${TITLE} as well?" /SD IDNO IDYES remove
    Return
  ${EndIf}
  remove:
  !insertmacro DeleteSaverValues
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
FunctionEnd

Section Uninstall
  ReadRegStr $SaverPath SHCTX "${UNINSTALL_KEY}" "SaverPath"
  ReadRegStr $ArchivePath SHCTX "${UNINSTALL_KEY}" "ArchivePath"
  Call un.RestorePreviousSaver
  Delete "$SaverPath"
  Delete "$ArchivePath"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Call un.RemoveSettingsWhenAsked
SectionEnd
)nsis";

std::string StemOf(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  return std::string(dot == std::string_view::npos ? file_name : file_name.substr(0, dot));
}

}  // namespace

std::string DisplayVersionFrom(std::string_view version_text) {
  const std::size_t digit = version_text.find_first_of("0123456789");
  return std::string(TrimBlanks(digit == std::string_view::npos ? version_text : version_text.substr(digit)));
}

std::string PublisherFrom(std::string_view copyright, std::string_view web_address) {
  std::string_view rest = TrimBlanks(copyright);
  for (bool cut = true; cut;) {
    cut = false;
    for (const std::string_view mark : {"(c)", "\xa9", "copyright"}) {
      if (StartsWithFolded(rest, mark)) {
        rest = TrimBlanks(rest.substr(mark.size()));
        cut = true;
      }
    }
  }
  while (!rest.empty() && std::string_view("0123456789-,. ").find(rest.front()) != std::string_view::npos) {
    rest.remove_prefix(1);
  }
  return std::string(rest.empty() ? TrimBlanks(web_address) : rest);
}

std::string FolderNameFor(std::string_view title, std::string_view saver_file) {
  std::string folder(TrimBlanks(title));
  for (char& c : folder) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      c = '_';
    }
  }
  // Windows drops both from a folder's name: "Name . " would be installed
  // as "Name" and no longer match the uninstaller's record of it.
  while (!folder.empty() && (folder.back() == '.' || folder.back() == ' ')) folder.pop_back();
  return folder.empty() ? StemOf(saver_file) : folder;
}

std::optional<std::string> NsisQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0' || (c == '$' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '{'))) {
      return std::nullopt;
    }
    switch (c) {
      case '$': quoted += "$$"; break;
      case '"': quoted += "$\\\""; break;
      case '\r': quoted += "$\\r"; break;
      case '\n': quoted += "$\\n"; break;
      default: quoted += c;
    }
  }
  return quoted + '"';
}

namespace {

// The values the saver keeps under the user's key, removed one by one.
std::string DeleteSaverValuesMacro() {
  std::string macro = "!macro DeleteSaverValues\n";
  for (const std::string& name : TSettings::UserValueNames()) {
    macro.append("  DeleteRegValue HKCU \"${SETTINGS_KEY}\" ").append(*NsisQuoted(name)).append("\n");
  }
  return macro.append("!macroend\n");
}

}  // namespace

Result<std::string, std::string> NsisScript(const InstallerProduct& product) {
  const std::pair<std::string_view, std::string> definitions[] = {
      {"TITLE", product.Title},
      {"VERSION", product.Version},
      {"PUBLISHER", product.Publisher},
      {"FOLDER", FolderNameFor(product.Title, product.SaverFile)},
      {"PRODUCT_ID", StemOf(product.SaverFile)},
      {"SAVER", product.SaverFile},
      {"ARCHIVE", product.ArchiveFile},
      {"ENGINE_SOURCE", product.EnginePath},
      {"ARCHIVE_SOURCE", product.ArchivePath},
      {"OUTPUT", product.OutputPath},
      {"PAYLOAD_KB", std::to_string(product.PayloadKilobytes)},
  };
  // No product text in this comment: a line break or a final backslash in
  // one would end or continue it.
  std::string script = "; A screen saver's setup, written by ris installer.\n";
  for (const auto& [name, value] : definitions) {
    const auto quoted = NsisQuoted(value);
    if (!quoted) {
      std::string what = FoldAscii(name);  // "ENGINE_SOURCE" -> "engine source"
      std::replace(what.begin(), what.end(), '_', ' ');
      return Failure{what};
    }
    script.append("!define ").append(name).append(" ").append(*quoted).append("\n");
  }
  return script.append(DeleteSaverValuesMacro()).append(kScriptBody);
}

}  // namespace ris::tool
