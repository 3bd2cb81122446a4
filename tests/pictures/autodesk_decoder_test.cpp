// Nothing in Debian reads or writes Autodesk Animator cels, so the file is
// made here and its colours are worked out by hand: six-bit palette levels
// stretched to 0..255, rounded to nearest.
#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

// A 3 x 2 cel whose pixels are indices 0..5; entry i of the palette is
// `colours[i]` (red, green, blue in six bits), the rest black.
std::string Cel(const std::string& colours, const std::string& indices = std::string("\0\1\2\3\4\5", 6)) {
  std::string file;
  for (const std::uint32_t field : {0x9119u, 3u, 2u, 0u, 0u}) AppendLittle(file, field, 2);
  file += '\x08';
  file += '\0';
  AppendLittle(file, 6, 4);
  file += std::string(16, '\0');
  std::string palette = colours;
  palette.resize(768, '\0');
  return file + palette + indices;
}

TEST(AutodeskDecoder, MapsSixBitPaletteLevelsToBytes) {
  const std::string colours = {63, 0, 0, 0, 63, 0, 0, 0, 63, 32, 16, 1, 0, 0, 0, 63, 63, 63};
  const auto decoded = DecodeToPixels(*MakeAutodeskDecoder(), Cel(colours));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  const Bgra expected[] = {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255},
                           {4, 65, 130, 255}, {0, 0, 0, 255},   {255, 255, 255, 255}};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(decoded->Pixels[i], expected[i]) << i;
}

TEST(AutodeskDecoder, RecognisesItsHeaderAndRefusesDamage) {
  const auto decoder = MakeAutodeskDecoder();
  const std::string good = Cel({1, 2, 3});
  EXPECT_TRUE(decoder->Recognises(AsBytes(good)));
  std::string compressed = good;
  compressed[11] = 1;
  EXPECT_FALSE(decoder->Recognises(AsBytes(compressed)));
  std::string deep = good;
  deep[10] = 4;
  ExpectRefused(*decoder, {{"compressed", compressed, decode_errors::NotSupported("Compressed pictures are", "Autodesk")},
                           {"four bits", deep, decode_errors::InvalidColorFormat("Autodesk")},
                           {"palette level above 63", Cel({64}), decode_errors::InvalidPalette("Autodesk")},
                           {"pixels missing", good.substr(0, good.size() - 1), decode_errors::ReadError("Autodesk")}});
  ExpectTruncationsHandled(*decoder, good, 7);
}

}  // namespace
}  // namespace ris
