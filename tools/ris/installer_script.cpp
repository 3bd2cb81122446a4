#include "installer_script.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

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
// the uninstaller can put it back if ours is still the one set then. A
// silent setup (/S) sets it only when asked to (/ACTIVATE): an
// administrator deploying it chooses. /D= chooses the folder, for all users
// too. Setup ends with 0 only when everything was installed.
//
// The wizard speaks the product's language: NSIS's translation for its
// pages, the product's texts (the SetupTexts macro) for what is added here.
// Its welcome page keeps the first and last paragraphs of NSIS's own: the
// middle one asks to close every other program to spare a restart, which a
// screen saver never needs.
constexpr std::string_view kScriptBody = R"nsis(
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Files are installed with the time they are installed at: their own times
; would make the setup program differ between two builds of the same files.
SetDateSave off
RequestExecutionLevel user
Name "${TITLE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_PICTURE}"
!ifdef HEADER_PICTURE
  !define MUI_HEADERIMAGE
  !define MUI_HEADERIMAGE_BITMAP "${HEADER_PICTURE}"
!endif
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
Var Activate
Var ChosenFolder
Var WelcomeText
Var OnlyMeButton
Var AllUsersButton
Var SaverPath
Var ArchivePath

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RIS_OPEN_SETTINGS)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
; Room for a long title in a long language.
!define MUI_WELCOMEPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_PAGE_CUSTOMFUNCTION_PRE WelcomeWithoutRestart
!define MUI_WELCOMEPAGE_TEXT "$WelcomeText"
!insertmacro MUI_PAGE_WELCOME
!ifdef LICENCE
  !insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!endif
Page custom UsersPage LeaveUsersPage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "${LANGUAGE}"
!insertmacro SetupTexts

; NSIS's welcome text without its middle paragraph: the first paragraph ends
; at the first line feed (some translations end it without a CR).
Function WelcomeWithoutRestart
  StrCpy $0 "$(MUI_TEXT_WELCOME_INFO_TEXT)"
  StrLen $2 $0
  StrCpy $1 0
  ${DoWhile} $1 < $2
    StrCpy $3 $0 1 $1
    ${IfThen} $3 == "$\n" ${|} ${ExitDo} ${|}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $0 $0 $1
  StrCpy $3 $0 1 -1
  ${IfThen} $3 == "$\r" ${|} StrCpy $0 $0 -1 ${|}
  StrCpy $WelcomeText "$0$\r$\n$\r$\n$(^ClickNext)"
FunctionEnd

; Ends setup or the uninstaller when everyone's saver is asked for by
; someone who may not change it.
!macro RequireAdministrator un
Function ${un}RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONEXCLAMATION "$(RIS_ADMINISTRATOR_NEEDED)" /SD IDOK
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
  StrCpy $Activate 1
  StrCpy $ChosenFolder ""
  ${If} "$INSTDIR" != "$LOCALAPPDATA\Programs\${FOLDER}"
    StrCpy $ChosenFolder "$INSTDIR"
  ${EndIf}
  ${GetParameters} $0
  ${If} ${Silent}
    ClearErrors
    ${GetOptions} $0 "/ACTIVATE" $1
    ${If} ${Errors}
      StrCpy $Activate 0
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    Call RequireAdministrator
  ${EndIf}
FunctionEnd

Function UsersPage
  !insertmacro MUI_HEADER_TEXT "$(RIS_USERS_TITLE)" "$(RIS_USERS_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 14u "$(RIS_ONLY_ME)"
  Pop $OnlyMeButton
  ${NSD_CreateRadioButton} 0 18u 100% 14u "$(RIS_ALL_USERS)"
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
      MessageBox MB_ICONEXCLAMATION "$(RIS_ADMINISTRATOR_CHOICE)"
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
!ifdef MAKERS_ICON
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT_ID}.ico"
!else
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$SaverPath,0"
!endif
!ifdef PUBLISHER_URL
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${PUBLISHER_URL}"
!endif
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

; A file that cannot be written ends setup with an error level: a silent
; setup answers "ignore" to NSIS's question, which would otherwise go on.
Section
  StrCpy $1 "$INSTDIR"
  ${If} $AllUsers == 1
    SetShellVarContext all
    ${If} $ChosenFolder == ""
      StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER}"
    ${EndIf}
    StrCpy $1 "$SYSDIR"
  ${EndIf}
  StrCpy $SaverPath "$1\${SAVER}"
  StrCpy $ArchivePath "$1\${ARCHIVE}"
  ClearErrors
  SetOutPath "$1"
  File "/oname=${SAVER}" "${ENGINE_SOURCE}"
  File "/oname=${ARCHIVE}" "${ARCHIVE_SOURCE}"
  SetOutPath "$INSTDIR"
