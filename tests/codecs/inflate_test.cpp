#include "codecs/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/zip_test_support.h"

namespace ris {
namespace {

std::string Text() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += std::to_string(i * 7919 % 1000) + ' ';
  return text;
}

// The declared size is the whole contract: one byte off either way fails.
TEST(InflateTest, OutputMustMatchTheDeclaredSizeExactly) {
  const std::string text = Text();
  const std::string deflated = test::RawDeflate(text);
  const struct {
    const char* Label;
    std::string Stream;
    std::size_t Size;
    bool Inflates;
  } cases[] = {
      {"exact", deflated, text.size(), true},
      {"empty stream", test::RawDeflate(""), 0, true},
      {"one byte more than declared", deflated, text.size() - 1, false},
      {"one byte less than declared", deflated, text.size() + 1, false},
      {"nothing declared", deflated, 0, false},
      {"stream cut short", deflated.substr(0, deflated.size() - 4), text.size(), false},
      {"not deflate", std::string(64, '\xFF'), text.size(), false},
      {"no stream", "", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const auto inflated = InflateRaw(c.Stream, c.Size);
    ASSERT_EQ(inflated.ok(), c.Inflates);
    if (c.Inflates) {
      EXPECT_EQ(*inflated, text.substr(0, c.Size));
    }
  }
}

// The zlib wrapping's header and Adler-32 check are read, not skipped.
TEST(InflateTest, ZlibWrappingIsChecked) {
  const std::string text = Text();
  std::vector<std::uint8_t> wrapped(compressBound(text.size()));
  uLongf wrapped_size = wrapped.size();
  compress(wrapped.data(), &wrapped_size, reinterpret_cast<const Bytef*>(text.data()), text.size());
  wrapped.resize(wrapped_size);
  std::vector<std::uint8_t> damaged_check = wrapped;
  damaged_check.back() ^= 1;
  const struct {
    const char* Label;
    std::vector<std::uint8_t> Stream;
    DeflateWrapping Wrapping;
    bool Inflates;
  } cases[] = {
      {"zlib", wrapped, DeflateWrapping::Zlib, true},
      {"Adler-32 differs", damaged_check, DeflateWrapping::Zlib, false},
      {"zlib read as raw", wrapped, DeflateWrapping::Raw, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    std::vector<std::uint8_t> output(text.size());
    EXPECT_EQ(!InflateInto(c.Stream, output, c.Wrapping), c.Inflates);
    if (c.Inflates) {
      EXPECT_EQ(std::string(output.begin(), output.end()), text);
    }
  }
}

TEST(InflateTest, PiecesOfAnySizeGiveTheSameOutput) {
  const std::string text = Text();
  const std::string deflated = test::RawDeflate(text);
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    std::string inflated(text.size(), '\0');
    RawInflater inflater(inflated);
    for (std::size_t at = 0; at < deflated.size(); at += piece) inflater.Feed(deflated.substr(at, piece));
    const auto error = inflater.Finish();
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(inflater.Produced(), text.size());
    EXPECT_EQ(inflated, text);
  }
}

}  // namespace
}  // namespace ris
