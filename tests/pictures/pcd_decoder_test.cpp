#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

// Photo-CD is lossy twice over: chroma is kept once per 2 x 2 pixels and
// both readers round their own way. On a picture of smooth gradients the
// decoder stays within 4 levels of ImageMagick in every channel.
constexpr int kTolerance = 4;

struct Turn {
  const char* file;
  const char* orientation;  // the low bits of the byte at 0x0E02, in octal for printf
  const char* reference;    // ImageMagick's reading, or how to make it
};

class PcdFiles : public ::testing::TestWithParam<Turn> {};

TEST_P(PcdFiles, MatchImageMagick) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(folder.Run("convert -size 768x512 gradient:'#ff0000-#0000ff' \\( -size 512x768 "
                         "gradient:'#00ff00-#000000' -rotate 90 \\) -compose plus -composite base.pcd"));
  ASSERT_TRUE(folder.Run(std::string("cp base.pcd ") + GetParam().file + " && printf '\\" + GetParam().orientation +
                         "' | dd of=" + GetParam().file + " bs=1 seek=3586 conv=notrunc"));
  ASSERT_TRUE(folder.Run(GetParam().reference));
  ExpectSameAsImageMagick(*MakePcdDecoder(), folder, GetParam().file, kTolerance, false, "reference.png");
}

// ImageMagick turns the picture a quarter either way but leaves a half turn
// undone, so that one is compared with its reading turned by hand.
INSTANTIATE_TEST_SUITE_P(Orientations, PcdFiles,
                         ::testing::Values(Turn{"upright.pcd", "0", "convert upright.pcd reference.png"},
                                           Turn{"left.pcd", "1", "convert left.pcd reference.png"},
                                           Turn{"over.pcd", "2", "convert over.pcd -rotate 180 reference.png"},
                                           Turn{"right.pcd", "3", "convert right.pcd reference.png"}));

TEST(PcdDecoder, RefusesOtherAndShortFiles) {
  std::string pack(0x800, '\0');
  pack += "PCD_IPI";
  const auto decoder = MakePcdDecoder();
  EXPECT_TRUE(decoder->Recognises(AsBytes(pack)));
  ExpectRefused(*decoder, {{"no image pack", std::string(0x900, 'x'), decode_errors::InvalidFormat("PCD")},
                           {"no base image", pack, decode_errors::ReadError("PCD")},
                           {"too short to tell", "PCD_OPA", decode_errors::ReadError("PCD")}});
}

}  // namespace
}  // namespace ris
