#pragma once
// The mark that names a Windows program the saver engine: a string
// "SaverEngine" in its version resource, whose value is the engine's
// version. Read from the program's bytes without Windows, since ris runs
// on Linux too; the bytes are anyone's, so every offset is checked.

#include <optional>
#include <string>
#include <string_view>

namespace ris::tool {

inline constexpr std::u16string_view kEngineMarkName = u"SaverEngine";

// The engine's version from the PE file's version resource; nothing when
// the bytes are no PE file, carry no version resource or no mark, or a mark
// that is empty or not printable ASCII.
std::optional<std::string> EngineVersionOf(std::string_view program);

}  // namespace ris::tool
