// Every picture entry of the data archive goes through the standard format
// list: recognisers first, then the decoder of the entry name's extension.
// The first byte picks the name, the rest is the entry's data. Whatever it
// holds, the load and the first drawing end in pixels or a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/arriving_bytes.h"
#include "pictures/file_format_list.h"
#include "pictures/image_decoder.h"

namespace {

// One name for each extension the list registers, in its order (so a format
// added to the list is fuzzed without a change here), then one in capitals
// and two whose dot does not start an extension.
const std::vector<std::string>& EntryNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const std::string_view extension : ris::StandardFormatList().Extensions()) {
      all.push_back("p." + std::string(extension));
    }
    all.insert(all.end(), {"P.PNG", "noextension", "sets.old\\readme"});
    return all;
  }();
  return names;
}

// What a decode came to, its pixels included (a picture read from bytes it
// keeps decodes them on first use); the picture itself is let go at once,
// so that two decodes of one input never hold two pictures.
struct Outcome {
  bool Decoded = false;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome OutcomeOf(const ris::Result<ris::TPicture, ris::DecodeError>& decoded) {
  if (!decoded || !decoded->Pixels()) return {};
  return {true, decoded->Width(), decoded->Height()};
}

// Read as bytes that arrive while they are decrypted, a picture decodes as
// it does from the whole bytes.
void ArrivingAgrees(ris::ByteSpan bytes, std::string_view name) {
  const ris::ImageDecoder* decoder = ris::StandardFormatList().ChooseDecoder(bytes, name);
  if (decoder == nullptr) return;
  const Outcome whole = OutcomeOf(decoder->Decode(bytes));
  const Outcome arriving =
      OutcomeOf(decoder->DecodeArriving(ris::ArrivingBytes::Complete(std::string(bytes.begin(), bytes.end()))));
  if (whole != arriving) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string& name = EntryNames()[data[0] % EntryNames().size()];
  const ris::ByteSpan bytes(data + 1, size - 1);
  ArrivingAgrees(bytes, name);

  ris::TPicture picture;
  const ris::LoadResult loaded = ris::StandardFormatList().LoadPictureFromStream(picture, bytes, name);
  if (!loaded) {
    // Nothing loaded leaves the target as it was; a failure says why.
    if (!picture.Empty()) std::abort();
    if (loaded.Outcome == ris::LoadOutcome::Failed && loaded.Message.empty()) std::abort();
    return 0;
  }
  const auto pixels = picture.Pixels();
  if (pixels) {
    const ris::PixelImage& image = **pixels;
    if (image.Width != picture.Width() || image.Height != picture.Height()) std::abort();
  } else if (pixels.error().Message.empty()) {
    std::abort();
  }
  return 0;
}
