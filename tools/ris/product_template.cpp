#include "product_template.h"

#include <algorithm>

#include "data/product_names.h"
#include "line_ends.h"
#include "text_encoding.h"

namespace ris::tool {

namespace {

// Comments stand on lines of their own: a value followed by "//" would be
// cut at an apostrophe it holds, and font texts hold apostrophes.
constexpr std::string_view kTemplate = R"(// Settings of the product "@TITLE@".
// Lines end in CR LF; a line that starts with "//" is a comment. Write no
// blanks around "=". Web addresses go without "//", which starts a comment:
// "www.example.com" opens as http://www.example.com, "https:www.example.com"
// as written.
// A key "setXxx=true" next to a setting "Xxx" lets the user change that
// setting (the dialog shows its row, the registry keeps the user's value);
// without it the value below is fixed.
// docs/making-a-product.md explains every key and where it shows.

[general]
// The product's name: title of the dialog, the application and the set-up
// program. The user's settings are kept in the registry under it, so
// changing it later forgets what users chose.
title=@TITLE@
// The Windows code page the product's texts are written in (1250 Central
// European, 1251 Cyrillic, 1252 Western, 1253 Greek, 1254 Turkish, 1257
// Baltic): the saver shows them in it on any system. This file may then be
// saved as UTF-8; ris pack converts it.
codePage=@CODEPAGE@
// Shown under the title in the dialog, and as the set-up program's version.
version=Version 1.0
// The line under the version in the dialog.
disclaimer=Free to use and to pass on.
// The text above the link of the dialog's middle band (row flag
// setMoreInfo), the link's visible text (row flag setMoreInfoURL) and the
// address it opens.
moreInfo=More pictures:
moreInfoDisplayURL=www.example.com
moreInfoTargetURL=www.example.com
// The help about the saver's keys at the dialog's foot (row flag
// setShortcutkeys); each ";" starts a new line.
shortcutkeys=While the saver runs: left and right arrows change the set;up and down arrows change the speed
// The copyright line at the dialog's foot, the link above it and the
// address that link opens; the set-up program takes its publisher from
// the copyright text.
copyright=(c) 2026 The Makers
copyrighturl=www.example.com
copyrightTargetURL=www.example.com
// The address a click on the dialog's title opens.
url=www.example.com
// The colour behind the background picture: $00BBGGRR in hexadecimal
// (blue, green, red) or a decimal number.
BackgroundColor=$00000000
setBackgroundColor=true
// Show the sets' background pictures (true) or only the colour (false).
showBackground=true
setShowBackground=true
// Rows of the dialog that edit nothing: the more-information text, its
// link and the key help.
setMoreInfo=true
setMoreInfoURL=true
setShortcutkeys=true

[bounce]
// A fixed switch of the product, never the user's: leave it false.
noBouncingLogos=false
// The moving pictures rebound from each other like billiard balls.
bounceImages=true
setBounceImages=true
// How many moving pictures are on the screen.
nrImages=10
setNrImages=true
// How fast they move (0 is slowest).
Speed=2
setSpeed=true
// All pictures move at the same speed (true) or at speeds of their own.
fixedSpeed=false
setFixedSpeed=true

[clocksettings]
// 0 no clock, 1 the time of day, 2 the time the saver has been running.
clock=1
setClock=true
// The clock's font, as the font chooser writes it, on one line.
clockFont=object FontDialog1: TFontDialog;  Font.Charset = DEFAULT_CHARSET;  Font.Color = clWhite;  Font.Height = -32;  Font.Name = 'Arial';  Font.Style = [fsBold];end
setClockFont=true

[FilenameSettings]
// 0 shows the set's name at the top left, 1 hides it.
filename=0
setFilename=true
// The set name's font, written like the clock's.
filenameFont=object FontDialog1: TFontDialog;  Font.Charset = DEFAULT_CHARSET;  Font.Color = clYellow;  Font.Height = -21;  Font.Name = 'Arial';  Font.Style = [];end
setFilenameFont=true

[sets]
// The sets shown, by name, separated by ";"; *all* means every set.
selectedSets=*all*
setSelectedSets=true
// Seconds before the saver changes to another set; 0 never changes.
SetTime=30
setSetTime=true
// Show the list of sets in the dialog and keep the user's choice.
setSets=true
// How the dialog's list starts: -1 as the user chose, 1 all ticked,
// 0 none ticked.
select=-1

[backgrounds]
// Stretch a background smaller than the screen to fill it.
stretchSmallImages=true
setStretchSmallImages=true

[display]
// With several monitors: 0 the pictures on the primary monitor, the others
// black; 1 the background and moving pictures on every monitor, the clock
// and the set's name on the primary; 2 one picture across all monitors.
// The product's choice, never the user's.
monitors=0

[setup]
// What the set-up program of ris installer shows of its maker; the saver
// reads none of it. Files are named in the product's setup/ folder, such
// as icon=setup/icon.ico; an empty value keeps the plain default.
// The set-up's icon, also the saver's in the list of installed programs
// (.ico, with 16, 32 and 48 pixel sizes).
icon=
// The picture beside the welcome and finish pages, shown at 164 x 314,
// and the one at the top right of the other pages, shown at 150 x 57: any
// picture a set may hold, scaled to fill.
wizardPicture=
headerPicture=
// A text the user accepts before installing (UTF-8 or the code page).
licence=
// The maker's site in the list of installed programs; url when empty.
publisherUrl=
// The set-up's language (ris installer --languages lists them); when
// empty, the language of codePage.
language=

[language]
// The captions of the configuration dialog. "&" marks the letter of a
// keyboard shortcut; the options of a choice are separated by ";".
configure=Configure
general=General
setBackgroundColor=Background &colour...
showBackground=Show &background pictures
bounce=Moving pictures
bounceSpeed=Speed:
numberOfImages=Number of pictures:
bounceFixedSpeed=All at the same speed
bounceImages=Pictures bounce off each other
clockSettings=Clock
setClockFont=Clock &font...
clockSettingsOptions=No clock;Time of day;Running time
FilenameSettings=Set name
setFilenameFont=Set name f&ont...
FilenameSettingsOptions=Show its name;Hide its name
sets=Picture sets
changeSetAfter=Change the set after
seconds=seconds
ok=&OK
cancel=&Cancel

// The pictures: a set is a background in backgrounds/, a moving picture in
// icons/ and a thumbnail (the moving picture of the small preview) in
// icons/thumbs/, all three under the set's name, here "@SET@". The moving
// picture's top-left pixel gives the colour that is left transparent.
)";

std::string Replaced(std::string text, std::string_view marker, std::string_view value) {
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + value.size())) {
    text.replace(at, marker.size(), value);
  }
  return text;
}

}  // namespace

