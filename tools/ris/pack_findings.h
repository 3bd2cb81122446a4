#pragma once
// What `ris pack` found wrong with a product before writing its archive: an
// error is something that would break the saver and stops the pack; a
// warning is something the maker probably did not mean, and is only told; a
// note says what the pack changed on the way into the archive.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace ris::tool {

class PackFindings {
 public:
  void Error(std::string_view text);
  void Warning(std::string_view text);
  void Note(std::string_view text);

  bool HasErrors() const noexcept { return errors_ > 0; }
  std::size_t NoteCount() const noexcept { return notes_; }

  // One line per finding, in the order they were found.
  void Print(std::ostream& err) const;
  const std::vector<std::string>& Lines() const noexcept { return lines_; }

 private:
  std::vector<std::string> lines_;
  int errors_ = 0;
  std::size_t notes_ = 0;
};

}  // namespace ris::tool
