#include "pictures/file_format_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pictures/png_decoder.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

// Recognises data that starts with its magic text; decodes to a 1 x 1 picture
// whose red channel is its id, or fails with its message when one is given.
class FakeDecoder final : public ImageDecoder {
 public:
  FakeDecoder(std::string name, bool extended, std::string magic, std::uint8_t id,
              std::string failure = {})
      : name_(std::move(name)), extended_(extended), magic_(std::move(magic)), id_(id),
        failure_(std::move(failure)) {}

  std::string_view ShortName() const override { return name_; }
  bool IsExtended() const override { return extended_; }
  bool Recognises(ByteSpan data) const override {
    ++asked;
    const std::string_view head(reinterpret_cast<const char*>(data.data()), data.size());
    return !magic_.empty() && head.starts_with(magic_);
  }
  Result<TPicture, DecodeError> Decode(ByteSpan /*data*/) const override {
    if (!failure_.empty()) return Failure{DecodeError{failure_}};
    return TPicture::FromPixels(PixelImage::Blank(1, 1, Bgra{0, 0, id_, 255}), false);
  }

  mutable int asked = 0;

 private:
  std::string name_;
  bool extended_;
  std::string magic_;
  std::uint8_t id_;
  std::string failure_;
};

std::uint8_t IdOf(const TPicture& picture) {
  const auto pixels = picture.Pixels();
  return pixels ? (*pixels)->Pixels[0].R : 0;
}

struct Fixture {
  std::shared_ptr<FakeDecoder> plain = std::make_shared<FakeDecoder>("PLAIN", false, "AB", 1);
  std::shared_ptr<FakeDecoder> first = std::make_shared<FakeDecoder>("FIRST", true, "AB", 2);
  std::shared_ptr<FakeDecoder> second = std::make_shared<FakeDecoder>("SECOND", true, "A", 3);
  std::shared_ptr<FakeDecoder> broken =
      std::make_shared<FakeDecoder>("BROKEN", true, "BAD", 4, "Cannot load image. It is broken.");
  TFileFormatList list;

  Fixture() {
    list.Register("pln", plain);
    list.Register("Fst", first);
    list.Register("snd", second);
    list.Register("pl2", plain);  // second extension: no new decoder record
    list.Register("bad", broken);
  }
};

TEST(FileFormatListTest, CountsDecodersOnceAndEveryExtension) {
  Fixture f;
  EXPECT_EQ(f.list.DecoderCount(), 4u);
  EXPECT_EQ(f.list.ExtensionCount(), 5u);
  EXPECT_EQ(f.list.Extensions(), (std::vector<std::string_view>{"pln", "fst", "snd", "pl2", "bad"}));
}

