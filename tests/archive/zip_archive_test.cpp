// Archives written by independent tools must open and extract; the same
// archives damaged or opened with the wrong password must never succeed.
#include "archive/zip_archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "zip_test_support.h"

namespace ris {
namespace {

using test::ScratchFolder;

constexpr std::string_view kPassword = "rimagesPHOTO";

// Partly repetitive, partly noise, so that deflate has work of both kinds.
std::string PictureBytes() {
  std::string bytes;
  std::uint32_t noise = 12345;
  for (int i = 0; i < 6000; ++i) {
    noise = noise * 1103515245u + 12345u;
    bytes += (i % 3 == 0) ? static_cast<char>(noise >> 24) : "set one, picture "[i % 17];
  }
  return bytes;
}

struct ToolCase {
  const char* Label;
  const char* Tool;
  std::string Command;  // writes out.zip from Pics/Photo.bin
  std::string EntryName;
  bool Encrypted = true;
};


void PrintTo(const ToolCase& tool_case, std::ostream* out) { *out << tool_case.Label; }

const std::string kPhoto = "pics/PHOTO.bin";
const std::string kPw(kPassword);

const ToolCase kToolCases[] = {
    {"ZipStored", "zip", "zip -q -0 -P " + kPw + " out.zip Pics/Photo.bin", kPhoto},
    {"ZipDeflated", "zip", "zip -q -P " + kPw + " out.zip Pics/Photo.bin", kPhoto},
    {"ZipUnencrypted", "zip", "zip -q out.zip Pics/Photo.bin", kPhoto, false},
    {"ZipWithComment", "zip",
     "printf 'a PK\\005\\006 look-alike in the comment\\n' | zip -q -z -P " + kPw + " out.zip Pics/Photo.bin",
     kPhoto},
    // Written to a pipe: blank local sizes, data descriptors, Zip64 local fields.
    {"ZipStdinToPipe", "zip", "cat Pics/Photo.bin | zip -q -P " + kPw + " - - | cat > out.zip", "-"},
    {"ZipFileToPipe", "zip", "zip -q -fz- -P " + kPw + " - Pics/Photo.bin | cat > out.zip", kPhoto},
    {"SevenZipZipCrypto", "7z", "7z a -tzip -bd -p" + kPw + " out.zip Pics/Photo.bin", kPhoto},
};

// Runs `command` on a fresh Pics/Photo.bin; the archive it wrote, or nothing
// when the tool is missing.
std::shared_ptr<const std::string> MakeArchive(const ScratchFolder& folder, const std::string& picture,
                                               const std::string& tool, const std::string& command) {
  if (!test::HasTool(tool)) return nullptr;
  folder.Write("Pics/Photo.bin", picture);
  EXPECT_TRUE(folder.Run(command)) << command;
  return std::make_shared<const std::string>(folder.Read("out.zip"));
}

class ToolArchiveTest : public ::testing::TestWithParam<ToolCase> {
 protected:
  void SetUp() override {
    bytes_ = MakeArchive(folder_, picture_, GetParam().Tool, GetParam().Command);
    if (!bytes_) GTEST_SKIP() << GetParam().Tool << " is not installed";
  }

