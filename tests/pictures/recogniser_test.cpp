// Every recogniser of the standard list must accept its own format and
// refuse every other: a picture is decoded by the first recogniser that says
// yes, so one that is too eager steals the pictures of the formats after it.
#include <gtest/gtest.h>

#include <string>

#include "pictures/file_format_list.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

using testing_support::MakeTestPicture;
using testing_support::TempFolder;
using testing_support::ToolAvailable;

struct Sample {
  const char* File;     // written by ImageMagick; the extension picks the format
  const char* Options;
};

// The format of each file is looked up by its extension in the same list. A
// plain decoder (found by extension only) must not be named by content, and
// a format whose decoder is not registered yet must not be claimed at all.
const Sample kSamples[] = {
    {"sample.png", ""},
    {"sample.jpg", "-alpha off"},
    {"sample.bmp", ""},
    {"sample.gif", ""},
    {"sample.tga", ""},
    {"sample.tif", ""},
    {"sample.pcx", ""},
    {"sample.sgi", ""},
    {"sample.psd", ""},
    {"sample.ppm", "-alpha off"},
    {"sample.pgm", "-alpha off"},
    {"sample.pbm", "-alpha off"},
    {"sample.ico", ""},
    {"sample.pcd", "-alpha off"},
};

TEST(RecogniserTest, EachFormatIsRecognisedByItsOwnDecoderOnly) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  const TFileFormatList& list = StandardFormatList();
  TempFolder folder;
  for (const Sample& sample : kSamples) {
    ASSERT_TRUE(MakeTestPicture(folder, sample.File, sample.Options, 16, 16)) << sample.File;
    const std::string bytes = folder.Read(sample.File);
    const ByteSpan data = AsBytes(bytes);

    const ImageDecoder* own = list.DecoderForExtension(EntryNameExtension(sample.File));
    const std::string expected = own && own->IsExtended() ? std::string(own->ShortName()) : "(none)";
    const ImageDecoder* found = list.DecoderForContent(data);
    const std::string answered = found ? std::string(found->ShortName()) : "(none)";
    EXPECT_EQ(answered, expected) << sample.File;
  }
}

}  // namespace
}  // namespace ris
