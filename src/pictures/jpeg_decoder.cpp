// JPEG: start-of-image marker, tables, a frame header with the size and the
// components, scans of entropy-coded data, end-of-image marker. Decoded by
// libjpeg from memory, also while the bytes are still arriving (a large
// encrypted archive entry decrypted beside the decoder): libjpeg then waits
// for each next part as it needs it.
//
// libjpeg reports fatal errors through error_exit, which must not return;
// here it long-jumps back to the function that set the jump point. Those
// functions hold only plain C data between setjmp and the libjpeg calls, and
// the callbacks that jump hold none either, so no destructor is skipped.
// Everything that needs C++ objects (the pixel buffer) is made by the caller
// before and only written through a pointer.
//
// Warnings (corrupt data that libjpeg can step over, such as a file cut
// short) are dropped: such a picture decodes with what is there.
#include "pictures/jpeg_decoder.h"

#include <algorithm>
#include <cstddef>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "base/errors.h"
#include "pictures/decode_budget.h"
#include "pictures/decoders.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "JPEG";
// Every 8 x 8 block of the picture takes at least one bit of scan data.
constexpr Density kJpegDensity{64 * 8, 1};

// Not libjpeg message codes: reasons of our own to stop.
constexpr int kTooManyScans = -1;
constexpr int kSizeChanged = -2;

struct ErrorTrap {
  jpeg_error_mgr Manager;  // first, so that libjpeg's pointer to it is ours too
  std::jmp_buf Jump;
  int Code;
};

[[noreturn]] void OnFatalError(j_common_ptr info) {
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  trap->Code = info->err->msg_code;
  std::longjmp(trap->Jump, 1);
}

void DropMessage(j_common_ptr /*info*/, int /*level*/) {}
void DropOutput(j_common_ptr /*info*/) {}

// The progress monitor, with the number of scans the file's bytes pay for.
struct ScanLimit {
  jpeg_progress_mgr Monitor;  // first, so that libjpeg's pointer to it is ours too
  std::uint64_t MostScans;
};

void LimitScans(j_common_ptr common) {
  const auto* info = reinterpret_cast<j_decompress_ptr>(common);
  const auto* limit = reinterpret_cast<const ScanLimit*>(info->progress);
  if (static_cast<std::uint64_t>(info->input_scan_number) > limit->MostScans) {
    auto* trap = reinterpret_cast<ErrorTrap*>(common->err);
    trap->Code = kTooManyScans;
    std::longjmp(trap->Jump, 1);
  }
}

void SetTrap(jpeg_decompress_struct& info, ErrorTrap& trap) {
  info.err = jpeg_std_error(&trap.Manager);
  trap.Manager.error_exit = OnFatalError;
  trap.Manager.emit_message = DropMessage;
  trap.Manager.output_message = DropOutput;
  trap.Code = 0;
}

enum class Colours : std::uint8_t { Grey, Rgb, Cmyk, Unsupported };

Colours ColoursOf(J_COLOR_SPACE space) {
  switch (space) {
    case JCS_GRAYSCALE: return Colours::Grey;
    case JCS_YCbCr:
    case JCS_RGB: return Colours::Rgb;
    case JCS_CMYK:
    case JCS_YCCK: return Colours::Cmyk;
    default: return Colours::Unsupported;
  }
}

struct HeaderFacts {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  Colours Kind = Colours::Unsupported;
  bool Progressive = false;
};

// libjpeg's source: the picture's bytes, handed over as far as they have
// arrived. Past their end, as libjpeg's own memory source does, it gives an
// end-of-image marker with a warning, so that a file cut short decodes with
// what is there. Plain C data, like everything between setjmp and libjpeg.
struct ArrivingSource {
  jpeg_source_mgr Manager;  // first, so that libjpeg's pointer to it is ours too
  const ArrivingBytes* Bytes;
  std::size_t Given;  // how many bytes libjpeg has been handed
};

const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

void StartSource(j_decompress_ptr /*info*/) {}
void EndSource(j_decompress_ptr /*info*/) {}

// How many bytes have arrived once at least one more than `given` has, or
// no more will; a failure to wait counts as the end of the bytes.
std::size_t ArrivedPast(const ArrivingBytes& bytes, std::size_t given) noexcept {
  try {
    return bytes.WaitFor(given + 1);
  } catch (...) {
    return given;
  }
}

boolean FillFromArriving(j_decompress_ptr info) {
  auto* source = reinterpret_cast<ArrivingSource*>(info->src);
  const std::size_t arrived = ArrivedPast(*source->Bytes, source->Given);
  if (arrived > source->Given) {
    source->Manager.next_input_byte = source->Bytes->Data() + source->Given;
    source->Manager.bytes_in_buffer = arrived - source->Given;
    source->Given = arrived;
  } else {
    WARNMS(info, JWRN_JPEG_EOF);
    source->Manager.next_input_byte = kEndOfImage;
    source->Manager.bytes_in_buffer = sizeof kEndOfImage;
  }
  return TRUE;
}

