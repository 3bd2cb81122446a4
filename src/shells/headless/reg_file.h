#pragma once
// The .reg text form of the per-user keys, as the system's registry editor
// exports and imports it. Headless runs keep their registry in such a file so
// that a person can read and edit it, and can move it to or from a real
// registry with the editor.
//
// Reading accepts both forms the editor has used: "REGEDIT4" (ANSI text) and
// "Windows Registry Editor Version 5.00" (whose hex(1), hex(2) and hex(7)
// data are UTF-16LE), each either as bytes or as UTF-16LE text with a byte
// order mark; UTF-16 code units below 256 become single bytes, others '?'.
// Writing always gives the REGEDIT4 form, so that the saver's byte strings
// travel unchanged.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "shells/headless/memory_hive.h"

namespace ris {

// A .reg text that cannot be read, or a hive that cannot be written as one.
class ERegFileError : public ESaverError {
 public:
  // The message names the file when one is given and the line when it is
  // not 0: "settings.reg: line 7: unterminated quoted text".
  ERegFileError(std::size_t line, std::string_view problem, std::string_view file = {});

  std::size_t Line() const noexcept { return line_; }
  const std::string& Problem() const noexcept { return problem_; }

 private:
  std::size_t line_;
  std::string problem_;
};

// Larger files are refused rather than read: a settings hive is a few
// kilobytes, and the bound keeps a hostile file from exhausting memory.
inline constexpr std::size_t kMaxRegFileBytes = std::size_t{64} * 1024 * 1024;

// The keys under HKEY_CURRENT_USER (or HKCU) that the text leaves behind,
// its deletions applied; keys under other roots are skipped. An empty text
// is an empty hive. Raises ERegFileError naming the first bad line.
MemoryHive ParseRegFile(std::string_view bytes);

// The hive in the REGEDIT4 form with CR LF line ends. Keys that hold no
// values but have subkeys are left out: their subkeys' lines recreate them.
// Raises ERegFileError for a name that the form cannot hold (see FitsRegFile).
std::string WriteRegFile(const MemoryHive& hive);

// Every byte string can be a value's data, but key and value names sit on a
// line of their own: they must not hold a line feed.
bool FitsRegFile(std::string_view name) noexcept;

}  // namespace ris
