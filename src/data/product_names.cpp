#include "data/product_names.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/ascii.h"

namespace ris {
namespace {

constexpr bool IsControl(char c) noexcept {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool HasControl(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControl); }

// Windows opens these as devices whatever extension follows the first dot.
bool IsReservedDeviceName(std::string_view file_name) {
  static constexpr std::array<std::string_view, 22> kDevices{
      "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5", "com6", "com7",
      "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
  std::string_view stem = file_name.substr(0, file_name.find('.'));
  stem = TrimEnd(stem, [](char c) { return c == ' '; });
  const std::string folded = FoldAscii(stem);
  return std::find(kDevices.begin(), kDevices.end(), folded) != kDevices.end();
}

}  // namespace

std::optional<std::string> TitleRefusal(std::string_view title) {
  if (HasControl(title)) {
    return "it holds a control character (such as NUL, tab or a line break), which a registry key, "
           "a folder or a caption cannot carry";
  }
  if (title.find('\\') != std::string_view::npos) {
    return "it holds a backslash, which would make its registry key one below another program's";
  }
  if (!title.empty() && title.find_first_not_of(' ') == std::string_view::npos) {
    return "it is nothing but blanks";
  }
  return std::nullopt;
}

std::optional<std::string> SaverNameRefusal(std::string_view file_name) {
  if (HasControl(file_name)) return "it holds a control character, which Windows does not allow in file names";
  if (const std::size_t at = file_name.find_first_of("<>:\"/\\|?*"); at != std::string_view::npos) {
    return std::string("it holds '").append(1, file_name[at]).append("', which Windows does not allow in file names");
  }
  if (!file_name.empty() && (file_name.back() == '.' || file_name.back() == ' ')) {
    return "it ends in a dot or a blank, which Windows drops from file names";
  }
  if (IsReservedDeviceName(file_name)) return "Windows reserves that name for a device";
  if (std::any_of(file_name.begin(), file_name.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; })) {
    return "it holds letters beyond ASCII: the archive's password comes from the name's bytes, which "
           "differ from one system to the next";
  }
  return std::nullopt;
}

std::string TitleRefusalMessage(std::string_view title, std::string_view why) {
  std::string shown;
  for (const char c : title) {
    if (IsControl(c)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      shown += escape;
    } else {
      shown += c;
    }
  }
  return "the title \"" + shown + "\" cannot name the product: " + std::string(why);
}

}  // namespace ris
