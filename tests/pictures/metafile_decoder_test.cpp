// Only Windows draws metafiles; what is portable is the measuring and the
// hand-over to the installed player. No tool in Debian writes WMF or EMF, so
// the headers are made here.
#include "pictures/metafile_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

std::string PlainWmfHeader() {
  std::string header;
  for (const std::uint32_t word : {1u, 9u, 0x0300u}) AppendLittle(header, word, 2);
  return header + std::string(12, '\0');
}

// A placeable WMF whose box is `wide` x `high` units of `inch` per inch.
std::string Placeable(std::int16_t wide, std::int16_t high, std::uint16_t inch) {
  std::string file;
  AppendLittle(file, 0x9AC6CDD7u, 4);
  for (const std::uint32_t field : {0u, 0u, 0u, static_cast<std::uint32_t>(static_cast<std::uint16_t>(wide)),
                                    static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)), std::uint32_t{inch}}) {
    AppendLittle(file, field, 2);
  }
  return file + std::string(6, '\0') + PlainWmfHeader();
}

// A plain WMF whose records set the window extent, then end.
std::string PlainWithExtent(std::uint16_t x, std::uint16_t y) {
  std::string file = PlainWmfHeader();
  AppendLittle(file, 5, 4);
  AppendLittle(file, 0x020C, 2);
  AppendLittle(file, y, 2);
  AppendLittle(file, x, 2);
  AppendLittle(file, 3, 4);
  AppendLittle(file, 0, 2);
  return file;
}

// An EMF: a header of 108 bytes with the given frame (0.01 mm) and bounds
// (pixels), then the end record of 20 bytes.
std::string Enhanced(std::int32_t frame_width, std::int32_t frame_height, std::int32_t bounds_right = 0,
                     std::int32_t bounds_bottom = 0) {
  std::string file;
  AppendLittle(file, 1, 4);
  AppendLittle(file, 108, 4);
  for (const std::int32_t side : {0, 0, bounds_right, bounds_bottom, 0, 0, frame_width, frame_height}) {
    AppendLittle(file, static_cast<std::uint32_t>(side), 4);
  }
  AppendLittle(file, 0x464D4520u, 4);
  AppendLittle(file, 0x10000, 4);
  AppendLittle(file, 128, 4);  // the file's size
  file += std::string(56, '\0');
  AppendLittle(file, 14, 4);
  AppendLittle(file, 20, 4);
  return file + std::string(12, '\0');
}

// The file with the 32-bit field at `at` set to `value`.
std::string WithField(std::string file, std::size_t at, std::uint32_t value) {
  std::string field;
  AppendLittle(field, value, 4);
  return file.replace(at, 4, field);
}

TEST(MetafileDecoder, MeasuresEachKindOfHeader) {
  const struct {
    const char* label;
    std::string file;
    std::int32_t width, height;
  } cases[] = {
      {"placeable, 1440 units per inch", Placeable(2880, 1440, 1440), 192, 96},
      {"placeable, box drawn upward", Placeable(-960, -480, 96), 960, 480},
      {"plain, window extent", PlainWithExtent(300, 200), 300, 200},
      {"enhanced, frame of 5.08 x 2.54 cm", Enhanced(5080, 2540), 192, 96},
      {"enhanced without frame: bounds", Enhanced(0, 0, 99, 49), 100, 50},
  };
  for (const auto& c : cases) {
    const auto frame = MeasureMetafile(AsBytes(c.file));
    ASSERT_TRUE(frame.ok()) << c.label << ": " << frame.error().Message;
    EXPECT_EQ(frame->Width, c.width) << c.label;
    EXPECT_EQ(frame->Height, c.height) << c.label;
  }
}

TEST(MetafileDecoder, RefusesHeadersWithoutAUsableSize) {
  const struct {
    const char* label;
    std::string file;
    DecodeError expected;
  } cases[] = {
      {"placeable, no units", Placeable(100, 100, 0), decode_errors::InvalidFormat("metafile")},
      {"placeable, empty box", Placeable(0, 100, 96), decode_errors::InvalidFormat("metafile")},
      {"placeable, cut short", Placeable(10, 10, 96).substr(0, 30), decode_errors::ReadError("metafile")},
      {"plain, no extent", PlainWmfHeader(), decode_errors::NotSupported("Metafiles without a window extent are", "metafile")},
      {"enhanced, huge frame", Enhanced(2000000000, 2000000000), decode_errors::TooLarge("metafile")},
      {"enhanced, no signature", Enhanced(100, 100).substr(0, 40), decode_errors::InvalidFormat("metafile")},
      {"not a metafile", "GIF89a..", decode_errors::InvalidFormat("metafile")},
  };
  for (const auto& c : cases) {
    const auto frame = MeasureMetafile(AsBytes(c.file));
    ASSERT_FALSE(frame.ok()) << c.label;
    EXPECT_EQ(frame.error().Message, c.expected.Message) << c.label;
  }
}

