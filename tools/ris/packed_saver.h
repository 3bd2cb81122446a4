#pragma once
// The saver's file name an archive was packed for. The archive's password
// comes from that name, so a saver of another name sees only "corrupted
// data". `ris pack` records the name in the archive's comment, which is not
// encrypted (the saver reads past it), and the commands that open an archive
// as a saver tell the maker which name it wants instead.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "shells/headless/headless_system.h"

namespace ris::tool {

// The comment `ris pack` gives an archive packed for `saver`.
std::string PackedForComment(std::string_view saver);

// The saver's file name recorded in the archive's bytes (the whole archive
// or its tail), or nothing when ris did not record one.
std::optional<std::string> PackedForSaver(std::string_view archive);

// Why a saver named `saver` cannot open the archive, whose password is not
// its: the name the archive was packed for, or that ris did not pack it.
// `saver_message` is what the saver said, for an archive damaged where
// the names agree.
std::string WrongSaverName(const std::filesystem::path& archive, std::string_view saver,
                           std::string_view saver_message);

// What the saver `saver`, ending at `exit` while it opened `archive`, means
// for the maker: for a password that does not match, the name the archive
// was packed for, or that ris did not pack it; otherwise the saver's own
// message.
std::string ExplainedExit(const ProcessExit& exit, const std::filesystem::path& archive, std::string_view saver);

}  // namespace ris::tool
