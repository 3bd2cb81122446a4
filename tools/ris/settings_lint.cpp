#include "settings_lint.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "base/conversions.h"
#include "data/settings_list.h"
#include "product_template.h"

namespace ris::tool {
namespace {

enum class ValueKind {
  WholeNumber,   // strictly converted; the saver stops on anything else
  Colour,        // a whole number too, usually written $00BBGGRR; system colours are negative
  OptionalNumber,  // converted where present; anything else reads as a default
  Switch,        // true when it folds to "true"; anything else reads as false
  StrictSwitch,  // a number, true or false; anything else stops the saver
  Link,          // an address the dialog opens
};

struct ValueRule {
  std::string_view Section;
  std::string_view Key;
  ValueKind Kind;
  std::int64_t Least = 0;
  std::int64_t Most = 0;
};

// What the saver and its dialog do with values beyond plain text. The
// ranges are the dialog's, where the user could change the value too.
constexpr std::array kValueRules{
    ValueRule{"general", "BackgroundColor", ValueKind::Colour},
    ValueRule{"general", "showBackground", ValueKind::Switch},
    ValueRule{"general", "url", ValueKind::Link},
    ValueRule{"general", "moreInfoTargetURL", ValueKind::Link},
    ValueRule{"general", "copyrightTargetURL", ValueKind::Link},
    ValueRule{"bounce", "noBouncingLogos", ValueKind::StrictSwitch},
    ValueRule{"bounce", "bounceImages", ValueKind::Switch},
    ValueRule{"bounce", "nrImages", ValueKind::WholeNumber, 1, 10000},
    ValueRule{"bounce", "Speed", ValueKind::WholeNumber, 0, 10000},
    ValueRule{"bounce", "fixedSpeed", ValueKind::Switch},
    ValueRule{"clocksettings", "clock", ValueKind::WholeNumber, 0, 2},
    ValueRule{"FilenameSettings", "filename", ValueKind::WholeNumber, 0, 1},
    ValueRule{"sets", "SetTime", ValueKind::WholeNumber, 0, 86400},
    ValueRule{"sets", "select", ValueKind::OptionalNumber, -1, 1},
    ValueRule{"backgrounds", "stretchSmallImages", ValueKind::Switch},
    ValueRule{"display", "monitors", ValueKind::OptionalNumber, 0, 2},
};

// A (section, key) pair as the reader finds it: both folded.
using FoldedPair = std::pair<std::string, std::string>;

FoldedPair Folded(std::string_view section, std::string_view key) { return {FoldAscii(section), FoldAscii(key)}; }

// The keys of a new product's settings text, as written there, with their
// values as examples.
class KnownKeys {
 public:
  KnownKeys() {
    VisitSettingsLines(NewProductSettings("Title", "example", kWesternCodePage), [this](const SettingsLine& line) {
      keys_.emplace(Folded(line.Section, line.Key), Known{std::string(line.Section), std::string(line.Key),
                                                          std::string(line.Value)});
    });
  }

  struct Known {
    std::string Section;
    std::string Key;
    std::string Example;
  };

  const Known* Find(std::string_view section, std::string_view key) const {
    const auto found = keys_.find(Folded(section, key));
    return found == keys_.end() ? nullptr : &found->second;
  }

  bool HasSection(std::string_view section) const {
    const std::string folded = FoldAscii(section);
    return std::any_of(keys_.begin(), keys_.end(), [&](const auto& known) { return known.first.first == folded; });
  }

  // The known key nearest to `key` by spelling: in `section` first, then in
  // any section; nothing when none is near.
  const Known* Nearest(std::string_view section, std::string_view key) const;
  std::optional<std::string> NearestSection(std::string_view section) const;

