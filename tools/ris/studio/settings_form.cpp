#include "settings_form.h"

#include "base/ascii.h"
#include "base/code_page.h"
#include "data/settings_list.h"
#include "product_template.h"

namespace ris::tool {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The text's lines, each with its line end (a lone CR or LF is text).
std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find(kCrLf, start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + kCrLf.size();
    lines.push_back(text.substr(start, next - start));
    start = next;
  }
  return lines;
}

std::string Joined(const std::vector<std::string_view>& lines) {
  std::string text;
  for (const std::string_view line : lines) text.append(line);
  return text;
}

// The template's keys, each with the comment block above it and its
// neighbours.
std::vector<SettingsField> TemplateFields() {
  std::vector<SettingsField> fields;
  std::string section;
  std::string comment;
  const std::string text = NewProductSettings("Title", "example", kWesternCodePage);
  for (std::string_view line : LinesOf(text)) {
    line = Trimmed(line.substr(0, line.find(kCrLf)));
    if (line.starts_with("//")) {
      if (!fields.empty() && fields.back().Explanation == comment) comment.clear();  // a new block
      comment.append(comment.empty() ? "" : " ").append(Trimmed(line.substr(2)));
    } else if (line.starts_with("[") && line.ends_with("]")) {
      section = std::string(line.substr(1, line.size() - 2));
      comment.clear();
    } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
      SettingsField field{section, std::string(line.substr(0, equals)), comment, std::string(line.substr(equals + 1)),
                          false, {}};
      field.Kind = ValueKindOf(field.Section, field.Key);
      fields.push_back(std::move(field));
      // The comment speaks for every key of its block, up to a blank line.
    } else {
      comment.clear();
    }
  }
  return fields;
}

}  // namespace

std::vector<SettingsField> SettingsFields(std::string_view text) {
  static const std::vector<SettingsField> kTemplate = TemplateFields();
  std::vector<SettingsField> fields = kTemplate;
  VisitSettingsLines(text, [&fields](const SettingsLine& line) {
    for (SettingsField& field : fields) {
      if (!EqualsFolded(field.Section, line.Section) || !EqualsFolded(field.Key, line.Key)) continue;
      field.Value = std::string(line.Value);
      field.Present = true;
    }
  });
  return fields;
}

std::optional<std::string> WithSettingsValue(std::string_view text, std::string_view section, std::string_view key,
                                             std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos || section.find_first_of("\r\n]") != std::string_view::npos ||
      key.find_first_of("\r\n=") != std::string_view::npos) {
    return std::nullopt;
  }
  std::size_t key_line = 0;
  std::size_t section_line = 0;
  std::string written_key(key);
  VisitSettingsLines(text, [&](const SettingsLine& line) {
    if (!EqualsFolded(line.Section, section)) return;
    section_line = line.SectionNumber;
    if (!EqualsFolded(line.Key, key)) return;
    key_line = line.Number;
    written_key = std::string(line.Key);
  });
  std::vector<std::string_view> lines = LinesOf(text);
  // A section that holds no key yet is found by its header.
  for (std::size_t number = 1; section_line == 0 && number <= lines.size(); ++number) {
    const std::string_view line = Trimmed(lines[number - 1].substr(0, lines[number - 1].find(kCrLf)));
    if (line.size() > 2 && line.front() == '[' && line.back() == ']' &&
        EqualsFolded(line.substr(1, line.size() - 2), section)) {
      section_line = number;
    }
  }
  const std::string setting = written_key + "=" + std::string(value) + std::string(kCrLf);
  if (key_line > 0) {
    const std::string_view old = lines[key_line - 1];
    const bool ended = old.ends_with(kCrLf);
    std::string replaced = ended ? setting : setting.substr(0, setting.size() - kCrLf.size());
    lines[key_line - 1] = replaced;
    return Joined(lines);
  }
  if (section_line > 0) {
    std::string joined;
    for (std::size_t number = 1; number <= lines.size(); ++number) {
      joined.append(lines[number - 1]);
      if (number == section_line) {
        if (!lines[number - 1].ends_with(kCrLf)) joined.append(kCrLf);
        joined.append(setting);
      }
    }
    return joined;
  }
  std::string joined(text);
  if (!joined.empty() && !joined.ends_with(kCrLf)) joined.append(kCrLf);
  return joined.append("[").append(section).append("]").append(kCrLf).append(setting);
}

}  // namespace ris::tool