// GDI trusts the record sizes of a WMF and an EMF; records it could not
// walk are refused before it sees them.
TEST(MetafileDecoder, RefusesRecordsThatDoNotAddUp) {
  const std::string file = Enhanced(100, 100);
  const std::string plain = PlainWithExtent(300, 200);
  const struct {
    const char* label;
    std::string file;
  } cases[] = {
      {"WMF record shorter than its size and function", WithField(plain, 18, 2)},
      {"WMF record past the data", WithField(plain, 18, 50)},
      {"WMF cut inside a record", plain.substr(0, plain.size() - 3)},
      {"placeable WMF record past the data", Placeable(96, 96, 96) + plain.substr(18, 6)},
      {"end record of size 0", WithField(file, 112, 0)},
      {"end record not in whole words", WithField(file, 112, 18)},
      {"end record past the file's size", WithField(file, 112, 24)},
      {"file's size past the data", WithField(file, 48, 132)},
      {"file's size within the header", WithField(file, 48, 100)},
      {"header shorter than its fields", WithField(file, 4, 80)},
  };
  for (const auto& c : cases) {
    const auto frame = MeasureMetafile(AsBytes(c.file));
    ASSERT_FALSE(frame.ok()) << c.label;
    EXPECT_EQ(frame.error().Message, decode_errors::InvalidFormat("metafile").Message) << c.label;
  }
}

// Stands in for the Win32 shell's GDI player.
class FakePlayer final : public MetafilePlayer {
 public:
  Result<PixelImage, DecodeError> Play(ByteSpan metafile, const MetafileFrame&, PixelSize size) const override {
    ++plays;
    played_bytes = metafile.size();
    return PixelImage::Blank(size.Width, size.Height, Bgra{1, 2, 3, 255});
  }
  mutable int plays = 0;
  mutable std::size_t played_bytes = 0;
};

// A metafile is drawn at the size it is shown, never larger than its frame.
TEST(MetafileDecoder, DrawsAtTheSizeShown) {
  const MetafileFrame frame{.Width = 4000, .Height = 2000};
  const struct {
    PixelSize cover, drawn;
  } cases[] = {
      {{}, {4000, 2000}},
      {{400, 100}, {400, 200}},
      {{100, 150}, {300, 150}},
      {{3999, 1}, {3999, 2000}},
      {{8000, 10}, {4000, 2000}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MetafileDrawnSize(frame, c.cover), c.drawn) << c.cover.Width << " x " << c.cover.Height;
  }
  const auto player = std::make_shared<FakePlayer>();
  InstallMetafilePlayer(player);
  const std::string file = Enhanced(105833, 52917);  // 4000 x 2000 pixels
  auto picture = MakeMetafileDecoder()->Decode(AsBytes(file));
  auto whole = MakeMetafileDecoder()->Decode(AsBytes(Enhanced(264583, 52917)));  // 10000 x 2000
  InstallMetafilePlayer(nullptr);
  ASSERT_TRUE(picture.ok()) << picture.error().Message;
  const auto shown = picture->SharedPixels({400, 100});
  ASSERT_TRUE(shown.ok()) << shown.error().Message;
  EXPECT_EQ((*shown)->Width, 400);
  EXPECT_EQ((*shown)->Height, 200);
  // 20 million pixels are more than 128 bytes may paint.
  ASSERT_TRUE(whole.ok());
  const auto refused = whole->SharedPixels({});
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().Message, decode_errors::TooLarge("metafile").Message);
}

TEST(MetafileDecoder, WithoutAPlayerSaysWindowsDrawsItAndWithOneDrawsOnFirstUse) {
  const auto decoder = MakeMetafileDecoder();
  const std::string file = Enhanced(5080, 2540);
  const auto refused = decoder->Decode(AsBytes(file));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().Message, kMetafilesDrawnByWindowsOnly);

  const auto player = std::make_shared<FakePlayer>();
  InstallMetafilePlayer(player);
  auto picture = decoder->Decode(AsBytes(std::string(file)));
  InstallMetafilePlayer(nullptr);
  ASSERT_TRUE(picture.ok()) << picture.error().Message;
  EXPECT_EQ(picture->Width(), 192);
  EXPECT_EQ(player->plays, 0);
  const auto pixels = picture->Pixels();
  ASSERT_TRUE(pixels.ok());
  EXPECT_EQ(player->plays, 1);
  EXPECT_EQ(player->played_bytes, file.size());
  EXPECT_EQ((*pixels)->Pixels[0], (Bgra{1, 2, 3, 255}));
}

}  // namespace
}  // namespace ris
