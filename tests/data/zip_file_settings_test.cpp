#include "data/zip_file_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "base/random_source.h"
#include "pictures/file_format_list.h"
#include "shells/headless/headless_system.h"
#include "support/temp_folder.h"

namespace ris {
namespace {

using testing_support::TempFolder;

constexpr const char* kSaverPath = "C:\\Savers\\Demo.scr";
constexpr const char* kArchivePath = "C:\\Savers\\Demo.dat";
constexpr const char* kSettings = "[general]\r\ntitle=Demo Pictures\r\n";

TEST(ArchiveNames, PasswordTakesFiveCharactersOfTheFileName) {
  EXPECT_EQ(ArchivePasswordFor("C:\\Savers\\Demo.scr", "rimages"), "rimagesDEMO.");
  EXPECT_EQ(ArchivePasswordFor("C:\\Savers\\flowerpower.scr", "rimages"), "rimagesFLOWE");
  EXPECT_EQ(ArchivePasswordFor("C:\\a.b", "rimages"), "rimagesA.B");
  EXPECT_EQ(ArchivePasswordFor("Demo.scr", "rimages"), "rimagesDEMO.");
  EXPECT_EQ(ArchivePasswordFor("C:\\S\\\xe9t\xe9.scr", "rimages"), "rimages\xe9T\xe9.S");
}

TEST(ArchiveNames, ArchiveNameReplacesTheFirstScrInAnyCase) {
  EXPECT_EQ(ArchiveNameFor("C:\\Savers\\Demo.scr"), "C:\\Savers\\Demo.dat");
  EXPECT_EQ(ArchiveNameFor("C:\\Savers\\DEMO.SCR"), "C:\\Savers\\DEMO.dat");
  EXPECT_EQ(ArchiveNameFor("C:\\my.scripts\\Demo.scr"), "C:\\my.datipts\\Demo.scr");
  EXPECT_EQ(ArchiveNameFor("C:\\Savers\\Demo.exe"), "C:\\Savers\\Demo.exe");
}

TEST(ArchiveNames, FailureMessagesCarryTheAdviceWithCrLfBreaks) {
  const std::string advice =
      "Please try reinstalling the screensaver.\r\n\r\nIf that fails, download the latest "
      "version from www.example.com and try again.";
  EXPECT_EQ(WrongPasswordMessage(), "Corrupted data files detected [pwdata01]\r\n\r\n" + advice);
  EXPECT_EQ(NoSettingsMessage(),
            "No data file found or missing settings in data file.\r\n\r\n" + advice);
}

// An archive made by Info-ZIP's zip, as a product maker might make one.
class DataArchive : public testing::Test {
 protected:
  void Pack(const std::vector<std::pair<std::string, std::string>>& files,
            const std::string& password = ArchivePasswordFor(kSaverPath, "rimages"),
            const std::string& zip_options = "") {
    std::string names;
    for (const auto& [name, bytes] : files) {
      content_.Write("content/" + name, bytes);
      names += " '" + name + "'";
    }
    const std::string encryption = password.empty() ? "" : " -P '" + password + "'";
    ASSERT_TRUE(content_.Run("cd content && zip -q -r" + zip_options + encryption + " ../Demo.dat" + names));
    system_.MapFile(kArchivePath, content_.Path() / "Demo.dat");
  }

  // Opens the archive as the saver would; the exit code it ended with, or -1.
  int OpenExitCode(RunMode mode = rmSaver) {
    try {
      archive_ = std::make_unique<TZipFileSettings>(system_, mode);
      return -1;
    } catch (const ProcessExit& exit) {
      message_ = exit.what();
      return exit.ExitCode();
    }
  }

  std::vector<TImageSet> Scan(RunMode mode) {
    EXPECT_EQ(OpenExitCode(mode), -1);
    archive_->ScanSets();
    return archive_->ImageSets;
  }

