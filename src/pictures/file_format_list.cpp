#include "pictures/file_format_list.h"

#include <algorithm>

#include "base/ascii.h"

namespace ris {

void TFileFormatList::Register(std::string_view extension,
                               std::shared_ptr<const ImageDecoder> decoder) {
  auto listed = std::find_if(decoders_.begin(), decoders_.end(), [&](const DecoderRecord& record) {
    return record.Decoder == decoder;
  });
  if (listed == decoders_.end()) {
    decoders_.push_back({std::move(decoder), 0});
    listed = decoders_.end() - 1;
  }
  ++listed->ExtensionCount;
  extensions_.push_back({FoldAscii(extension), static_cast<std::size_t>(listed - decoders_.begin())});
}

std::vector<std::string_view> TFileFormatList::DecoderNames() const {
  std::vector<std::string_view> names;
  names.reserve(decoders_.size());
  for (const DecoderRecord& record : decoders_) names.push_back(record.Decoder->ShortName());
  return names;
}

std::vector<std::string_view> TFileFormatList::Extensions() const {
  std::vector<std::string_view> extensions;
  extensions.reserve(extensions_.size());
  for (const ExtensionRecord& record : extensions_) extensions.push_back(record.Extension);
  return extensions;
}

const ImageDecoder* TFileFormatList::DecoderForContent(ByteSpan data) const {
  for (const DecoderRecord& record : decoders_) {
    if (record.Decoder->IsExtended() && record.Decoder->Recognises(data)) {
      return record.Decoder.get();
    }
  }
  return nullptr;
}

const ImageDecoder* TFileFormatList::DecoderForExtension(std::string_view extension) const {
  if (const auto dot = extension.find('.'); dot != std::string_view::npos) {
    extension.remove_prefix(dot + 1);
  }
  for (const ExtensionRecord& record : extensions_) {
    if (EqualsFolded(record.Extension, extension)) return decoders_[record.Decoder].Decoder.get();
  }
  return nullptr;
}

std::string_view EntryNameExtension(std::string_view entry_name) {
  const auto dot = entry_name.rfind('.');
  if (dot == std::string_view::npos) return {};
  const auto separator = entry_name.find_last_of("\\/");
  if (separator != std::string_view::npos && separator > dot) return {};
  return entry_name.substr(dot);
}

// Content wins where a signature says what the data is. A format without
// one only finds the header plausible, which a picture of another format
// can be too (a small Dr. Halo picture passes as Targa); there the
// extension, when it names another decoder, decides.
const ImageDecoder* TFileFormatList::ChooseDecoder(ByteSpan data, std::string_view entry_name) const {
  const ImageDecoder* by_content = DecoderForContent(data);
  if (by_content && by_content->HasSignature()) return by_content;
  const std::string_view extension = EntryNameExtension(entry_name);
  const ImageDecoder* by_extension = extension.empty() ? nullptr : DecoderForExtension(extension);
  return by_extension ? by_extension : by_content;
}

const ImageDecoder* TFileFormatList::DecoderForArriving(std::string_view entry_name) const {
  const std::string_view extension = EntryNameExtension(entry_name);
  const ImageDecoder* decoder = extension.empty() ? nullptr : DecoderForExtension(extension);
  return decoder && decoder->ReadsArriving() ? decoder : nullptr;
}

namespace {

LoadResult Loaded(TPicture& target, Result<TPicture, DecodeError> decoded) {
  if (!decoded) return {LoadOutcome::Failed, decoded.error().Message};
  target = std::move(decoded).value();
  return {LoadOutcome::Loaded, {}};
}

}  // namespace

LoadResult TFileFormatList::LoadPictureFromStream(TPicture& target, ByteSpan data,
                                                  std::string_view entry_name) const {
  const ImageDecoder* decoder = ChooseDecoder(data, entry_name);
  if (!decoder) return {LoadOutcome::NoDecoder, {}};
  return Loaded(target, decoder->Decode(data));
}

LoadResult TFileFormatList::LoadPictureFromStream(TPicture& target,
                                                  const std::shared_ptr<const ArrivingBytes>& bytes,
                                                  std::string_view entry_name) const {
  const ImageDecoder* decoder = ChooseDecoder(ByteSpan(bytes->Data(), bytes->WaitFor(bytes->Size())), entry_name);
  if (!decoder) return {LoadOutcome::NoDecoder, {}};
  return Loaded(target, decoder->DecodeArriving(bytes));
}

}  // namespace ris