TEST(FileFormatListTest, FirstRegisteredExtendedDecoderWinsByContent) {
  Fixture f;
  struct Case {
    std::string_view data;
    const ImageDecoder* expected;
  };
  const Case cases[] = {
      {"ABC", f.first.get()},   // both extended decoders accept; the first listed wins
      {"AXY", f.second.get()},  // only the second accepts
      {"BADX", f.broken.get()},
      {"XYZ", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(f.list.DecoderForContent(AsBytes(c.data)), c.expected) << c.data;
  EXPECT_EQ(f.plain->asked, 0) << "plain decoders are never asked by content";
}

TEST(FileFormatListTest, ExtensionLookupDropsUpToFirstDotAndIgnoresAsciiCase) {
  Fixture f;
  struct Case {
    std::string_view extension;
    const ImageDecoder* expected;
  };
  const Case cases[] = {
      {"pln", f.plain.get()},       {".pln", f.plain.get()},     {"PL2", f.plain.get()},
      {"fst", f.first.get()},       {"FST", f.first.get()},      {"x.Snd", f.second.get()},
      {"a.b.snd", nullptr},         {"pln.snd", f.second.get()}, {"", nullptr},
      {"pl", nullptr},              {"plnx", nullptr},           {"p\xc5n", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(f.list.DecoderForExtension(c.extension), c.expected) << c.extension;
}

TEST(FileFormatListTest, EntryNameExtensionComesFromTheLastDotOfTheLastName) {
  EXPECT_EQ(EntryNameExtension("pics\\a.b.png"), ".png");
  EXPECT_EQ(EntryNameExtension("sets.old\\readme"), "");
  EXPECT_EQ(EntryNameExtension("sets.old/readme"), "");
  EXPECT_EQ(EntryNameExtension("readme"), "");
  EXPECT_EQ(EntryNameExtension("trailing."), ".");
}

TEST(FileFormatListTest, LoadPrefersContentThenExtension) {
  Fixture f;
  TPicture target;
  EXPECT_TRUE(f.list.LoadPictureFromStream(target, AsBytes("AXY"), "picture.pln"));
  EXPECT_EQ(IdOf(target), 3);
  // Unrecognised content: the plain decoder of the extension, in any case.
  EXPECT_TRUE(f.list.LoadPictureFromStream(target, AsBytes("XYZ"), "sets\\picture.PLN"));
  EXPECT_EQ(IdOf(target), 1);
}

TEST(FileFormatListTest, NoDecoderOrFailureLeavesTheTargetUntouched) {
  Fixture f;
  TPicture target;
  ASSERT_TRUE(f.list.LoadPictureFromStream(target, AsBytes("ABC"), "x"));
  struct Case {
    std::string_view data;
    std::string_view name;
    LoadOutcome outcome;
    std::string_view message;
  };
  const Case cases[] = {
      {"XYZ", "picture.unknown", LoadOutcome::NoDecoder, ""},
      {"XYZ", "picture", LoadOutcome::NoDecoder, ""},
      {"XYZ", "sets.pln\\readme", LoadOutcome::NoDecoder, ""},
      {"BAD!", "picture.pln", LoadOutcome::Failed, "Cannot load image. It is broken."},
      {"XYZ", "picture.bad", LoadOutcome::Failed, "Cannot load image. It is broken."},
  };
  for (const Case& c : cases) {
    const LoadResult result = f.list.LoadPictureFromStream(target, AsBytes(c.data), c.name);
    EXPECT_EQ(result.Outcome, c.outcome) << c.name;
    EXPECT_EQ(result.Message, c.message) << c.name;
    EXPECT_FALSE(result);
    EXPECT_EQ(IdOf(target), 2) << c.name;
  }
}

TEST(StandardFormatListTest, EveryExtensionOfTheFormatTableInRowOrder) {
  // Row by row, each extension with its decoder.
  const std::pair<const char*, std::string_view> rows[] = {
      {"bmp", "BMP"},    {"ico", "ICO"},    {"wmf", "metafile"},       {"emf", "metafile"},       {"jfif", "JPEG"},
      {"jpg", "JPEG"},   {"jpe", "JPEG"},   {"jpeg", "JPEG"},  {"rle", "BMP"},    {"dib", "BMP"},
      {"win", "Targa"},  {"vst", "Targa"},  {"vda", "Targa"},  {"tga", "Targa"},  {"icb", "Targa"},
      {"tiff", "TIFF"},  {"tif", "TIFF"},   {"fax", "TIFF"},   {"eps", "EPS"},    {"pcx", "PCX"},
      {"pcc", "PCX"},    {"scr", "PCX"},    {"rpf", "RLA"},       {"rla", "RLA"},       {"sgi", "SGI"},
      {"rgba", "SGI"},   {"rgb", "SGI"},    {"bw", "SGI"},     {"psd", "PSD"},    {"pdd", "PSD"},
      {"ppm", "PPM"},    {"pgm", "PPM"},    {"pbm", "PPM"},    {"cel", "Autodesk"},       {"pic", "Autodesk"},
      {"pcd", "PCD"},       {"gif", "GIF"},    {"cut", "CUT"},       {"psp", "PSP"},       {"png", "PNG"},
  };
  const TFileFormatList& list = StandardFormatList();
  std::vector<std::string_view> extensions;
  std::vector<std::string_view> row_order;
  for (const auto& [extension, decoder] : rows) {
    extensions.push_back(extension);
    const ImageDecoder* found = list.DecoderForExtension(extension);
    EXPECT_EQ(found ? found->ShortName() : "", decoder) << extension;
    if (!decoder.empty() && std::find(row_order.begin(), row_order.end(), decoder) == row_order.end()) {
      row_order.push_back(decoder);
    }
  }
  EXPECT_EQ(list.Extensions(), extensions);
  EXPECT_EQ(list.DecoderNames(), row_order);
}

TEST(StandardFormatListTest, PngStoredAsJpgIsDecodedAsPng) {
  using testing_support::MakeTestPicture;
  testing_support::TempFolder folder;
  if (!testing_support::ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  ASSERT_TRUE(MakeTestPicture(folder, "p.png", "", 7, 5));
  const std::string png = folder.Read("p.png");
  const TFileFormatList& list = StandardFormatList();
  for (const std::string_view name : {"photo.jpg", "A.PNG", "a.png", "noextension", "sets.old\\readme"}) {
    TPicture target;
    EXPECT_TRUE(list.LoadPictureFromStream(target, AsBytes(png), name)) << name;
    EXPECT_EQ(target.Width(), 7) << name;
  }
  EXPECT_EQ(list.DecoderForExtension("A.PNG"), list.DecoderForExtension("a.png"));
  ASSERT_NE(list.DecoderForExtension("png"), nullptr);
  EXPECT_EQ(list.DecoderForExtension("png")->ShortName(), "PNG");

  TPicture untouched;
  EXPECT_EQ(list.LoadPictureFromStream(untouched, AsBytes("not a picture"), "sets.png\\readme").Outcome,
            LoadOutcome::NoDecoder);
  EXPECT_TRUE(untouched.Empty());
  const LoadResult damaged = list.LoadPictureFromStream(untouched, AsBytes(png.substr(0, 40)), "x.png");
  EXPECT_EQ(damaged.Outcome, LoadOutcome::Failed);
  EXPECT_FALSE(damaged.Message.empty());
  EXPECT_TRUE(untouched.Empty());
}

TEST(StandardFormatListTest, HandWrittenRowsNameTheirDecoders) {
  const TFileFormatList& list = StandardFormatList();
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"rpf", "RLA"}, {"rla", "RLA"}, {"cel", "Autodesk"}, {"pic", "Autodesk"},
      {"pcd", "PCD"}, {"cut", "CUT"}, {"psp", "PSP"}};
  for (const auto& [extension, decoder] : rows) {
    ASSERT_NE(list.DecoderForExtension(extension), nullptr) << extension;
    EXPECT_EQ(list.DecoderForExtension(extension)->ShortName(), decoder) << extension;
  }
}

TEST(StandardFormatListTest, DrHaloPicturesAreFoundByExtensionOnly) {
  // 1280 x 1, one run of 127 grey pixels ten times and one of 10.
  std::string cut("\x00\x05\x01\x00\x00\x00\x17\x00", 8);
  for (int run = 0; run < 10; ++run) cut += "\xFF\x40";
  cut += std::string("\x8A\x40\x00", 3);
  const TFileFormatList& list = StandardFormatList();
  TPicture target;
  EXPECT_EQ(list.LoadPictureFromStream(target, AsBytes(cut), "picture.bin").Outcome, LoadOutcome::NoDecoder);
  EXPECT_TRUE(list.LoadPictureFromStream(target, AsBytes(cut), "sets\\picture.CUT"));
  EXPECT_EQ(target.Width(), 1280);
}

// A 16 x 10 Dr. Halo picture whose first bytes pass Targa's plausibility
// check (ID length 16, run-length true colour, 24 bits per pixel): a format
// with a signature wins by content, one without yields to the extension.
TEST(StandardFormatListTest, ExtensionWinsOverARecogniserWithoutSignature) {
  std::string cut("\x10\x00\x0A\x00\x00\x00", 6);
  cut += std::string("\x0D\x00\x09\x01\x02\x03\x04\x05\x06\x07\x18\x08\x87\x09\x00", 15);
  for (int row = 1; row < 10; ++row) cut += std::string("\x03\x00\x90\x05\x00", 5);
  const std::string png("\x89PNG\r\n\x1A\n", 8);
  const TFileFormatList& list = StandardFormatList();
  ASSERT_EQ(list.DecoderForContent(AsBytes(cut)), list.DecoderForExtension("tga"));
  const struct {
    const std::string* data;
    std::string_view name;
    std::string_view decoder;
  } cases[] = {
      {&cut, "picture.cut", "CUT"},     {&cut, "picture.tga", "Targa"},  {&cut, "picture.unknown", "Targa"},
      {&cut, "picture", "Targa"},       {&png, "picture.tga", "PNG"},    {&png, "picture.cut", "PNG"},
  };
  for (const auto& c : cases) {
    const ImageDecoder* chosen = list.ChooseDecoder(AsBytes(*c.data), c.name);
    EXPECT_EQ(chosen ? chosen->ShortName() : "", c.decoder) << c.name;
  }
  TPicture target;
  const LoadResult loaded = list.LoadPictureFromStream(target, AsBytes(cut), "sets\\picture.cut");
  ASSERT_TRUE(loaded) << loaded.Message;
  EXPECT_EQ(target.Width(), 16);
  EXPECT_EQ(target.Height(), 10);
}

}  // namespace
}  // namespace ris
