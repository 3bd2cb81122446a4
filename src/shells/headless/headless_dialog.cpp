#include "shells/headless/headless_dialog.h"

#include <string>

#include "shells/headless/freetype_text.h"

namespace ris {
namespace {

// Tab stops every eight blanks, as a label expands them.
std::string ExpandTabs(std::string_view text) {
  std::string expanded;
  for (const char c : text) {
    if (c == '\t') {
      expanded.append(8, ' ');
    } else {
      expanded += c;
    }
  }
  return expanded;
}

std::int32_t ParagraphLineCount(std::string_view paragraph, std::int32_t width,
                                const std::function<std::int32_t(std::string_view)>& text_width) {
  std::int32_t lines = 1;
  std::size_t line_start = 0;
  std::size_t line_end = 0;  // after the last word that fits the line
  while (line_end < paragraph.size()) {
    std::size_t word_end = paragraph.find(' ', line_end + 1);
    if (word_end == std::string_view::npos) word_end = paragraph.size();
    const bool fits = text_width(paragraph.substr(line_start, word_end - line_start)) <= width;
    if (fits || line_end == line_start) {
      line_end = word_end;
      continue;
    }
    ++lines;
    line_start = line_end;
    while (line_start < paragraph.size() && paragraph[line_start] == ' ') ++line_start;
    line_end = line_start;
  }
  return lines;
}

}  // namespace

std::int32_t WrappedLineCount(std::string_view text, std::int32_t width,
                              const std::function<std::int32_t(std::string_view)>& text_width) {
  std::int32_t lines = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find_first_of("\r\n", start);
    lines += ParagraphLineCount(text.substr(start, end == std::string_view::npos ? end : end - start), width,
                                text_width);
    if (end == std::string_view::npos) return lines;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

std::int32_t HeadlessTextMetrics::TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) {
  return text_.TextWidth(font, ExpandTabs(text), encoding);
}

void HeadlessTextMetrics::SetCodePage(CodePage code_page) {
  DialogTextMetrics::SetCodePage(code_page);
  text_.SetCodePage(code_page);
}

std::int32_t HeadlessTextMetrics::LineHeight(const TFont& font) { return text_.LineHeight(font); }

std::int32_t HeadlessTextMetrics::WrappedTextHeight(const TFont& font, std::string_view text, std::int32_t width) {
  const std::int32_t lines =
      WrappedLineCount(text, width,
                       [&](std::string_view line) { return TextWidth(font, line, TextEncoding::ProductCodePage); });
  return lines * LineHeight(font);
}

}  // namespace ris