  TempFolder content_;
  HeadlessSystem system_{kSaverPath};
  std::unique_ptr<TZipFileSettings> archive_;
  std::string message_;
};

TEST_F(DataArchive, ReadsTheSettingsAndTitlesTheApplication) {
  Pack({{"settings.txt", kSettings}, {"icons/sea.png", "x"}});
  ASSERT_EQ(OpenExitCode(), -1);
  EXPECT_EQ(system_.ApplicationTitle(), "Demo Pictures");
  EXPECT_EQ(system_.TextCodePage(), kSystemCodePage);
  EXPECT_EQ(archive_->SettingsList().ReadValue("TITLE", "General"), "Demo Pictures");
  EXPECT_EQ(archive_->ReadEntryText("ICONS/SEA.PNG"), "x");
  EXPECT_EQ(archive_->ReadEntryText("icons\\absent.png"), std::nullopt);
}

TEST_F(DataArchive, TitlesTheApplicationInTheProductsCodePage) {
  Pack({{"settings.txt", "[general]\r\ncodePage=1250\r\ntitle=\xA3\xB9ka\r\n"}});
  ASSERT_EQ(OpenExitCode(), -1);
  EXPECT_EQ(system_.ApplicationTitle(), "\xA3\xB9ka");
  EXPECT_EQ(system_.TextCodePage(), 1250u);
}

TEST_F(DataArchive, ArchiveForAnotherSaverNameFailsWithThePasswordMessage) {
  Pack({{"settings.txt", kSettings}}, ArchivePasswordFor("C:\\Savers\\Other.scr", "rimages"));
  EXPECT_EQ(OpenExitCode(), kExitWrongPassword);
  EXPECT_EQ(message_, WrongPasswordMessage());
}

TEST_F(DataArchive, MissingArchiveOrSettingsEndsWithTheNoSettingsMessage) {
  EXPECT_EQ(OpenExitCode(), kExitNoSettings);
  EXPECT_EQ(message_, NoSettingsMessage());

  content_.Write("garbage.dat", "this is no archive at all");
  system_.MapFile(kArchivePath, content_.Path() / "garbage.dat");
  EXPECT_EQ(OpenExitCode(), kExitNoSettings);

  Pack({{"icons/sea.png", "x"}});
  EXPECT_EQ(OpenExitCode(), kExitNoSettings);

  Pack({{"settings.txt", ""}});
  EXPECT_EQ(OpenExitCode(), kExitNoSettings);
}

TEST_F(DataArchive, ATitleThatWouldNameAnotherKeyEndsTheSaverAndAnEmptyOnePasses) {
  using namespace std::string_literals;
  Pack({{"settings.txt", "[general]\r\ntitle=Canary\0x\r\n"s}});
  EXPECT_EQ(OpenExitCode(), kExitRefusedTitle);
  EXPECT_NE(message_.find("\"Canary\\x00x\""), std::string::npos) << message_;
  Pack({{"settings.txt", "[general]\r\ntitle=Flowers\\Canary\r\n"}});
  EXPECT_EQ(OpenExitCode(), kExitRefusedTitle);
  Pack({{"settings.txt", "[general]\r\ntitle=\r\n"}});
  EXPECT_EQ(OpenExitCode(), -1);
}

TEST_F(DataArchive, PictureEntriesThatTheKeyDoesNotOpenEndWithThePasswordMessage) {
  const std::string picture(400, 'p');
  // Another key for one picture, added after the settings were packed.
  Pack({{"settings.txt", kSettings}, {"icons/sea.ppm", picture}});
  content_.Write("content/icons/other.ppm", picture);
  ASSERT_TRUE(content_.Run("cd content && zip -q -P wrong ../Demo.dat icons/other.ppm"));
  // A damaged entry under the right key: its check byte passes, its
  // checksum does not. Stored uncompressed, so the damage reaches the CRC.
  content_.Write("damaged/settings.txt", kSettings);
  content_.Write("damaged/icons/sea.ppm", picture);
  ASSERT_TRUE(content_.Run("cd damaged && zip -q -0 -P '" + ArchivePasswordFor(kSaverPath, "rimages") +
                           "' ../Damaged.dat settings.txt icons/sea.ppm"));
  std::string damaged = content_.Read("Damaged.dat");
  const std::size_t name_at = damaged.find("icons/sea.ppm");  // in its local header
  ASSERT_NE(name_at, std::string::npos);
  const std::size_t header_at = name_at - 30;
  const std::size_t extra_length = static_cast<unsigned char>(damaged[header_at + 28]) +
                                   256u * static_cast<unsigned char>(damaged[header_at + 29]);
  damaged[name_at + 13 + extra_length + 12 + 200] ^= 0x55;  // past the 12-byte encryption header

  const auto exit_code_of = [&](const char* entry) {
    if (OpenExitCode() != -1) return -2;
    TPicture loaded;
    try {
      archive_->LoadEntryPicture(loaded, entry, StandardFormatList());
      return -1;
    } catch (const ProcessExit& exit) {
      EXPECT_EQ(std::string(exit.what()), WrongPasswordMessage());
      return exit.ExitCode();
    }
  };
  EXPECT_EQ(exit_code_of("icons\\sea.ppm"), -1);
  EXPECT_EQ(exit_code_of("icons\\other.ppm"), kExitWrongPassword);
  content_.Write("Demo.dat", damaged);
  EXPECT_EQ(exit_code_of("icons\\sea.ppm"), kExitWrongPassword);
}

TEST_F(DataArchive, UnencryptedArchivesOpenToo) {
  Pack({{"settings.txt", kSettings}}, "");
  EXPECT_EQ(OpenExitCode(), -1);
  EXPECT_EQ(system_.ApplicationTitle(), "Demo Pictures");
}

TEST_F(DataArchive, SetsComeFromFoldersAsTheRunModeCountsThem) {
  Pack({{"settings.txt", kSettings},
        {"Backgrounds/Flowers.JPG", "b"},
        {"icons/flowers.png", "i"},
        {"ICONS/Thumbs/flowers.Png", "t"},
        {"readme.txt", "r"},
        {"icons/deeper/sea.png", "d"},
        {"Settings.txt", "s"}});
  const auto saver = Scan(rmSaver);
  ASSERT_EQ(saver.size(), 4u);
  EXPECT_EQ(saver[0].Name, "flowers");
  EXPECT_EQ(saver[0].Backgrounds, StringList{"Backgrounds\\Flowers.JPG"});
  EXPECT_EQ(saver[0].Images, StringList{"icons\\flowers.png"});
  // Entries outside the picture folders name sets without pictures; a
  // settings text spelled with a capital S is such an entry.
  EXPECT_EQ(saver[1].Name, "readme");
  EXPECT_TRUE(saver[1].Backgrounds.empty() && saver[1].Images.empty());
  EXPECT_EQ(saver[2].Name, "sea");
  EXPECT_EQ(saver[3].Name, "settings");

  const auto preview = Scan(rmPreview);
  ASSERT_EQ(preview.size(), 1u);
  EXPECT_EQ(preview[0].Images, StringList{"ICONS\\Thumbs\\flowers.Png"});

  EXPECT_TRUE(Scan(rmChangePassword).empty());
}

TEST_F(DataArchive, FolderEntriesMakeNoSets) {
  content_.Write("content/backgrounds/sea.bmp", "b");
  content_.Write("content/settings.txt", kSettings);
  ASSERT_TRUE(content_.Run("cd content && zip -q -r ../Demo.dat ."));  // stores "backgrounds/" too
  system_.MapFile(kArchivePath, content_.Path() / "Demo.dat");
  const auto sets = Scan(rmSaver);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].Name, "sea");
}

