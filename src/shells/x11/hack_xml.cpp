#include "shells/x11/hack_xml.h"

#include "base/code_page.h"
#include "base/conversions.h"
#include "data/settings_list.h"

namespace ris {
namespace {

// Settings texts are in the product's code page; the description is UTF-8,
// escaped for XML attributes and text.
std::string XmlText(std::string_view text, CodePage code_page) {
  std::string out;
  for (const char byte : text) {
    const char32_t c = UnicodeFromCodePage(code_page, static_cast<unsigned char>(byte));
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else if (c != 0) {
      AppendUtf8(out, c);
    }
  }
  return out;
}

class XmlWriter {
 public:
  explicit XmlWriter(const TSettingsList& settings)
      : settings_(settings), code_page_(ProductCodePage(settings)) {}

  bool Settable(std::string_view key, std::string_view section) const {
    return settings_.ReadBool("set" + std::string(key), section);
  }
  std::int32_t Number(std::string_view key, std::string_view section, std::int32_t fallback) const {
    return TryStrToInt(settings_.ReadValue(key, section)).value_or(fallback);
  }
  std::string Caption(std::string_view key, std::string_view fallback) const {
    return XmlText(settings_.ReadValueDef(fallback, key, "language"), code_page_);
  }

  void NumberOption(std::string_view id, std::string_view caption, std::int32_t low, std::int32_t high,
                    std::int32_t value) {
    out_ += "  <number id=\"" + std::string(id) + "\" type=\"spinbutton\" arg=\"--" + std::string(id) +
            " %\" _label=\"" + std::string(caption) + "\" low=\"" + std::to_string(low) + "\" high=\"" +
            std::to_string(high) + "\" default=\"" + std::to_string(value) + "\"/>\n";
  }

  void ClockOption(std::int32_t value) {
    out_ += "  <select id=\"clock\">\n";
    const char* const labels[] = {"No clock", "Current time", "Running time"};
    for (std::int32_t mode = 0; mode < 3; ++mode) {
      out_ += "    <option id=\"clock" + std::to_string(mode) + "\" _label=\"" + labels[mode] + "\"";
      if (mode != value) out_ += " arg-set=\"--clock " + std::to_string(mode) + "\"";
      out_ += "/>\n";
    }
    out_ += "  </select>\n";
  }

  void BounceOption(bool value) {
    out_ += "  <boolean id=\"bounce\" _label=\"" + Caption("bounceImages", "Bounce images") + "\" " +
            (value ? "arg-unset=\"--no-bounce\"" : "arg-set=\"--bounce\"") + "/>\n";
  }

  std::string Write(std::string_view program) {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<screensaver name=\"" + XmlText(program, code_page_) + "\" _label=\"" +
            XmlText(settings_.ReadValue("title", "general"), code_page_) + "\">\n";
    out_ += "  <command arg=\"--root\"/>\n";
    if (Settable("Speed", "bounce")) {
      NumberOption("speed", Caption("bounceSpeed", "Bounce speed:"), 0, 100, Number("Speed", "bounce", 1));
    }
    if (Settable("nrImages", "bounce")) {
      NumberOption("images", Caption("numberOfImages", "Number of images:"), 1, 10000,
                   Number("nrImages", "bounce", 1));
    }
    if (Settable("clock", "clocksettings")) ClockOption(Number("clock", "clocksettings", 0));
    if (Settable("bounceImages", "bounce")) BounceOption(settings_.ReadBool("bounceImages", "bounce"));
    out_ += "  <_description>" + XmlText(settings_.ReadValue("moreInfo", "general"), code_page_) + "</_description>\n";
    out_ += "</screensaver>\n";
    return out_;
  }

 private:
  const TSettingsList& settings_;
  CodePage code_page_;
  std::string out_;
};

}  // namespace

std::string HackXml(const TSettingsList& settings, std::string_view program) {
  return XmlWriter(settings).Write(program);
}

}  // namespace ris
