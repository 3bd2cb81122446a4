#include "command_options.h"

#include <algorithm>

namespace ris::tool {
namespace {

bool Contains(const std::vector<std::string_view>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::string> CommandOptions::Value(std::string_view option) const {
  const auto found = Values.find(option);
  if (found == Values.end()) return std::nullopt;
  return found->second.back();
}

std::vector<std::string> CommandOptions::All(std::string_view option) const {
  const auto found = Values.find(option);
  return found == Values.end() ? std::vector<std::string>{} : found->second;
}

Result<CommandOptions, std::string> ParseCommandOptions(Arguments arguments, const KnownOptions& known) {
  CommandOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (!argument.starts_with("--")) {
      options.Positional.emplace_back(argument);
    } else if (Contains(known.Switches, argument)) {
      options.Switches.emplace(argument);
    } else if (!Contains(known.WithValue, argument)) {
      return Failure{"unknown option " + std::string(argument)};
    } else if (i + 1 == arguments.size()) {
      return Failure{std::string(argument) + " needs a value"};
    } else {
      options.Values[std::string(argument)].emplace_back(arguments[++i]);
    }
  }
  return options;
}

}  // namespace ris::tool
