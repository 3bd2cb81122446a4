// Hand-made archives with fields falsified: each must end in the ZipError
// that names the fault, at open or at extraction, and never in a crash.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "archive/zip_archive.h"
#include "zip_test_support.h"

namespace ris {
namespace {

using test::BuiltZip;

const std::string kAlpha(120, 'a');
const std::string kBeta = [] {
  std::string beta;
  for (int i = 0; i < 60; ++i) beta += "beta " + std::to_string(i);
  return beta;
}();
const std::uint64_t kBetaSize = kBeta.size();

// Puts a Zip64 end record and its locator before the classic end record.
void AddZip64End(BuiltZip& zip, std::uint64_t entries, std::uint64_t record_at) {
  const std::size_t directory_at = zip.Central[0];
  const std::string record = test::Le(0x06064B50, 4) + std::string(20, '\0') + test::Le(entries, 8) +
                             test::Le(entries, 8) + test::Le(zip.End - directory_at, 8) +
                             test::Le(directory_at, 8);
  const std::string locator = test::Le(0x07064B50, 4) + test::Le(0, 4) + test::Le(record_at, 8) + test::Le(1, 4);
  zip.Bytes.insert(zip.End, record + locator);
}

void Check(const BuiltZip& zip, ZipFailure expected, int entry) {
  const auto archive = ZipArchive::Open(std::make_shared<const std::string>(zip.Bytes));
  if (entry < 0) {
    ASSERT_FALSE(archive);
    EXPECT_EQ(archive.error().Kind, expected) << archive.error().Detail;
    return;
  }
  ASSERT_TRUE(archive) << archive.error().Detail;
  const auto extracted = archive->Extract(static_cast<std::size_t>(entry), "");
  ASSERT_FALSE(extracted);
  EXPECT_EQ(extracted.error().Kind, expected) << extracted.error().Detail;
}

enum Record { kEnd, kFirst, kSecond };

struct FieldCase {
  const char* Label;
  Record In;
  std::size_t Offset;  // of the field within its record
  std::uint64_t Value;
  std::size_t Width;
  ZipFailure Expected;
  int Entry = -1;  // whose extraction fails; -1: opening fails
};

TEST(ZipHostileTest, EveryFalsifiedFieldIsAnError) {
  using enum ZipFailure;
  const FieldCase cases[] = {
      {"directory past the end", kEnd, 16, 0x10000, 4, Damaged},
      {"directory size past the end", kEnd, 12, 0x7FFFFFFF, 4, Damaged},
      {"count above the records", kEnd, 8, 0x00030003, 4, Damaged},
      {"count below the records", kEnd, 8, 0x00010001, 4, Damaged},
      {"archive on disk 1", kEnd, 4, 1, 2, Unsupported},
      {"name past the directory", kSecond, 28, 500, 2, Damaged},
      {"local header past the end", kFirst, 42, 0x7FFF0000, 4, Damaged},
      {"no local header there", kSecond, 42, 3, 4, Damaged},
      {"data running into the directory", kSecond, 20, 0x400, 4, Damaged},
      {"two entries on one local header", kSecond, 42, 0, 4, Damaged},
      {"Zip64 marker without its field", kFirst, 20, 0xFFFFFFFF, 4, Damaged},
      {"entry on disk 1", kFirst, 34, 1, 2, Unsupported},
      {"unknown method", kFirst, 10, 12, 2, Unsupported, 0},
      {"AES method", kFirst, 10, 99, 2, Unsupported, 0},
      {"strong encryption", kFirst, 8, 0x41, 2, Unsupported, 0},
      {"stored sizes disagree", kFirst, 24, 7, 4, Damaged, 0},
      {"wrong CRC", kFirst, 16, 0, 4, ChecksumMismatch, 0},
      {"inflates past its size", kSecond, 24, kBetaSize - 1, 4, Damaged, 1},
      {"inflates short of its size", kSecond, 24, kBetaSize + 1, 4, Damaged, 1},
      {"size beyond the entry limit", kSecond, 24, 0xFFFFFFF0, 4, TooLarge, 1},
      {"size no deflate stream reaches", kSecond, 24, 100 << 20, 4, Damaged, 1},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.Label);
    BuiltZip zip = test::BuildZip({{"a.txt", kAlpha}, {"dir/b.txt", kBeta, 8}});
    const std::size_t record = c.In == kEnd ? zip.End : zip.Central[c.In == kFirst ? 0 : 1];
    test::Put(zip.Bytes, record + c.Offset, c.Value, c.Width);
    Check(zip, c.Expected, c.Entry);
  }
}

TEST(ZipHostileTest, EveryFalsifiedStructureIsAnError) {
  using enum ZipFailure;
  const struct {
    const char* Label;
    std::function<void(BuiltZip&)> Falsify;
    ZipFailure Expected;
    int Entry = -1;
  } cases[] = {
      {"no end record", [](BuiltZip& z) { z.Bytes.resize(z.End + 10); }, NotAnArchive},
      {"bytes cut from the middle", [](BuiltZip& z) { z.Bytes.erase(40, 5); }, Damaged},
      {"Zip64 count over the limit", [](BuiltZip& z) { AddZip64End(z, 70000, z.End); }, TooLarge},
      {"Zip64 locator pointing nowhere", [](BuiltZip& z) { AddZip64End(z, 2, 7); }, Damaged},
      {"shorter than its encryption header",
       [](BuiltZip& z) {
         test::Put(z.Bytes, z.Central[0] + 8, 1, 2);
         test::Put(z.Bytes, z.Central[0] + 20, 0x0000000500000005, 8);
       },
       Damaged, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    BuiltZip zip = test::BuildZip({{"a.txt", kAlpha}, {"dir/b.txt", kBeta, 8}});
    c.Falsify(zip);
    Check(zip, c.Expected, c.Entry);
  }
}

TEST(ZipHostileTest, TheUnfalsifiedArchiveReads) {
  BuiltZip zip = test::BuildZip({{"a.txt", kAlpha}, {"dir/b.txt", kBeta, 8}, {"c", kBeta, 8, "pw", true}});
  AddZip64End(zip, 3, zip.End);
  const auto archive = ZipArchive::Open(std::make_shared<const std::string>(zip.Bytes));
  ASSERT_TRUE(archive) << archive.error().Detail;
  ASSERT_EQ(archive->EntryCount(), 3u);
  EXPECT_EQ(archive->Entry(1).Name, "dir\\b.txt");
  EXPECT_EQ(archive->FindEntry("DIR/B.Txt"), 1u);
  EXPECT_EQ(archive->FindEntry("dir\\b.tx"), std::nullopt);
  EXPECT_EQ(*archive->Extract(1, "any"), kBeta);
  // Blank local sizes, a descriptor without signature, the time as check byte.
  EXPECT_EQ(*archive->Extract(2, "pw"), kBeta);
  EXPECT_EQ(archive->Extract(3, "").error().Kind, ZipFailure::EntryNotFound);
}

}  // namespace
}  // namespace ris
