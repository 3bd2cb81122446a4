#include "pictures/tiff_errors.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include <tiffio.h>

namespace ris {
namespace {

// The messages of JPEG-compressed pictures that more than one check gives.
namespace tiff_jpeg_errors {
DecodeError UnexpectedEnd() { return {"JPEG decompression error. Unexpected end of input."}; }
DecodeError BogusTables() { return {"Bogus JPEG tables field."}; }
}  // namespace tiff_jpeg_errors

bool ValidBitDepth(std::uint16_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16; }
bool ValidSubsampling(std::uint16_t factor) { return factor == 1 || factor == 2 || factor == 4; }

// The samples each pixel needs for its colour model; 0 for a model this
// reader does not know.
std::uint16_t ColourSamples(TIFF* tif, std::uint16_t photometric) {
  switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_LOGL:
      return 1;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
    case PHOTOMETRIC_LOGLUV:
      return 3;
    case PHOTOMETRIC_SEPARATED: {
      std::uint16_t inks = INKSET_CMYK;
      TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inks);
      return inks == INKSET_CMYK ? 4 : 1;
    }
    default:
      return 0;
  }
}

std::optional<DecodeError> ColourModelError(TIFF* tif, std::string_view format) {
  std::uint16_t photometric = 0;
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 1) return std::nullopt;  // libtiff's default applies
  const std::uint16_t needed = ColourSamples(tif, photometric);
  if (needed == 0) return decode_errors::InvalidColorFormat(format);
  std::uint16_t samples = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  if (samples < needed) return decode_errors::SampleCountMismatch();
  if (photometric == PHOTOMETRIC_YCBCR) {
    std::uint16_t horizontal = 2;
    std::uint16_t vertical = 2;
    TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical);
    if (!ValidSubsampling(horizontal) || !ValidSubsampling(vertical)) return decode_errors::InvalidSubsampling();
    if (vertical > horizontal) return decode_errors::VerticalSubsamplingTooLarge();
  }
  return std::nullopt;
}

// Shared JPEG tables are an abbreviated JPEG stream: start of image, tables,
// end of image.
bool JpegTablesBogus(TIFF* tif) {
  std::uint32_t size = 0;
  const std::uint8_t* tables = nullptr;
  if (TIFFGetField(tif, TIFFTAG_JPEGTABLES, &size, &tables) != 1) return false;
  return size < 4 || tables == nullptr || tables[0] != 0xFF || tables[1] != 0xD8 || tables[size - 2] != 0xFF ||
         tables[size - 1] != 0xD9;
}

bool StrilesWithinData(TIFF* tif, std::uint64_t data_size) {
  const std::uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t offset = TIFFGetStrileOffset(tif, i);
    const std::uint64_t size = TIFFGetStrileByteCount(tif, i);
    if (offset > data_size || size > data_size - offset) return false;
  }
  return true;
}

bool IsJpeg(TIFF* tif) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  return compression == COMPRESSION_JPEG;
}

// A part of libtiff's message, and the words the user gets for it.
struct LibraryWords {
  std::string_view Needle;
  DecodeError (*Message)(std::string_view format);
  bool JpegOnly;
};

using std::string_view;
const std::array<LibraryWords, 14> kLibraryWords{{
    {"Improper JPEG strip/tile size", [](string_view) { return DecodeError{"Improper JPEG strip/tile size."}; }, true},
    {"JPEG strip/tile size exceeds", [](string_view) { return DecodeError{"Improper JPEG strip/tile size."}; }, true},
    {"Improper JPEG component count", [](string_view) { return DecodeError{"Improper JPEG component count."}; }, true},
    {"Improper JPEG data precision", [](string_view) { return DecodeError{"Improper JPEG data precision."}; }, true},
    {"Improper JPEG sampling factors", [](string_view) { return DecodeError{"Improper JPEG sampling factors."}; }, true},
    {"ractional scanline", [](string_view) { return DecodeError{"Fractional JPEG scanline unsupported."}; }, true},
    {"Bogus JPEGTables", [](string_view) { return tiff_jpeg_errors::BogusTables(); }, true},
    {"Premature end of JPEG", [](string_view) { return tiff_jpeg_errors::UnexpectedEnd(); }, true},
    {"Read error", [](string_view) { return tiff_jpeg_errors::UnexpectedEnd(); }, true},
    {"Invalid YCbCr subsampling", [](string_view) { return decode_errors::InvalidSubsampling(); }, false},
    {"Read error", decode_errors::ReadError, false},
    {"Premature EOF", decode_errors::ReadError, false},
    {"can not handle", [](string_view) { return decode_errors::ColorConversionFailed(); }, false},
    {"PhotometricInterpretation", decode_errors::InvalidColorFormat, false},
}};

bool Mentions(std::string_view message, std::string_view part) { return message.find(part) != std::string_view::npos; }

}  // namespace

std::optional<DecodeError> ErrorFromTags(const TiffMemoryFile& file, std::string_view format) {
  TIFF* tif = file.Handle();
  std::uint16_t bits = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  if (!ValidBitDepth(bits)) return decode_errors::InvalidBitDepth();
  if (auto error = ColourModelError(tif, format)) return error;
  const bool jpeg = IsJpeg(tif);
  if (jpeg && JpegTablesBogus(tif)) return tiff_jpeg_errors::BogusTables();
  if (!StrilesWithinData(tif, file.Data().size())) {
    return jpeg ? tiff_jpeg_errors::UnexpectedEnd() : decode_errors::ReadError(format);
  }
  return std::nullopt;
}

std::optional<DecodeError> ErrorFromLibrary(std::string_view library_message, bool jpeg, std::string_view format) {
  for (const LibraryWords& words : kLibraryWords) {
    if ((jpeg || !words.JpegOnly) && Mentions(library_message, words.Needle)) return words.Message(format);
  }
  return std::nullopt;
}

}  // namespace ris