 private:
  std::map<FoldedPair, Known> keys_;
};

// Letters to insert, remove or replace to turn one folded text into the
// other (Levenshtein's distance).
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = FoldAscii(a[i - 1]) == FoldAscii(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// A slip of a letter or two, and never more than a third of the word.
bool IsNear(std::string_view written, std::string_view known) {
  const std::size_t distance = EditDistance(written, known);
  return distance <= 2 && distance * 3 <= known.size();
}

const KnownKeys::Known* KnownKeys::Nearest(std::string_view section, std::string_view key) const {
  const Known* nearest = nullptr;
  std::size_t best = SIZE_MAX;
  const std::string folded_section = FoldAscii(section);
  for (const bool same_section : {true, false}) {
    for (const auto& [pair, known] : keys_) {
      if ((pair.first == folded_section) != same_section || !IsNear(key, known.Key)) continue;
      const std::size_t distance = EditDistance(key, known.Key);
      if (distance < best) nearest = &known, best = distance;
    }
    if (nearest) return nearest;
  }
  return nullptr;
}

std::optional<std::string> KnownKeys::NearestSection(std::string_view section) const {
  for (const auto& [pair, known] : keys_) {
    if (IsNear(section, known.Section)) return known.Section;
  }
  return std::nullopt;
}

const KnownKeys& Keys() {
  static const KnownKeys keys;
  return keys;
}

const ValueRule* RuleFor(std::string_view section, std::string_view key) {
  for (const ValueRule& rule : kValueRules) {
    if (EqualsFolded(rule.Section, section) && EqualsFolded(rule.Key, key)) return &rule;
  }
  return nullptr;
}

// "set" + a key in the sections of settings is a flag (a row shown, a value
// the user may change); in [language] such keys are captions.
bool IsFlag(std::string_view section, std::string_view key) {
  return !EqualsFolded(section, "language") && key.size() > 3 && EqualsFolded(key.substr(0, 3), "set");
}

class LineLint {
 public:
  // `unknown_sections` (folded) keeps an unknown section to one finding.
  LineLint(const SettingsLine& line, std::set<std::string>& unknown_sections, PackFindings& findings)
      : line_(line), unknown_sections_(unknown_sections), findings_(findings) {}

  bool Check();

 private:
  std::string Place() const {
    std::string place = "settings.txt line " + std::to_string(line_.Number);
    place.append(", [").append(line_.Section).append("] ").append(line_.Key).append(": ");
    return place;
  }
  void Warn(const std::string& text) { findings_.Warning(Place() + text); }
  void Fail(const std::string& text) {
    findings_.Error(Place() + text);
    failed_ = true;
  }
  std::string Quoted() const {
    std::string quoted = "'";
    quoted.append(line_.Value).append("'");
    return quoted;
  }
  std::string Example(const ValueRule& rule) const;

  void CheckKnown();
  void CheckCut();
  void CheckValue(const ValueRule& rule);
  void CheckNumber(const ValueRule& rule);
  void CheckLink();

  const SettingsLine& line_;
  std::set<std::string>& unknown_sections_;
  PackFindings& findings_;
  bool failed_ = false;
};

bool LineLint::Check() {
  CheckKnown();
  CheckCut();
  if (const ValueRule* rule = RuleFor(line_.Section, line_.Key)) {
    CheckValue(*rule);
  } else if (IsFlag(line_.Section, line_.Key) && !EqualsFolded(line_.Value, "true") &&
             !EqualsFolded(line_.Value, "false")) {
    Warn(Quoted() + " reads as false: write true or false");
  }
  return failed_;
}

void LineLint::CheckKnown() {
  if (Keys().Find(line_.Section, line_.Key)) return;
  if (line_.SectionNumber == 0) {
    Warn("the key stands before any [section], where the saver looks for none");
    return;
  }
  if (!Keys().HasSection(line_.Section)) {
    if (!unknown_sections_.insert(FoldAscii(line_.Section)).second) return;
    const auto nearest = Keys().NearestSection(line_.Section);
    findings_.Warning("settings.txt line " + std::to_string(line_.SectionNumber) + ", [" + std::string(line_.Section) +
                      "]: the saver reads no such section" + (nearest ? "; did you mean [" + *nearest + "]?" : ""));
    return;
  }
  const KnownKeys::Known* nearest = Keys().Nearest(line_.Section, line_.Key);
  if (!nearest) {
    Warn("the saver reads no such key");
  } else if (EqualsFolded(nearest->Section, line_.Section)) {
    Warn("the saver reads no such key; did you mean " + nearest->Key + "?");
  } else {
    Warn("the saver reads no such key here; did you mean " + nearest->Key + " in [" + nearest->Section + "]?");
  }
}

// The reader cuts a line at an apostrophe that stands before "//", which a
// maker who wrote the "//" as a comment does not expect of the value.
void LineLint::CheckCut() {
  const std::size_t comment = line_.Written.find("//");
  if (comment == std::string_view::npos) return;
  const std::size_t apostrophe = line_.Written.find('\'');
  if (apostrophe > comment) return;
  Warn("the line is cut at the apostrophe before \"//\", so the value stored is \"" + std::string(line_.Value) +
       "\"; put the comment on a line of its own");
}

std::string LineLint::Example(const ValueRule& rule) const {
  const KnownKeys::Known* known = Keys().Find(rule.Section, rule.Key);
  return known ? ", such as " + known->Key + "=" + known->Example : "";
}

void LineLint::CheckValue(const ValueRule& rule) {
  switch (rule.Kind) {
    case ValueKind::WholeNumber:
    case ValueKind::Colour:
    case ValueKind::OptionalNumber:
      CheckNumber(rule);
      break;
    case ValueKind::Switch:
      if (!EqualsFolded(line_.Value, "true") && !EqualsFolded(line_.Value, "false")) {
        Warn(Quoted() + " reads as false: write true or false");
      }
      break;
    case ValueKind::StrictSwitch:
      if (!EqualsFolded(line_.Value, "true") && !EqualsFolded(line_.Value, "false") && !TryStrToInt(line_.Value)) {
        Fail(Quoted() + " stops the saver at start: write true or false");
      }
      break;
    case ValueKind::Link:
      CheckLink();
      break;
  }
}

// "#RRGGBB", as web pages write colours, in the saver's $00BBGGRR.
std::optional<std::string> FromWebColour(std::string_view value) {
  if (value.size() != 7 || value.front() != '#') return std::nullopt;
  const auto hex = value.substr(1);
  if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) return std::nullopt;
  std::string colour = "$00";
  for (const std::size_t at : {std::size_t{4}, std::size_t{2}, std::size_t{0}}) colour += UpperAscii(hex.substr(at, 2));
  return colour;
}

void LineLint::CheckNumber(const ValueRule& rule) {
  const std::optional<std::int32_t> number = TryStrToInt(line_.Value);
  const std::string range = std::to_string(rule.Least) + " to " + std::to_string(rule.Most);
  if (!number && rule.Kind == ValueKind::Colour) {
    const auto web = FromWebColour(line_.Value);
    Fail(Quoted() + " is not a colour the saver reads: write $00BBGGRR in hexadecimal (blue, green, red)" +
         (web ? ", here " + std::string(line_.Key) + "=" + *web : Example(rule)));
  } else if (!number && rule.Kind == ValueKind::OptionalNumber) {
    Warn(Quoted() + " is not a whole number and is not read: write one from " + range + Example(rule));
  } else if (!number) {
    Fail(Quoted() + " is not a whole number: write one from " + range + Example(rule));
  } else if (rule.Kind != ValueKind::Colour && (*number < rule.Least || *number > rule.Most)) {
    Warn(Quoted() + " is outside what the saver takes: write one from " + range + Example(rule));
  }
}

// A "//" starts a comment, so links are written without it; one that
// starts with its scheme opens as written ("https:www.example.com").
void LineLint::CheckLink() {
  const std::string_view value = line_.Value;
  const bool blank_inside = value.find_first_of(" \t") != std::string_view::npos;
  const auto scheme_only = [&](std::string_view scheme) { return EqualsFolded(value, scheme); };
  if (blank_inside || scheme_only("http:") || scheme_only("https:")) {
    Warn(Quoted() + " is no address a browser could open: write it without \"//\" and blanks, such as "
                    "https:www.example.com");
  }
}

// The whole numbers the saver converts strictly at start: without them it
// stops.
void CheckRequiredKeys(std::string_view text, PackFindings& findings, bool& failed) {
  std::set<FoldedPair> present;
  VisitSettingsLines(text, [&](const SettingsLine& line) { present.insert(Folded(line.Section, line.Key)); });
  for (const ValueRule& rule : kValueRules) {
    if ((rule.Kind != ValueKind::WholeNumber && rule.Kind != ValueKind::Colour) ||
        present.contains(Folded(rule.Section, rule.Key))) {
      continue;
    }
    const KnownKeys::Known* known = Keys().Find(rule.Section, rule.Key);
    findings.Error("settings.txt, [" + std::string(rule.Section) + "] " + std::string(rule.Key) +
                   ": missing, and the saver stops at start without it; write " + known->Key + "=" + known->Example);
    failed = true;
  }
}

// The keys whose text in a new product stands in for the maker's own.
constexpr std::array<std::string_view, 7> kPlaceholderKeys{
    "disclaimer", "copyright", "copyrighturl", "copyrightTargetURL", "url", "moreInfoDisplayURL", "moreInfoTargetURL"};

}  // namespace

KeyValueKind ValueKindOf(std::string_view section, std::string_view key) {
  const ValueRule* rule = RuleFor(section, key);
  if (rule == nullptr) return {IsFlag(section, key) ? "flag" : "text"};
  switch (rule->Kind) {
    case ValueKind::WholeNumber:
    case ValueKind::OptionalNumber:
      return {"number", rule->Least, rule->Most};
    case ValueKind::Colour:
      return {"colour"};
    case ValueKind::Switch:
    case ValueKind::StrictSwitch:
      return {"switch"};
    case ValueKind::Link:
      break;
  }
  return {"link"};
}

void LintPlaceholders(const TSettingsList& settings, PackFindings& findings) {
  for (const std::string_view key : kPlaceholderKeys) {
    const KnownKeys::Known* known = Keys().Find("general", key);
    if (known == nullptr || settings.ReadValue(key, "general") != known->Example) continue;
    findings.Warning("settings.txt, [general] " + known->Key + ": still \"" + known->Example +
                     "\", as ris new wrote it: write your own");
  }
}

bool LintSettingsText(std::string_view text, PackFindings& findings) {
  bool failed = false;
  std::set<std::string> unknown_sections;
  VisitSettingsLines(text, [&](const SettingsLine& line) {
    failed = LineLint(line, unknown_sections, findings).Check() || failed;
  });
  CheckRequiredKeys(text, findings, failed);
  return failed;
}

}  // namespace ris::tool