  ScratchFolder folder_;
  const std::string picture_ = PictureBytes();
  std::shared_ptr<const std::string> bytes_;
};

TEST_P(ToolArchiveTest, ExtractsWithTheRightPasswordOnly) {
  const auto archive = ZipArchive::Open(bytes_);
  ASSERT_TRUE(archive) << archive.error().Detail;
  const auto index = archive->FindEntry(GetParam().EntryName);
  ASSERT_TRUE(index);
  EXPECT_EQ(archive->Entry(*index).Encrypted, GetParam().Encrypted);

  const auto right = archive->Extract(*index, kPassword);
  ASSERT_TRUE(right) << right.error().Detail;
  EXPECT_EQ(*right, picture_);
  // One wrong password in 256 passes the check byte and fails later.
  int refused = 0;
  for (const char* wrong_password : {"rimagesPHOTX", "rimagesphoto", "", "x"}) {
    const auto wrong = archive->Extract(*index, wrong_password);
    EXPECT_EQ(wrong.ok(), !GetParam().Encrypted);
    refused += !wrong.ok() && wrong.error().Kind == ZipFailure::WrongPassword;
  }
  EXPECT_EQ(refused > 0, GetParam().Encrypted);
}

TEST_P(ToolArchiveTest, AFlippedDataByteNeverExtracts) {
  const ZipEntry entry = ZipArchive::Open(bytes_)->Entry(0);
  const auto length_at = [&](std::size_t at) {
    return static_cast<std::uint8_t>((*bytes_)[at]) | static_cast<std::uint8_t>((*bytes_)[at + 1]) << 8;
  };
  const std::uint64_t data_at = entry.LocalHeaderOffset + 30 + length_at(entry.LocalHeaderOffset + 26) +
                                length_at(entry.LocalHeaderOffset + 28);
  // Past the encryption header, so that the password check still passes,
  // and short of the last byte, whose high bits deflate may leave unused.
  for (const std::uint64_t at : {data_at + 20, data_at + entry.CompressedSize / 2}) {
    auto damaged = std::make_shared<std::string>(*bytes_);
    (*damaged)[at] = static_cast<char>((*damaged)[at] ^ 0x10);
    const auto extracted = ZipArchive::Open(damaged)->Extract(0, kPassword);
    ASSERT_FALSE(extracted);
    EXPECT_TRUE(extracted.error().Kind == ZipFailure::ChecksumMismatch ||
                extracted.error().Kind == ZipFailure::Damaged)
        << extracted.error().Detail;
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolArchiveTest, ::testing::ValuesIn(kToolCases),
                         [](const auto& tool_case) { return std::string(tool_case.param.Label); });

TEST(ZipToolTest, AesEntriesAreUnsupported) {
  const ScratchFolder folder;
  const auto bytes = MakeArchive(folder, PictureBytes(), "7z", "7z a -tzip -bd -mem=AES256 -p" + kPw + " out.zip Pics/Photo.bin");
  if (!bytes) GTEST_SKIP() << "7z is not installed";
  const auto archive = ZipArchive::Open(bytes);
  ASSERT_TRUE(archive) << archive.error().Detail;
  const auto extracted = archive->Extract(0, kPassword);
  ASSERT_FALSE(extracted);
  EXPECT_EQ(extracted.error().Kind, ZipFailure::Unsupported);
}

// The archive writer encrypts with the same keys; unzip must read the result.
TEST(ZipToolTest, UnzipReadsWhatZipCryptoKeysEncrypt) {
  if (!test::HasTool("unzip")) GTEST_SKIP() << "unzip is not installed";
  const ScratchFolder folder;
  const std::string picture = PictureBytes();
  folder.Write("mine.zip", test::BuildZip({{"a.bin", picture, 8, kPw}, {"b.bin", "short", 0, kPw, true}}).Bytes);
  ASSERT_TRUE(folder.Run("unzip -P " + kPw + " mine.zip"));
  EXPECT_EQ(folder.Read("a.bin"), picture);
  EXPECT_EQ(folder.Read("b.bin"), "short");
}

}  // namespace
}  // namespace ris

namespace ris {
namespace {

// A large encrypted entry handed over while a helper thread still decrypts
// it gives exactly what extracting it whole gives: the bytes, or the same
// failure for a damaged entry.
TEST(ZipArrivingTest, GivesWhatExtractGives) {
  // Noise in every other byte, so that even deflated it is large enough to
  // be decrypted beside the reader.
  std::string content(std::size_t{1} << 20, 'p');
  std::uint32_t noise = 2026;
  for (std::size_t i = 0; i < content.size(); i += 2) {
    noise = noise * 1103515245u + 12345u;
    content[i] = static_cast<char>(noise >> 24);
  }
  const std::string name = "backgrounds\\big.jpg";
  const std::size_t data_at = 30 + name.size() + kZipCryptoHeaderBytes;
  const struct {
    const char* Label;
    std::uint16_t Method;
    std::ptrdiff_t Flip;  // a data byte to damage, from the entry's data; -1 none
    std::string_view Password;
  } cases[] = {
      {"stored", 0, -1, kPassword},         {"deflated", 8, -1, kPassword},
      {"stored, damaged", 0, 400000, kPassword}, {"deflated, damaged", 8, 90000, kPassword},
      {"wrong password", 0, -1, "rimagesOTHER"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    test::BuiltZip zip = test::BuildZip({{name, content, c.Method, std::string(kPassword)}});
    if (c.Flip >= 0) zip.Bytes[data_at + static_cast<std::size_t>(c.Flip)] ^= 0x40;
    const auto archive = ZipArchive::Open(std::make_shared<const std::string>(zip.Bytes));
    ASSERT_TRUE(archive);
    const auto whole = archive->Extract(0, c.Password);
    auto arriving = archive->ExtractArriving(0, c.Password);
    if (!arriving) {
      ASSERT_FALSE(whole);
      EXPECT_EQ(arriving.error().Detail, whole.error().Detail);
      continue;
    }
    const auto bytes = arriving->Bytes();
    const std::size_t arrived = bytes->WaitFor(bytes->Size());
    const auto error = arriving->Finish();
    ASSERT_EQ(!error, whole.ok());
    if (error) {
      EXPECT_EQ(error->Detail, whole.error().Detail);
    } else {
      ASSERT_EQ(arrived, whole->size());
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->Data()), arrived), *whole);
    }
  }
}

}  // namespace
}  // namespace ris
