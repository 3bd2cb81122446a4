#include "settings_checks.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

#include "base/code_page.h"
#include "base/conversions.h"
#include "data/component.h"
#include "data/font_dialog.h"
#include "data/product_names.h"
#include "data/settings.h"
#include "data/settings_list.h"
#include "line_ends.h"
#include "settings_lint.h"
#include "shells/headless/memory_hive.h"
#include "text_encoding.h"

namespace ris::tool {

namespace {

// The model reads the user's registry too; an empty hive in memory stands
// in, so that only the product's own text is judged.
void CheckSettingsModel(const TSettingsList& list, PackFindings& findings) {
  ComponentClassRegistry classes;
  classes.Register<TFontDialog>();
  MemoryHive hive;
  try {
    const TSettings settings(list, hive, classes);
  } catch (const std::exception& error) {
    findings.Error(std::string("settings.txt: the saver would stop at start: ") + error.what());
  }
}

void WarnIfEmpty(const TSettingsList& list, std::string_view key, std::string_view section,
                 std::string_view consequence, PackFindings& findings) {
  if (!list.ReadValue(key, section).empty()) return;
  std::string text = "settings.txt: ";
  text.append(key)
      .append(" in [")
      .append(section)
      .append("] is missing or empty: ")
      .append(consequence);
  findings.Warning(text);
}

// The title names the user's registry key, the setup and its folder: one
// that would name another program's key or break a caption is refused here
// already, before any of them is made.
void CheckTitle(const TSettingsList& list, PackFindings& findings) {
  const std::string title = list.ReadValue("title", "general");
  if (const auto refusal = TitleRefusal(title)) {
    findings.Error("settings.txt: " + TitleRefusalMessage(title, *refusal));
  }
}

std::string TabledCodePageList() {
  std::string list;
  for (const CodePage page : TabledCodePages()) list.append(list.empty() ? "" : ", ").append(std::to_string(page));
  return list;
}

// The code page "codePage" in [general] names: the system's when the key is
// absent, nothing (an error told) when it names one the saver has no table
// for. The key is read whatever the text's line ends, so that a text with
// bare LF ends still converts.
std::optional<CodePage> NamedCodePage(std::string_view text, PackFindings& findings) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  TSettingsList list;
  ParseSettingsText(WithCrLfLineEnds(text), list);
  if (list.IndexOfKey("codePage", "general") < 0) return kSystemCodePage;
  const std::string value = list.ReadValue("codePage", "general");
  const std::optional<std::int32_t> number = TryStrToInt(value);
  if (number && *number > 0 && IsTabledCodePage(static_cast<CodePage>(*number))) {
    return static_cast<CodePage>(*number);
  }
  findings.Error("settings.txt: codePage in [general] is '" + value + "'; the saver knows code pages " +
                 TabledCodePageList());
  return std::nullopt;
}

// A text saved as UTF-8 becomes the product's code page, which the saver
// reads; a text already in a code page stays as it is.
std::string InProductCodePage(std::string_view text, PackFindings& findings) {
  const std::optional<CodePage> code_page = NamedCodePage(text, findings);
  if (!code_page || !IsUtf8Text(text)) return std::string(text);
  if (*code_page == kSystemCodePage) {
    findings.Error(
        "settings.txt: is saved as UTF-8, which the saver does not read; add codePage=<number> to [general] "
        "(1250 Central European, 1251 Cyrillic, 1252 Western, 1253 Greek, 1254 Turkish, 1257 Baltic) and "
        "ris pack converts the text to it");
    return std::string(text);
  }
  ConversionFailure failure;
  std::optional<std::string> converted = Utf8ToCodePage(text, *code_page, failure);
  if (!converted) {
    findings.Error("settings.txt: line " + std::to_string(failure.Line) + ": " + failure.What);
    return std::string(text);
  }
  findings.Note("settings.txt: converted from UTF-8 to code page " + std::to_string(*code_page));
  return std::move(*converted);
}

}  // namespace

std::string PrepareSettingsText(std::string_view original, bool fix_line_ends, PackFindings& findings) {
  std::string text = InProductCodePage(original, findings);
  if (!HasBareLineFeed(text)) return text;
  if (fix_line_ends) return WithCrLfLineEnds(text);
  findings.Warning(
      "settings.txt: lines end in a bare LF; the saver would read it as one single line "
      "(pack with --fix-line-ends to archive it with CR LF line ends)");
  return text;
}

CodePage SettingsCodePage(std::string_view text) {
  TSettingsList list;
  ParseSettingsText(text, list);
  return ProductCodePage(list);
}

void NamesInCodePage(CodePage code_page, std::vector<PackEntry>& pictures, PackFindings& findings) {
  if (code_page == kSystemCodePage) return;
  for (PackEntry& picture : pictures) {
    if (!IsUtf8Text(picture.Name)) continue;
    ConversionFailure failure;
    if (std::optional<std::string> converted = Utf8ToCodePage(picture.Name, code_page, failure)) {
      picture.Name = std::move(*converted);
    } else {
      findings.Error(picture.Name + ": the name holds " + failure.What);
    }
  }
}

void CheckSettingsText(std::string_view text, PackFindings& findings) {
  // The lines' own findings name the line and say what to write; the model
  // stays as the judge of everything else that would stop the saver.
  const bool stops = LintSettingsText(text, findings);
  TSettingsList list;
  ParseSettingsText(text, list);
  if (!stops) CheckSettingsModel(list, findings);
  CheckTitle(list, findings);
  WarnIfEmpty(list, "title", "general",
              "the saver would have no title and could keep none of the user's settings", findings);
  WarnIfEmpty(list, "clockFont", "ClockSettings", "the clock would be drawn in a default font",
              findings);
  WarnIfEmpty(list, "filenameFont", "FilenameSettings",
              "the set name would be drawn in a default font", findings);
}

}  // namespace ris::tool
