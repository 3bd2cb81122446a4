// ris decode PICTURE OUT.pam|OUT.png
// Decodes a picture file exactly as the saver decodes an archive entry of
// the same name and bytes, and writes its pixels as PAM, or as PNG when the
// output name ends in ".png".
#include <filesystem>
#include <ostream>

#include "atomic_file.h"
#include "base/ascii.h"
#include "command_options.h"
#include "commands.h"
#include "file_bytes.h"
#include "pictures/file_format_list.h"
#include "png_writer.h"

namespace ris::tool {
namespace {

bool WantsPng(const std::string& name) {
  return name.size() >= 4 && EqualsFolded(std::string_view(name).substr(name.size() - 4), ".png");
}

}  // namespace

int RunDecodeCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() != 2) return report.Misused();
  const std::string& input = options->Positional[0];
  const std::string& output = options->Positional[1];

  const auto bytes = ReadFileBytes(input);
  if (!bytes) return report.Fail(input + ": " + bytes.error());
  const ByteSpan data = AsBytes(*bytes);
  // The entry name the saver would see: the file name without its folders.
  const std::string entry_name = std::filesystem::path(input).filename().string();

  TPicture picture;
  const LoadResult loaded = StandardFormatList().LoadPictureFromStream(picture, data, entry_name);
  if (loaded.Outcome == LoadOutcome::NoDecoder) {
    report.Complain() << input << ": no decoder knows this picture\n";
    return 3;
  }
  if (loaded.Outcome == LoadOutcome::Failed) {
    report.err << loaded.Message << '\n';
    return 4;
  }
  const auto pixels = picture.Pixels();
  if (!pixels) {
    report.err << pixels.error().Message << '\n';
    return 4;
  }
  const std::string encoded = WantsPng(output) ? EncodePng(**pixels) : EncodePam(**pixels);
  if (const auto written = WriteFileAtomically(output, encoded); !written) {
    return report.Fail(output + ": " + written.error());
  }
  return 0;
}

}  // namespace ris::tool