std::optional<std::string> TitleProblem(std::string_view title, CodePage code_page) {
  if (title.empty()) return "the title is empty";
  if (const auto refusal = TitleRefusal(title)) return TitleRefusalMessage(title, *refusal);
  if (title.front() == ' ' || title.back() == ' ') return "the title begins or ends in a blank";
  if (title.find("//") != std::string_view::npos) {
    return "the title holds \"//\", which starts a comment in settings.txt";
  }
  if (std::all_of(title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::nullopt;
  }
  if (!IsUtf8Text(title)) {
    return "the title is not UTF-8: give it in UTF-8, or an ASCII title here and the real one in "
           "settings.txt";
  }
  ConversionFailure failure;
  if (!Utf8ToCodePage(title, code_page, failure)) {
    return std::string("the title holds letters code page ")
        .append(std::to_string(code_page))
        .append(" lacks: name the product's code page with --code-page");
  }
  return std::nullopt;
}

std::string NewProductSettings(std::string_view title, std::string_view example_set, CodePage code_page) {
  return WithCrLfLineEnds(Replaced(Replaced(Replaced(std::string(kTemplate), "@TITLE@", title), "@SET@",
                                            example_set),
                                   "@CODEPAGE@", std::to_string(code_page)));
}

}  // namespace ris::tool
