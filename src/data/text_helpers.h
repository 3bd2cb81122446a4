#pragma once
// Small text helpers shared by the settings code and the dialog.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ris {

class Shell;

using StringList = std::vector<std::string>;

// 1-based position of the last occurrence of `part` in `text`, 0 when absent.
std::size_t LastPos(std::string_view part, std::string_view text) noexcept;

// Splits at `delimiter`. A leading delimiter gives one empty first item; a
// run of delimiters counts as one; a trailing delimiter adds nothing; an
// empty text gives an empty list.
StringList SplitString(std::string_view delimiter, std::string_view text);

std::string JoinStrings(std::string_view delimiter, const StringList& items);

// True when an item equals `text` exactly, letter case included.
bool InStringList(const StringList& items, std::string_view text) noexcept;

// Registry key paths carry no leading backslash and end in one; an empty
// path stays empty.
std::string NormalizeKeyPath(std::string_view path);

// The address that OpenURL hands to the shell, or nothing when it refuses.
// Settings texts write addresses without "http://" (a "//" starts a comment
// there), so every address that does not begin with "http:" or "https:"
// gets that prefix: the shell is only ever handed a web address, never a
// program path or another scheme. One with a line break is refused.
std::optional<std::string> WebAddressToOpen(std::string_view address);

// Opens the address through the shell; false when nothing was opened.
bool OpenURL(std::string_view address, Shell& shell);

}  // namespace ris
