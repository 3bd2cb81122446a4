#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

struct Case {
  std::vector<std::string> parameters;
  RunMode mode;
  WindowHandle parent;
};

void PrintTo(const Case& c, std::ostream* out) {
  for (const auto& p : c.parameters) *out << '"' << p << "\" ";
}

class ParseCommandLineTest : public testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, GivesModeAndHostWindow) {
  const CommandLine result = ParseCommandLine(GetParam().parameters);
  EXPECT_EQ(result.Mode, GetParam().mode);
  EXPECT_EQ(result.ParentWindow, GetParam().parent);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ParseCommandLineTest,
    testing::Values(
        Case{{}, rmConfigure, 0}, Case{{""}, rmConfigure, 0},
        Case{{"/s"}, rmSaver, 0}, Case{{"/S"}, rmSaver, 0}, Case{{"s"}, rmSaver, 0},
        Case{{"-s"}, rmSaver, 0}, Case{{"/-s"}, rmSaver, 0},
        // Only one marker of each kind, slash first, is removed.
        Case{{"-/s"}, rmConfigure, 0}, Case{{"//s"}, rmConfigure, 0},
        Case{{"/saver"}, rmSaver, 0}, Case{{"/Configure"}, rmConfigure, 0},
        Case{{"/x"}, rmConfigure, 0}, Case{{"/"}, rmConfigure, 0}, Case{{"-"}, rmConfigure, 0},
        Case{{"/a"}, rmChangePassword, 0}, Case{{"/a", "4660"}, rmChangePassword, 4660}));

INSTANTIATE_TEST_SUITE_P(
    HostWindows, ParseCommandLineTest,
    testing::Values(
        Case{{"/p", "4660"}, rmPreview, 4660}, Case{{"/p:4660"}, rmPreview, 4660},
        Case{{"/l", "4660"}, rmPreview, 4660}, Case{{"/L:4660"}, rmPreview, 4660},
        Case{{"/c:4660"}, rmConfigure, 4660}, Case{{"/c", "4660"}, rmConfigure, 4660},
        Case{{"/p:abc"}, rmPreview, 0}, Case{{"/p", "12ab"}, rmPreview, 0},
        Case{{"/p:"}, rmPreview, 0}, Case{{"/p", ""}, rmPreview, 0},
        // Hosts on 64-bit systems hand out handles above the signed range.
        Case{{"/p", "4294967295"}, rmPreview, 4294967295u},
        Case{{"/p", "4294967296"}, rmPreview, 0},
        // The parameter after ":" wins over a second parameter.
        Case{{"/p:12", "34"}, rmPreview, 12}));

// "window" after the saver's switch, and only there, asks for a window of
// its own; the mode stays the saver's.
TEST(OwnWindowSwitch, OnlyAfterTheSaverSwitch) {
  const struct {
    std::vector<std::string> parameters;
    bool own_window;
  } cases[] = {{{"/s", "window"}, true}, {{"-S", "Window"}, true}, {{"/s"}, false},
               {{"/s", "windows"}, false}, {{"/p", "window"}, false}, {{"/c", "window"}, false}};
  for (const auto& c : cases) {
    const CommandLine result = ParseCommandLine(c.parameters);
    EXPECT_EQ(result.OwnWindow, c.own_window) << c.parameters.front() << ' ' << c.parameters.size();
    EXPECT_EQ(result.ParentWindow, 0u);
  }
}

}  // namespace
}  // namespace ris
