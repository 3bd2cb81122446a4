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
#include "pack_product.h"
#include "pack_stamp.h"
#include "packed_saver.h"
#include "product_checks.h"
#include "progress.h"
#include "saver_name.h"
#include "zip_writer.h"

namespace ris::tool {

namespace {

// The request, or why the call's words are off (nothing but the usage for
// an empty reason).
Result<PackRequest, std::string> ParsePackArguments(Arguments arguments) {
  const auto options =
      ParseCommandOptions(arguments, {{"--saver"}, {"--fix-line-ends", "--keep-orientation", "--shrink"}});
  if (!options) return Failure{options.error()};
  const auto saver = RequiredSaverOption(*options);
  if (!saver) return Failure{saver.error()};
  if (options->Positional.size() != 2) return Failure{std::string()};
  return PackRequest{options->Positional[0], options->Positional[1], *saver,
                     options->Has("--fix-line-ends"), options->Has("--keep-orientation"), options->Has("--shrink")};
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

std::size_t CheckContent(const PackRequest& request, PackContent& content, PackFindings& findings,
                         Progress& progress) {
  CheckArchiveName(request, findings);
  return CheckProductContent(content, {request.FixLineEnds, request.KeepOrientation, request.Shrink, &progress},
                             findings);
}

void AddEntry(ZipWriter& writer, std::string_view name, std::string_view bytes,
              PackFindings& findings) {
  if (const auto added = writer.Add(name, bytes); !added) findings.Error(std::string(name) + ": " + added.error());
}

std::string BuildArchive(const PackRequest& request, const PackContent& content, PackFindings& findings,
                         Progress& progress) {
  const std::string password = ArchivePasswordFor(request.Saver, kArchivePasswordPrefix);
  const PackStamp stamp = PackStampFor(password, *content.Settings, content, findings);
  ZipWriter writer({password, stamp.Seed, stamp.Modified, true, PackedForComment(request.Saver)});
  AddEntry(writer, kSettingsEntryName, *content.Settings, findings);
  std::size_t packed = 0;
  for (const PackEntry& picture : content.Pictures) {
    progress.Count("packing", ++packed, content.Pictures.size(), picture.Name);
    AddEntry(writer, picture.Name, picture.Bytes, findings);
  }
  for (const PackEntry& file : content.SetupFiles) AddEntry(writer, file.Name, file.Bytes, findings);
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

PackOutcome PackProduct(const PackRequest& request, Progress& progress) {
  PackOutcome outcome;
  PackContent content = CollectPackContent(request.Content, outcome.Findings);
  outcome.SetCount = CheckContent(request, content, outcome.Findings, progress);
  if (!outcome.Findings.HasErrors()) outcome.Archive = BuildArchive(request, content, outcome.Findings, progress);
  if (outcome.Findings.HasErrors()) outcome.Archive.clear();
  outcome.EntryCount = content.Pictures.size() + content.SetupFiles.size() + 1;
  return outcome;
}

int RunPackCommand(Arguments arguments, const CommandReport& report) {
  const auto request = ParsePackArguments(arguments);
  if (!request) return report.Misused(request.error());
  PackOutcome outcome;
  {
    Progress progress(report.err);
    outcome = PackProduct(*request, progress);
  }
  const PackFindings& findings = outcome.Findings;
  findings.Print(report.err);
  if (findings.HasErrors()) return 1;

  if (const auto written = WriteFileAtomically(request->Output, outcome.Archive); !written) {
    report.err << "error: cannot write '" << request->Output.string() << "': " << written.error() << '\n';
    return 1;
  }
  report.out << "packed " << Counted(outcome.EntryCount, "entry", "entries") << " in "
             << Counted(outcome.SetCount, "set", "sets") << " for " << request->Saver;
  if (findings.NoteCount() > 0) report.out << " (" << Counted(findings.NoteCount(), "note", "notes") << " above)";
  report.out << '\n';
  return 0;
}

}  // namespace ris::tool
