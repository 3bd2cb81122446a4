#pragma once
// The picture formats the saver reads: each known by its file extensions and
// by its decoder. A picture is decoded by the first extended decoder that
// recognises its content, or else by the decoder of its name's extension;
// a recogniser that has no signature to go by yields to an extension that
// names another decoder.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/image_decoder.h"

namespace ris {

enum class LoadOutcome : std::uint8_t {
  Loaded,     // the target holds the new picture
  NoDecoder,  // no decoder by content or extension; the target is unchanged
  Failed,     // the decoder met bad data; the target is unchanged
  Unreadable, // the picture's bytes could not be had; the target is unchanged
};

struct LoadResult {
  LoadOutcome Outcome = LoadOutcome::NoDecoder;
  std::string Message;  // the decoder's message when it failed

  explicit operator bool() const noexcept { return Outcome == LoadOutcome::Loaded; }
};

class TFileFormatList {
 public:
  // Adds an extension (without dot, any case) for a decoder. A decoder is
  // listed when first registered; later extensions point to that record.
  void Register(std::string_view extension, std::shared_ptr<const ImageDecoder> decoder);

  // The first extended decoder, in decoder-list order, that recognises the
  // data; nullptr when none does.
  const ImageDecoder* DecoderForContent(ByteSpan data) const;

  // The decoder of the extension; text up to and including the first dot is
  // dropped first. Letter case of 'A'..'Z' does not matter.
  const ImageDecoder* DecoderForExtension(std::string_view extension) const;

  // The decoder for `data`: by content first, then by the extension of
  // `entry_name` (the text after its last dot, if that dot follows the last
  // backslash or slash). A recogniser without a signature gives way to the
  // extension's decoder; nullptr when neither names one.
  const ImageDecoder* ChooseDecoder(ByteSpan data, std::string_view entry_name) const;

  // The decoder to read bytes with while they still arrive: the one the
  // entry name's extension gives, when it reads arriving bytes. Whether the
  // whole bytes choose it too (a signature may overrule the name) is known
  // only once they have all arrived.
  const ImageDecoder* DecoderForArriving(std::string_view entry_name) const;

  // Decodes `data` into `target` with the decoder ChooseDecoder gives.
  LoadResult LoadPictureFromStream(TPicture& target, ByteSpan data,
                                   std::string_view entry_name) const;
  // The same for bytes the picture may keep: a decoder that produces its
  // rows in order keeps them and decodes the pixels on first use, at the
  // size they are shown at.
  LoadResult LoadPictureFromStream(TPicture& target, const std::shared_ptr<const ArrivingBytes>& bytes,
                                   std::string_view entry_name) const;

  std::size_t DecoderCount() const noexcept { return decoders_.size(); }
  // The decoders' short names in list order, the order their recognisers
  // are asked in.
  std::vector<std::string_view> DecoderNames() const;
  std::size_t ExtensionCount() const noexcept { return extensions_.size(); }
  // Every registered extension, lower case, in the order registered.
  std::vector<std::string_view> Extensions() const;

 private:
  struct DecoderRecord {
    std::shared_ptr<const ImageDecoder> Decoder;
    std::size_t ExtensionCount = 0;
  };
  struct ExtensionRecord {
    std::string Extension;  // lower case
    std::size_t Decoder = 0;  // index into decoders_
  };

  std::vector<DecoderRecord> decoders_;
  std::vector<ExtensionRecord> extensions_;
};

// The saver's formats in their fixed order. Formats whose decoders are not
// built yet are left out; each takes its row's place when it is added.
const TFileFormatList& StandardFormatList();

// The extension part of an entry name as LoadPictureFromStream takes it.
std::string_view EntryNameExtension(std::string_view entry_name);

}  // namespace ris
