#include "packed_saver.h"

#include <fstream>

#include "archive/zip_records.h"
#include "data/product.h"
#include "data/product_names.h"
#include "data/zip_file_settings.h"
#include "saver_name.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCommentLead = "ris pack: for ";

// The end record and the longest comment it may have: all a comment needs.
std::string ArchiveTail(const fs::path& archive) {
  std::ifstream in(archive, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  const auto tail = static_cast<std::streamoff>(kEndRecordBytes + kMaxArchiveCommentBytes);
  const std::streamoff start = size > tail ? size - tail : 0;
  std::string bytes(static_cast<std::size_t>(size - start), '\0');
  in.seekg(start);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

std::string PackedForComment(std::string_view saver) { return std::string(kCommentLead).append(saver); }

std::optional<std::string> PackedForSaver(std::string_view archive) {
  const auto comment = ReadArchiveComment(archive);
  if (!comment || !comment->starts_with(kCommentLead)) return std::nullopt;
  // The comment is anyone's to write: only a name pack could have written
  // is taken, so that a message never carries another's control bytes.
  std::string saver(comment->substr(kCommentLead.size()));
  if (!EndsInScr(saver) || SaverNameRefusal(saver)) return std::nullopt;
  return saver;
}

std::string WrongSaverName(const fs::path& archive, std::string_view saver, std::string_view saver_message) {
  const auto packed_for = PackedForSaver(ArchiveTail(archive));
  if (!packed_for) {
    return "the archive was not packed by ris (it records no saver's file name), and its password is not "
           "the one of " + std::string(saver);
  }
  if (ArchivePasswordFor(*packed_for, kArchivePasswordPrefix) == ArchivePasswordFor(saver, kArchivePasswordPrefix)) {
    return std::string(saver_message);  // the right name: the archive is damaged
  }
  return "the archive was packed for " + *packed_for + ", not " + std::string(saver) +
         ": its password comes from the saver's file name (use --saver " + *packed_for + ")";
}

std::string ExplainedExit(const ProcessExit& exit, const fs::path& archive, std::string_view saver) {
  if (exit.ExitCode() != kExitWrongPassword) return exit.what();
  return WrongSaverName(archive, saver, exit.what());
}

}  // namespace ris::tool
