#include "base/conversions.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace ris {
namespace {

TEST(StrToInt, ReadsDecimalWithBlanksAndSign) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("   -17"), -17);
  EXPECT_EQ(StrToInt("+8"), 8);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, ReadsEveryHexadecimalPrefix) {
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("0X10"), 16);
  EXPECT_EQ(StrToInt("x1f"), 31);
  EXPECT_EQ(StrToInt("-$10"), -16);
  // A colour may use all 32 bits.
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
}

TEST(StrToInt, RefusesWhatIsNoWholeNumber) {
  for (const char* text : {"", " ", "12ab", "1 ", "\t5", "--1", "$", "0x", "$1G",
                           "2147483648", "-2147483649", "$100000000", "1.5"}) {
    EXPECT_FALSE(TryStrToInt(text).has_value()) << '"' << text << '"';
  }
  try {
    StrToInt("12ab");
    FAIL() << "no error raised";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'12ab' is not a valid integer value");
  }
}

TEST(StrToBool, ReadsNumbersAndWordsOnly) {
  EXPECT_TRUE(StrToBool("TRUE"));
  EXPECT_TRUE(StrToBool("tRuE"));
  EXPECT_FALSE(StrToBool("False"));
  EXPECT_TRUE(StrToBool("-3"));
  EXPECT_FALSE(StrToBool("0"));
  try {
    StrToBool("yes");
    FAIL() << "no error raised";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'yes' is not a valid boolean value");
  }
}

TEST(SaturatingAdd, StopsAtTheEndsOfTheRange) {
  EXPECT_EQ(SaturatingAdd(INT32_MAX, 1), INT32_MAX);
  EXPECT_EQ(SaturatingAdd(INT32_MIN, -1), INT32_MIN);
  EXPECT_EQ(SaturatingAdd(5, -6), -1);
}

}  // namespace
}  // namespace ris
