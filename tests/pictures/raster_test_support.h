#pragma once
// Shared checks for the tests of the extended raster decoders: decode a file
// made by an independent tool and compare it with ImageMagick's reading.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "pictures/image_decoder.h"
#include "pictures/picture.h"
#include "reference_pictures.h"
#include "support/temp_folder.h"

namespace ris::testing_support {

// A test file written by an independent tool.
struct ToolMadeFile {
  const char* file;
  const char* make;   // the shell command, run in the test's folder
  int tolerance = 0;  // for samples ImageMagick rounds twice
  // Where ImageMagick misreads a file: another tool's reading to compare with.
  const char* reference = "";
};

inline void PrintTo(const ToolMadeFile& made, std::ostream* out) { *out << made.file; }

// Decodes `bytes`; the pixels on success, the message otherwise.
inline Result<PixelImage, DecodeError> DecodeToPixels(const ImageDecoder& decoder, const std::string& bytes) {
  auto picture = decoder.Decode(AsBytes(bytes));
  if (!picture) return Failure{picture.error()};
  auto pixels = picture->Pixels();
  if (!pixels) return Failure{pixels.error()};
  return **pixels;
}

// The decoder recognises `file`, decodes it and agrees with ImageMagick to the
// last bit of every channel. `tolerance` is for samples that ImageMagick
// rounds twice (to 16 bits, then to 8) where the decoder rounds once.
inline void ExpectSameAsImageMagick(const ImageDecoder& decoder, const TempFolder& folder,
                                    const std::string& file, int tolerance = 0,
                                    bool auto_orient = false, const std::string& reference_file = "") {
  const std::string bytes = folder.Read(file);
  ASSERT_FALSE(bytes.empty()) << file << " was not written";
  EXPECT_TRUE(decoder.Recognises(AsBytes(bytes))) << file;
  const auto decoded = DecodeToPixels(decoder, bytes);
  ASSERT_TRUE(decoded.ok()) << file << ": " << decoded.error().Message;
  // ImageMagick keeps a Targa's stored row order as an orientation tag;
  // applying the tag gives the picture as the format defines it.
  if (auto_orient) {
    ASSERT_TRUE(folder.Run("convert '" + file + "[0]' -auto-orient oriented.png"));
  }
  const std::string reference_name =
      !reference_file.empty() ? reference_file : auto_orient ? "oriented.png" : file;
  const auto reference = ReadWithImageMagick(folder, reference_name);
  ASSERT_TRUE(reference.has_value()) << file;
  const int difference = LargestChannelDifference(*decoded, *reference);
  EXPECT_GE(difference, 0) << file << ": sizes differ";
  if (difference > tolerance) {
    for (std::size_t i = 0; i < decoded->Pixels.size(); ++i) {
      const Bgra p = decoded->Pixels[i];
      const Bgra q = reference->Pixels[i];
      if (std::max({std::abs(p.B - q.B), std::abs(p.G - q.G), std::abs(p.R - q.R), std::abs(p.A - q.A)}) > tolerance) {
        ADD_FAILURE() << file << ": first difference at pixel " << i << ": decoded BGRA " << int{p.B} << ","
                      << int{p.G} << "," << int{p.R} << "," << int{p.A} << " reference " << int{q.B} << ","
                      << int{q.G} << "," << int{q.R} << "," << int{q.A};
        break;
      }
    }
  }
}

// Every prefix of `bytes` (in steps) decodes or fails with a message; a
// failure names the format.
inline void ExpectTruncationsHandled(const ImageDecoder& decoder, const std::string& bytes,
                                     std::size_t step = 1) {
  for (std::size_t size = 0; size < bytes.size(); size += step) {
    const auto decoded = DecodeToPixels(decoder, bytes.substr(0, size));
    if (!decoded) {
      EXPECT_NE(decoded.error().Message.find(decoder.ShortName()), std::string::npos)
          << "prefix " << size << ": " << decoded.error().Message;
    }
  }
}

// A file a decoder must refuse, and the message it must give.
struct RefusedFile {
  const char* Label;
  std::string Bytes;
  DecodeError Expected;
};

inline void ExpectRefused(const ImageDecoder& decoder, const std::vector<RefusedFile>& files) {
  for (const RefusedFile& file : files) {
    SCOPED_TRACE(file.Label);
    const auto decoded = decoder.Decode(AsBytes(file.Bytes));
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().Message, file.Expected.Message);
  }
}

// Fields of hand-made files, appended in the byte order of the format.
inline void AppendLittle(std::string& s, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(value >> (8 * i));
}
inline void AppendBig(std::string& s, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(value >> (8 * i));
}

// A byte-wise run-length code of `bytes` for hand-made files: runs of three
// or more equal bytes become repeat packets, the rest literal packets, at
// most `limit` bytes each; the format's control bytes come from `repeat`
// and `literal`, given the packet's length.
inline std::string PackRuns(std::string_view bytes, std::size_t limit, const std::function<char(std::size_t)>& repeat,
                            const std::function<char(std::size_t)>& literal) {
  std::string code;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t run = 1;
    while (i + run < bytes.size() && run < limit && bytes[i + run] == bytes[i]) ++run;
    if (run >= 3) {
      code += repeat(run);
      code += bytes[i];
      i += run;
      continue;
    }
    std::size_t length = 0;
    while (i + length < bytes.size() && length < limit &&
           !(i + length + 2 < bytes.size() && bytes[i + length] == bytes[i + length + 1] &&
             bytes[i + length] == bytes[i + length + 2])) {
      ++length;
    }
    code += literal(length);
    code.append(bytes.substr(i, length));
    i += length;
  }
  return code;
}

}  // namespace ris::testing_support