void SkipInArriving(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& manager = info->src[0];
  while (static_cast<unsigned long>(count) > manager.bytes_in_buffer) {
    count -= static_cast<long>(manager.bytes_in_buffer);
    FillFromArriving(info);
  }
  manager.next_input_byte += count;
  manager.bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Like libjpeg's memory source, which fails at once on no bytes at all.
void ReadFromArriving(jpeg_decompress_struct& info, ArrivingSource& source, const ArrivingBytes& bytes) {
  if (bytes.Size() == 0) ERREXIT(&info, JERR_INPUT_EMPTY);
  source.Manager.init_source = StartSource;
  source.Manager.fill_input_buffer = FillFromArriving;
  source.Manager.skip_input_data = SkipInArriving;
  source.Manager.resync_to_restart = jpeg_resync_to_restart;
  source.Manager.term_source = EndSource;
  source.Manager.next_input_byte = nullptr;
  source.Manager.bytes_in_buffer = 0;
  source.Bytes = &bytes;
  source.Given = 0;
  info.src = &source.Manager;
}

// 0, or the code of the libjpeg error that stopped the reading.
int ReadHeader(const ArrivingBytes& bytes, HeaderFacts* facts) {
  jpeg_decompress_struct info{};
  ErrorTrap trap{};
  ArrivingSource source{};
  SetTrap(info, trap);
  if (setjmp(trap.Jump) != 0) {
    jpeg_destroy_decompress(&info);
    return trap.Code;
  }
  jpeg_create_decompress(&info);
  ReadFromArriving(info, source, bytes);
  jpeg_read_header(&info, TRUE);
  facts->Width = info.image_width;
  facts->Height = info.image_height;
  facts->Kind = ColoursOf(info.jpeg_color_space);
  facts->Progressive = info.progressive_mode != 0;
  jpeg_destroy_decompress(&info);
  return 0;
}

// Colour pictures: straight into blue, green, red, alpha where the library
// offers that layout, else through RGB rows.
#ifdef JCS_EXTENSIONS
constexpr bool kLibraryWritesBgra = true;
constexpr J_COLOR_SPACE kColourOutput = JCS_EXT_BGRA;
static_assert(sizeof(Bgra) == 4 && offsetof(Bgra, B) == 0 && offsetof(Bgra, A) == 3);
#else
constexpr bool kLibraryWritesBgra = false;
constexpr J_COLOR_SPACE kColourOutput = JCS_RGB;
#endif

void StoreRow(const jpeg_decompress_struct& info, const JSAMPLE* row, Bgra* out) {
  const std::size_t width = info.output_width;
  if (info.quantize_colors) {
    const auto colours = static_cast<unsigned>(info.actual_number_of_colors);
    for (std::size_t x = 0; x < width; ++x) {
      const unsigned index = std::min<unsigned>(row[x], colours - 1);
      const JSAMPLE level = info.colormap[0][index];
      out[x] = Bgra{level, level, level, 255};
    }
  } else if (info.out_color_space == JCS_RGB) {
    for (std::size_t x = 0; x < width; ++x) out[x] = Bgra{row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
  } else {  // CMYK; Adobe's files store it inverted (255 is no ink)
    const bool inverted = info.saw_Adobe_marker != 0;
    for (std::size_t x = 0; x < width; ++x) {
      unsigned ink[4];
      for (std::size_t c = 0; c < 4; ++c) ink[c] = inverted ? row[4 * x + c] : 255U - row[4 * x + c];
      const auto mix = [&](unsigned level) { return static_cast<std::uint8_t>((level * ink[3] + 127) / 255); };
      out[x] = Bgra{mix(ink[2]), mix(ink[1]), mix(ink[0]), 255};
    }
  }
}

// libjpeg can leave out detail while it transforms the blocks back to
// pixels, giving the picture at a half, a quarter or an eighth of its size
// for much less work than the whole: a photograph larger than the screen is
// decoded at the smallest of these that still covers the size it is shown
// at, and the area averaging that scales it to the screen has less to do.
// Every libjpeg since the first free release has these three.
constexpr int kEighths[] = {1, 2, 4};
constexpr int kWhole = 8;

// libjpeg's reduced side: the side times eighths / 8, rounded up.
std::int32_t ReducedSide(std::int32_t side, int eighths) {
  return static_cast<std::int32_t>((std::int64_t{side} * eighths + 7) / 8);
}

int EighthsToCover(std::int32_t width, std::int32_t height, PixelSize cover) {
  if (cover.Width <= 0 || cover.Height <= 0) return kWhole;
  for (const int eighths : kEighths) {
    if (ReducedSide(width, eighths) >= cover.Width && ReducedSide(height, eighths) >= cover.Height) {
      return eighths;
    }
  }
  return kWhole;
}

// Decompresses at eighths / 8 of the picture's size into `image`, made
// beforehand at that size, reading at most `most_scans` scans. 0, or the
// code that stopped the decoding.
int Decompress(const ArrivingBytes& bytes, int eighths, std::uint64_t most_scans, PixelImage* image) {
  jpeg_decompress_struct info{};
  ErrorTrap trap{};
  ArrivingSource source{};
  ScanLimit limit{};
  SetTrap(info, trap);
  limit.Monitor.progress_monitor = LimitScans;
  limit.MostScans = most_scans;
  if (setjmp(trap.Jump) != 0) {
    jpeg_destroy_decompress(&info);
    return trap.Code;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = static_cast<long>(kMaxJpegWorkingMemory);
  info.progress = &limit.Monitor;
  ReadFromArriving(info, source, bytes);
  jpeg_read_header(&info, TRUE);

  info.scale_num = static_cast<unsigned>(eighths);
  info.scale_denom = kWhole;
  info.dct_method = JDCT_ISLOW;
  info.do_block_smoothing = TRUE;
  info.buffered_image = FALSE;
  switch (ColoursOf(info.jpeg_color_space)) {
    case Colours::Grey:
      info.out_color_space = JCS_GRAYSCALE;
      info.quantize_colors = TRUE;
      info.desired_number_of_colors = 236;
      break;
    case Colours::Cmyk:
      info.out_color_space = JCS_CMYK;
      break;
    default:
      info.out_color_space = kColourOutput;
      break;
  }
  jpeg_start_decompress(&info);
  if (info.output_width != static_cast<JDIMENSION>(image->Width) ||
      info.output_height != static_cast<JDIMENSION>(image->Height) ||
      (info.quantize_colors && info.actual_number_of_colors < 1)) {
    jpeg_destroy_decompress(&info);
    return kSizeChanged;
  }
  if (kLibraryWritesBgra && info.out_color_space == kColourOutput) {
    // The library writes the picture's own layout: rows go straight in.
    while (info.output_scanline < info.output_height) {
      JSAMPROW target = &image->Pixels[static_cast<std::size_t>(info.output_scanline) * info.output_width].B;
      if (jpeg_read_scanlines(&info, &target, 1) != 1) break;
    }
  } else {
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height) {
      const JDIMENSION y = info.output_scanline;
      if (jpeg_read_scanlines(&info, row, 1) != 1) break;
      StoreRow(info, row[0], image->Pixels.data() + static_cast<std::size_t>(y) * info.output_width);
    }
  }
  // Whatever follows the last row (trailing markers, damage after the
  // pixels) does not matter: the picture is complete.
  jpeg_destroy_decompress(&info);
  return 0;
}

DecodeError LibraryError(int code) {
  if (code == kTooManyScans) return decode_errors::TooLarge(kShortName);
  if (code == kSizeChanged) return decode_errors::InvalidFormat(kShortName);
  return {FormatMessage("JPEG error #%s", std::to_string(code))};
}

class JpegDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return false; }
  bool Recognises(ByteSpan /*data*/) const override { return false; }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    return DecodeArriving(ArrivingBytes::Complete(std::string(AsText(data))));
  }

  bool ReadsArriving() const override { return true; }

  // The pixels are decoded from the same bytes, which the picture keeps.
  Result<TPicture, DecodeError> DecodeArriving(std::shared_ptr<const ArrivingBytes> bytes) const override {
    HeaderFacts facts;
    if (const int code = ReadHeader(*bytes, &facts); code != 0) {
      return Failure{LibraryError(code)};
    }
    const DecodeBudget budget(kShortName, bytes->Size(), kJpegDensity);
    if (!budget.Allows(facts.Width, facts.Height)) return Failure{budget.Refusal()};
    if (facts.Kind == Colours::Unsupported) return Failure{decode_errors::InvalidColorFormat(kShortName)};
    const auto width = static_cast<std::int32_t>(facts.Width);
    const auto height = static_cast<std::int32_t>(facts.Height);
    // Every scan of a progressive file is a pass over the whole picture.
    const std::uint64_t most_scans = budget.PassesOver(std::uint64_t{facts.Width} * facts.Height);
    return TPicture::DeferredReducible(
        width, height, false,
        [bytes = std::move(bytes), width, height, most_scans](PixelSize cover) -> Result<PixelImage, DecodeError> {
          const int eighths = EighthsToCover(width, height, cover);
          PixelImage image = PixelImage::Blank(ReducedSide(width, eighths), ReducedSide(height, eighths));
          if (const int code = Decompress(*bytes, eighths, most_scans, &image); code != 0) {
            return Failure{LibraryError(code)};
          }
          return image;
        });
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeJpegDecoder() { return std::make_shared<JpegDecoder>(); }

}  // namespace ris