!ifdef MAKERS_ICON
  File "/oname=${PRODUCT_ID}.ico" "${ICON}"
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "$(RIS_INSTALL_FAILED)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  Call RememberPreviousSaver
  ${If} $Activate == 1
    Call ShortSaverPath
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
    !insertmacro SetScreenSaveActive 1
  ${EndIf}
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
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RIS_REMOVE_SETTINGS)" /SD IDNO IDYES remove
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
!ifdef MAKERS_ICON
  Delete "$INSTDIR\${PRODUCT_ID}.ico"
!endif
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
// A text of the project's own (never a NUL, "$\\" or "${") as the inside of
// an NSIS string.
std::string Unquoted(std::string_view text) {
  const std::string quoted = *NsisQuoted(text);
  return quoted.substr(1, quoted.size() - 2);
}

std::string DeleteSaverValuesMacro() {
  std::string macro = "!macro DeleteSaverValues\n";
  for (const std::string& name : TSettings::UserValueNames()) {
    macro.append("  DeleteRegValue HKCU \"${SETTINGS_KEY}\" ").append(*NsisQuoted(name)).append("\n");
  }
  return macro.append("!macroend\n");
}

// The texts setup adds, in its language, each with the title in place of
// "{title}". The language's NSIS identifier is defined once its translation
// is loaded, so the macro is inserted after MUI_LANGUAGE.
std::string SetupTextsMacro(const SetupLanguage& language) {
  static constexpr std::pair<SetupText, std::string_view> kNames[] = {
      {SetupText::UsersTitle, "RIS_USERS_TITLE"},
      {SetupText::UsersSubtitle, "RIS_USERS_SUBTITLE"},
      {SetupText::OnlyMe, "RIS_ONLY_ME"},
      {SetupText::AllUsers, "RIS_ALL_USERS"},
      {SetupText::AdministratorNeeded, "RIS_ADMINISTRATOR_NEEDED"},
      {SetupText::AdministratorChoice, "RIS_ADMINISTRATOR_CHOICE"},
      {SetupText::OpenSaverSettings, "RIS_OPEN_SETTINGS"},
      {SetupText::RemoveSettings, "RIS_REMOVE_SETTINGS"},
      {SetupText::InstallFailed, "RIS_INSTALL_FAILED"},
  };
  static_assert(std::size(kNames) == kSetupTextCount);
  const std::string language_id = "${LANG_" + UpperAscii(language.Name) + "}";
  std::string macro = "!macro SetupTexts\n";
  for (const auto& [text, name] : kNames) {
    macro.append("  LangString ").append(name).append(" ").append(language_id).append(" \"");
    std::string_view rest = language.Text(text);
    for (std::size_t at; (at = rest.find("{title}")) != std::string_view::npos; rest.remove_prefix(at + 7)) {
      macro.append(Unquoted(rest.substr(0, at))).append("${TITLE}");
    }
    macro.append(Unquoted(rest)).append("\"\n");
  }
  return macro.append("!macroend\n");
}

}  // namespace

Result<std::string, std::string> NsisScript(const InstallerProduct& product) {
  std::vector<std::pair<std::string_view, std::string>> definitions = {
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
      {"LANGUAGE", std::string(product.Language->Name)},
      {"ICON", product.IconPath},
      {"WIZARD_PICTURE", product.WizardPicturePath},
  };
  // The brand's optional parts are defined only where present.
  if (product.MakersIcon) definitions.emplace_back("MAKERS_ICON", "1");
  if (product.HeaderPicturePath) definitions.emplace_back("HEADER_PICTURE", *product.HeaderPicturePath);
  if (product.LicencePath) definitions.emplace_back("LICENCE", *product.LicencePath);
  if (!product.PublisherUrl.empty()) definitions.emplace_back("PUBLISHER_URL", product.PublisherUrl);
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
  return script.append(DeleteSaverValuesMacro()).append(SetupTextsMacro(*product.Language)).append(kScriptBody);
}

}  // namespace ris::tool
