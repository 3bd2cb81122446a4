#pragma once
// Command-line options of the subcommands: positional arguments, options
// that take a value ("--saver Demo.scr") and switches ("--fix-line-ends").

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "commands.h"

namespace ris::tool {

struct CommandOptions {
  std::vector<std::string> Positional;
  // Every value given to an option, in order; an option may be repeated.
  std::map<std::string, std::vector<std::string>, std::less<>> Values;
  std::set<std::string, std::less<>> Switches;

  // The last value given to the option.
  std::optional<std::string> Value(std::string_view option) const;
  std::vector<std::string> All(std::string_view option) const;
  bool Has(std::string_view option) const { return Switches.contains(option); }
};

// The options a command knows.
struct KnownOptions {
  std::vector<std::string_view> WithValue;  // e.g. "--saver"
  std::vector<std::string_view> Switches;   // e.g. "--fix-line-ends"
};

// The parsed arguments, or why not: an option that is unknown or lacks its
// value.
Result<CommandOptions, std::string> ParseCommandOptions(Arguments arguments, const KnownOptions& known);

}  // namespace ris::tool
