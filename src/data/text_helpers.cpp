#include "data/text_helpers.h"

#include <algorithm>

#include "data/shell.h"

namespace ris {
namespace {

bool HasControlCharacter(std::string_view text) noexcept {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 32 || byte == 127;
  });
}

}  // namespace

std::size_t LastPos(std::string_view part, std::string_view text) noexcept {
  if (part.size() > text.size()) return 0;
  for (std::size_t start = text.size() - part.size() + 1; start >= 1; --start) {
    if (text.substr(start - 1, part.size()) == part) return start;
  }
  return 0;
}

StringList SplitString(std::string_view delimiter, std::string_view text) {
  StringList items;
  if (delimiter.empty()) {
    if (!text.empty()) items.emplace_back(text);
    return items;
  }
  auto at = text.find(delimiter);
  while (at != std::string_view::npos) {
    items.emplace_back(text.substr(0, at));
    text.remove_prefix(at + delimiter.size());
    while (!text.empty() && text.substr(0, delimiter.size()) == delimiter) {
      text.remove_prefix(delimiter.size());
    }
    at = text.find(delimiter);
  }
  if (!text.empty()) items.emplace_back(text);
  return items;
}

std::string JoinStrings(std::string_view delimiter, const StringList& items) {
  std::string joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += delimiter;
    joined += items[i];
  }
  return joined;
}

bool InStringList(const StringList& items, std::string_view text) noexcept {
  return std::find(items.begin(), items.end(), text) != items.end();
}

std::string NormalizeKeyPath(std::string_view path) {
  if (path.empty()) return {};
  std::string normalized(path);
  if (normalized.back() != '\\') normalized += '\\';
  if (normalized.front() == '\\') normalized.erase(0, 1);
  return normalized;
}

std::optional<std::string> WebAddressToOpen(std::string_view address) {
  if (address.size() < 2 || HasControlCharacter(address)) return std::nullopt;
  std::string target(address);
  // "//" starts a comment in a settings text, so "https:www.example.com" is
  // how a maker writes a secure link: an address that starts with either
  // scheme is already one and opens as written.
  if (!target.starts_with("http:") && !target.starts_with("https:")) target.insert(0, "http://");
  return target;
}

bool OpenURL(std::string_view address, Shell& shell) {
  const auto target = WebAddressToOpen(address);
  if (!target) return false;
  shell.OpenWebAddress(*target);
  return true;
}

}  // namespace ris
