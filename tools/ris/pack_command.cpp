// ris pack CONTENT_DIR OUT.dat --saver NAME.scr [--fix-line-ends]
//   [--keep-orientation]: checks a product folder for what would break the
// saver, turns sideways photos upright, then writes its encrypted data archive.
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "archive/zip_archive.h"
#include "atomic_file.h"
#include "base/ascii.h"
#include "command_options.h"
#include "commands.h"
#include "counted.h"
#include "data/product.h"
#include "data/zip_file_settings.h"
#include "pack_content.h"
#include "pack_findings.h"
#include "pack_stamp.h"
#include "packed_saver.h"
#include "product_checks.h"
#include "saver_name.h"
#include "zip_writer.h"

namespace ris::tool {

namespace {

constexpr std::string_view kPackUsage =
    "usage: ris pack CONTENT_DIR OUT.dat --saver FILE_NAME.scr [--fix-line-ends] [--keep-orientation]\n";

struct PackRequest {
  std::filesystem::path Content;
  std::filesystem::path Output;
  std::string Saver;  // the saver's file name, without folders
  bool FixLineEnds = false;
  bool KeepOrientation = false;  // photos archived as stored, even sideways
};

std::optional<PackRequest> ParsePackArguments(Arguments arguments, std::ostream& err) {
  std::string error;
  const auto options = ParseCommandOptions(arguments, {{"--saver"}, {"--fix-line-ends", "--keep-orientation"}}, error);
  const auto saver = options ? SaverOption(*options, error) : std::nullopt;
  if (!options || !saver || options->Positional.size() != 2) {
    if (!error.empty()) err << "ris pack: " << error << '\n';
    err << kPackUsage;
    return std::nullopt;
  }
  return PackRequest{options->Positional[0], options->Positional[1], *saver,
                     options->Has("--fix-line-ends"), options->Has("--keep-orientation")};
}

// The saver finds its archive by its own name; a differently named archive
// is never opened.
void CheckArchiveName(const PackRequest& request, PackFindings& findings) {
  const std::string expected = ArchiveNameFor(request.Saver);
  const std::string output = request.Output.filename().string();
  if (EqualsFolded(expected, output)) return;
  findings.Warning(request.Saver + " looks for its archive under the name " + expected + ", not " +
                   output);
}

std::size_t CheckContent(const PackRequest& request, PackContent& content, PackFindings& findings) {
  CheckArchiveName(request, findings);
  return CheckProductContent(content, {request.FixLineEnds, request.KeepOrientation}, findings);
}

void AddEntry(ZipWriter& writer, std::string_view name, std::string_view bytes,
              PackFindings& findings) {
  std::string why;
  if (!writer.Add(name, bytes, why)) findings.Error(std::string(name) + ": " + why);
}

std::string BuildArchive(const PackRequest& request, const PackContent& content,
                         PackFindings& findings) {
  const std::string password = ArchivePasswordFor(request.Saver, kArchivePasswordPrefix);
  const PackStamp stamp = PackStampFor(password, *content.Settings, content, findings);
  ZipWriter writer({password, stamp.Seed, stamp.Modified, true, PackedForComment(request.Saver)});
  AddEntry(writer, kSettingsEntryName, *content.Settings, findings);
  for (const PackEntry& picture : content.Pictures) {
    AddEntry(writer, picture.Name, picture.Bytes, findings);
  }
  std::string archive = writer.Finish();
  if (archive.size() > kMaxZipArchiveBytes) {
    std::string text = "the archive would be ";
    text.append(std::to_string(archive.size() >> 20))
        .append(" MiB; the saver opens archives of at most ");
    text.append(std::to_string(kMaxZipArchiveBytes >> 20)).append(" MiB");
    findings.Error(text);
  }
  return archive;
}

}  // namespace

int RunPackCommand(Arguments arguments, CommandStreams streams) {
  const auto request = ParsePackArguments(arguments, streams.err);
  if (!request) return 2;
  PackFindings findings;
  PackContent content = CollectPackContent(request->Content, findings);
  const std::size_t set_count = CheckContent(*request, content, findings);
  std::string archive;
  if (!findings.HasErrors()) archive = BuildArchive(*request, content, findings);
  findings.Print(streams.err);
  if (findings.HasErrors()) return 1;

  std::string why;
  if (!WriteFileAtomically(request->Output, archive, why)) {
    streams.err << "error: cannot write '" << request->Output.string() << "': " << why << '\n';
    return 1;
  }
  streams.out << "packed " << Counted(content.Pictures.size() + 1, "entry", "entries") << " in "
              << Counted(set_count, "set", "sets") << " for " << request->Saver << '\n';
  return 0;
}

}  // namespace ris::tool