TEST_F(DataArchive, SelectingWrapsAtBothEnds) {
  Pack({{"settings.txt", kSettings}, {"icons/a.png", "1"}, {"icons/b.png", "2"}, {"icons/c.png", "3"}});
  Scan(rmSaver);
  EXPECT_EQ(archive_->CurrentSet(), nullptr);
  archive_->SelectSet(3);
  EXPECT_EQ(archive_->CurrentSet()->Name, "a");
  archive_->SelectSet(-1);
  EXPECT_EQ(archive_->CurrentSetIndex(), 2);
  EXPECT_EQ(archive_->IndexOfSet("b"), 1);
  EXPECT_EQ(archive_->IndexOfSet("B"), -1);

  RandomSource random(5);
  bool seen[3] = {};
  for (int i = 0; i < 60; ++i) {
    archive_->SelectRandomSet(random);
    seen[archive_->CurrentSetIndex()] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

// Decodes "W H" texts into blank pictures of that size; fails on anything else.
class SizeTextDecoder : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return "SIZE"; }
  bool IsExtended() const override { return false; }
  bool Recognises(ByteSpan) const override { return false; }
  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    int width = 0;
    int height = 0;
    const std::string text(data.begin(), data.end());
    if (std::sscanf(text.c_str(), "%d %d", &width, &height) != 2 || !PictureSizeAllowed(width, height)) {
      return Failure{decode_errors::InvalidFormat(ShortName())};
    }
    return TPicture::FromPixels(PixelImage::Blank(width, height), false);
  }
};

TEST_F(DataArchive, PicturesAreDecodedFromTheirEntries) {
  Pack({{"settings.txt", kSettings}, {"icons/a.size", "3 2"}, {"icons/b.size", "bad"},
        {"icons/c.other", "3 2"}});
  ASSERT_EQ(OpenExitCode(), -1);
  TFileFormatList formats;
  formats.Register("size", std::make_shared<SizeTextDecoder>());

  TPicture picture;
  EXPECT_EQ(archive_->LoadEntryPicture(picture, "icons\\a.size", formats).Outcome, LoadOutcome::Loaded);
  EXPECT_EQ(picture.Width(), 3);
  const auto kept = [&](const char* entry, LoadOutcome outcome) {
    EXPECT_EQ(archive_->LoadEntryPicture(picture, entry, formats).Outcome, outcome) << entry;
    EXPECT_EQ(picture.Width(), 3) << entry;
  };
  kept("icons\\b.size", LoadOutcome::Failed);
  kept("icons\\c.other", LoadOutcome::NoDecoder);
  kept("icons\\absent.size", LoadOutcome::Unreadable);
}

