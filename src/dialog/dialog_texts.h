#pragma once
// How the dialog turns texts of the settings text into what its controls
// show.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/text_helpers.h"
#include "surface/font.h"

namespace ris {

class DialogTextMetrics;

// A radio group's items as one text, each followed by a line break.
std::string RadioItemsText(const StringList& items);

// The items of a text in which ";" and line breaks (CR LF, CR or LF)
// separate them; a break at the end gives no empty last item.
StringList RadioItemsFromText(std::string_view text);

// The help text about the saver's keys: every ";" a line break, and one
// line break in front, so that the text starts with an empty line.
std::string ShortcutKeysText(std::string_view text);

// Makes one line of `text` fit `width`: the face becomes "Helvetica", then
// the size goes down a point at a time while the text is too wide and the
// size is above 5 points.
void FitFontToWidth(TFont& font, std::string_view text, std::int32_t width, DialogTextMetrics& metrics);

}  // namespace ris
