#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/settings_list.h"
#include "shells/headless/memory_hive.h"
#include "shells/x11/hack_options.h"
#include "shells/x11/hack_xml.h"
#include "shells/x11/override_hive.h"
#include "shells/x11/x11_keys.h"

// Xlib last: its None and Status would rename names of the headers above.
#include "shells/x11/request_error_catcher.h"

namespace ris {
namespace {

std::optional<HackOptions> Parse(std::vector<std::string_view> arguments, const char* window = nullptr) {
  std::string error;
  return ParseHackOptions(arguments, window, error);
}

TEST(HackOptions, SwitchesWithOneOrTwoDashesAndTheDaemonsWindow) {
  const auto options = Parse({"--speed", "7", "-images", "40", "--no-bounce", "-fps", "--visual", "default"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->Where, HackOptions::Target::OwnWindow);
  EXPECT_EQ(options->Speed, 7);
  EXPECT_EQ(options->Images, 40);
  EXPECT_EQ(options->Bounce, false);
  EXPECT_FALSE(options->Clock);

  EXPECT_EQ(Parse({"-root"})->Where, HackOptions::Target::Root);
  const auto virtual_root = Parse({"--root"}, "0x2a00007");
  EXPECT_EQ(virtual_root->Where, HackOptions::Target::Window);
  EXPECT_EQ(virtual_root->WindowId, 0x2a00007u);
  EXPECT_EQ(Parse({"-window-id", "4660"})->WindowId, 4660u);

  for (const auto& bad : std::vector<std::vector<std::string_view>>{
           {"--speed"}, {"--speed", "fast"}, {"--window-id", "0xZZ"}, {"--colour"}, {"stray"}}) {
    EXPECT_FALSE(Parse(bad)) << bad.front();
  }
}

TEST(OverrideHive, SwitchesWinOverStoredValuesWithoutReplacingThem) {
  MemoryHive stored;
  OverrideHive hive(stored);
  HackOptions options;
  options.Speed = 9;
  OverrideFromSwitches(options, hive);
  // Nothing is stored yet, and the switch still answers.
  const auto speed = hive.OpenKey("Software\\Demo")->ReadValue("BOUNCE speed");
  ASSERT_TRUE(speed);
  EXPECT_EQ(speed->data, std::string("\x09\0\0\0", 4));

  auto key = hive.CreateKey("Software\\Demo");
  EXPECT_TRUE(key->WriteValue("bounce Speed", {RegistryType::Dword, std::string(4, '\x02')}));
  EXPECT_TRUE(key->WriteValue("bounce nrImages", {RegistryType::Dword, std::string(4, '\x03')}));
  const auto raw = stored.OpenKey("Software\\Demo");
  EXPECT_FALSE(raw->ReadValue("bounce Speed"));
  EXPECT_TRUE(raw->ReadValue("bounce nrImages"));
}

TEST(HackXml, OffersWhatTheProductLetsTheUserSet) {
  TSettingsList settings;
  ParseSettingsText(
      "[general]\r\ntitle=Fish & Chips\r\n[bounce]\r\nSpeed=4\r\nsetSpeed=true\r\nnrImages=9\r\n"
      "bounceImages=true\r\nsetbounceImages=true\r\n[clocksettings]\r\nclock=1\r\n",
      settings);
  const std::string xml = HackXml(settings, "fish");
  EXPECT_NE(xml.find("<screensaver name=\"fish\" _label=\"Fish &amp; Chips\">"), std::string::npos);
  EXPECT_NE(xml.find("arg=\"--speed %\""), std::string::npos);
  EXPECT_NE(xml.find("default=\"4\""), std::string::npos);
  EXPECT_NE(xml.find("arg-unset=\"--no-bounce\""), std::string::npos);
  EXPECT_EQ(xml.find("--images"), std::string::npos);  // no setNrImages
  EXPECT_EQ(xml.find("--clock"), std::string::npos);
}

TEST(X11Keys, TheKeypadAnswersAsDigitsWhateverNumLockSays) {
  EXPECT_EQ(VirtualKeyFor(XK_KP_5), VirtualKeyFor(XK_KP_Begin));
  EXPECT_EQ(VirtualKeyFor(XK_KP_0), VirtualKeyFor(XK_KP_Insert));
  EXPECT_EQ(VirtualKeyFor(XK_Up), 38);
  EXPECT_EQ(VirtualKeyFor(XK_q), 'Q');
  EXPECT_EQ(VirtualKeyFor(XK_EuroSign), 0);
}

unsigned char g_passed_on = Success;  // what the program's own handler was last given

// Request `serial`'s error, handed to the handler in force as Xlib does.
void ReportXError(unsigned long serial, unsigned char error_code) {
  XErrorEvent error{};
  error.serial = serial;
  error.error_code = error_code;
  const XErrorHandler in_force = XSetErrorHandler(nullptr);
  XSetErrorHandler(in_force);
  in_force(nullptr, &error);
}

TEST(RequestErrorCatcher, KeepsItsRequestsErrorAndPassesOnEveryOther) {
  XSetErrorHandler([](Display*, XErrorEvent* error) { g_passed_on = error->error_code; return 0; });
  {
    const RequestErrorCatcher catcher(42);
    ReportXError(41, BadWindow);
    ReportXError(42, BadAccess);
    EXPECT_TRUE(catcher.Caught());
    EXPECT_EQ(g_passed_on, BadWindow);
  }
  ReportXError(42, BadAccess);
  EXPECT_EQ(g_passed_on, BadAccess);  // the program's handler is back
  XSetErrorHandler(nullptr);
}

}  // namespace
}  // namespace ris
