#include "dialog/dialog_texts.h"

#include "dialog/dialog_host.h"

namespace ris {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::int32_t kSmallestFittedPoints = 5;

std::string ReplaceSemicolonsWithLineBreaks(std::string_view text) {
  std::string replaced;
  replaced.reserve(text.size());
  for (const char c : text) {
    if (c == ';') {
      replaced += kLineBreak;
    } else {
      replaced += c;
    }
  }
  return replaced;
}

}  // namespace

std::string RadioItemsText(const StringList& items) {
  std::string text;
  for (const std::string& item : items) {
    text += item;
    text += kLineBreak;
  }
  return text;
}

StringList RadioItemsFromText(std::string_view text) {
  const std::string lines = ReplaceSemicolonsWithLineBreaks(text);
  StringList items;
  std::size_t start = 0;
  while (start < lines.size()) {
    const std::size_t end = lines.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      items.push_back(lines.substr(start));
      break;
    }
    items.push_back(lines.substr(start, end - start));
    start = end + (lines.compare(end, 2, kLineBreak) == 0 ? 2 : 1);
  }
  return items;
}

std::string ShortcutKeysText(std::string_view text) {
  return std::string(kLineBreak) + ReplaceSemicolonsWithLineBreaks(text);
}

void FitFontToWidth(TFont& font, std::string_view text, std::int32_t width, DialogTextMetrics& metrics) {
  font.Name = "Helvetica";
  while (metrics.TextWidth(font, text, TextEncoding::ProductCodePage) > width && font.Size() > kSmallestFittedPoints) {
    font.SetSize(font.Size() - 1);
  }
}

}  // namespace ris