// A photograph large enough to be decrypted by a helper thread while it is
// decoded, stored or deflated, gives the pixels its bytes give decoded whole.
TEST_F(DataArchive, APictureDecodedWhileItIsDecryptedIsTheSame) {
  ASSERT_TRUE(content_.Run("convert -seed 7 -size 800x600 xc:gray +noise Random -quality 90 photo.jpg"));
  const std::string jpeg = content_.Read("photo.jpg");
  ASSERT_GT(jpeg.size(), std::size_t{256} << 10);
  constexpr PixelSize kCover{400, 300};
  TPicture whole;
  ASSERT_TRUE(StandardFormatList().LoadPictureFromStream(whole, AsBytes(jpeg), "photo.jpg"));
  const auto expected = whole.SharedPixels(kCover);
  ASSERT_TRUE(expected);
  for (const char* zip_options : {" -0", " -9"}) {
    SCOPED_TRACE(zip_options);
    Pack({{"settings.txt", kSettings}, {"backgrounds/photo.jpg", jpeg}}, ArchivePasswordFor(kSaverPath, "rimages"),
         zip_options);
    ASSERT_EQ(OpenExitCode(), -1);
    bool early = false;
    TPicture loaded;
    const auto decode_early = [&](const TPicture& arriving) {
      early = arriving.SharedPixels(kCover).ok();
    };
    ASSERT_TRUE(archive_->LoadEntryPicture(loaded, "backgrounds\\photo.jpg", StandardFormatList(), decode_early));
    EXPECT_TRUE(early);
    const auto pixels = loaded.SharedPixels(kCover);
    ASSERT_TRUE(pixels);
    EXPECT_EQ((*pixels)->Pixels, (*expected)->Pixels);
    std::filesystem::remove(content_.Path() / "Demo.dat");
  }
}

// The archive stays open while the saver runs, and a product may be
// rewritten meanwhile: an entry read from a file that became shorter fails
// for that entry alone, without the password message and without a crash.
TEST_F(DataArchive, AnEntryReadAfterTheFileWasReplacedByAShorterOneFailsCleanly) {
  Pack({{"settings.txt", kSettings}, {"other/shorter.txt", "x"}});
  std::filesystem::rename(content_.Path() / "Demo.dat", content_.Path() / "Shorter.dat");
  Pack({{"settings.txt", kSettings}, {"icons/a.size", "3 2"}, {"icons/b.size", "4 2"},
        {"backgrounds/a.bin", std::string(20000, 'b')}});
  ASSERT_EQ(OpenExitCode(), -1);
  TFileFormatList formats;
  formats.Register("size", std::make_shared<SizeTextDecoder>());
  TPicture picture;
  ASSERT_EQ(archive_->LoadEntryPicture(picture, "icons\\a.size", formats).Outcome, LoadOutcome::Loaded);

  content_.Write("Demo.dat", content_.Read("Shorter.dat"));
  EXPECT_EQ(archive_->LoadEntryPicture(picture, "icons\\b.size", formats).Outcome, LoadOutcome::Unreadable);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(archive_->ReadEntryText("settings.txt"), std::nullopt);
}

TEST_F(DataArchive, WithOneSetEveryIndexSelectsIt) {
  Pack({{"settings.txt", kSettings}, {"icons/only.png", "1"}});
  Scan(rmSaver);
  for (const std::int32_t index : {1, -1, 0}) {
    archive_->SelectSet(index);
    EXPECT_EQ(archive_->CurrentSetIndex(), 0) << index;
  }
}

TEST_F(DataArchive, AnArchiveWithoutSetsSelectsNothing) {
  Pack({{"settings.txt", kSettings}});
  Scan(rmSaver);
  RandomSource random(1);
  archive_->SelectSet(0);
  archive_->SelectSet(-1);
  archive_->SelectRandomSet(random);
  EXPECT_EQ(archive_->CurrentSet(), nullptr);
  EXPECT_EQ(archive_->CurrentSetIndex(), -1);
}

}  // namespace
}  // namespace ris
