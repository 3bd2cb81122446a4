#include "setup_brand.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "archive/zip_archive.h"
#include "base/ascii.h"
#include "bmp_writer.h"
#include "data/settings_list.h"
#include "data/text_helpers.h"
#include "file_bytes.h"
#include "line_ends.h"
#include "picture_check.h"
#include "surface/scaler.h"
#include "text_encoding.h"

namespace ris::embedded {
extern const std::string_view DefaultSetupIcon;
}

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSetupFolder = "setup/";

// One brand value and where it was written, for the findings about it.
struct BrandValue {
  std::string Text;  // as written: in the product's code page for a key
  std::string Place;  // "settings.txt line 12, [setup] icon" or "--icon"
  bool FromOption = false;
};

// The picture scaled to cover width x height, keeping its shape, and cut to
// that size around its centre.
PixelImage Filled(const PixelImage& picture, std::int32_t width, std::int32_t height) {
  const double scale = std::max(static_cast<double>(width) / picture.Width,
                                static_cast<double>(height) / picture.Height);
  const auto covering = [scale](std::int32_t side, std::int32_t least) {
    return std::max(least, static_cast<std::int32_t>(std::lround(side * scale)));
  };
  const PixelImage scaled = ScalePicture(picture, covering(picture.Width, width), covering(picture.Height, height));
  PixelImage filled = PixelImage::Blank(width, height);
  const std::int32_t left = (scaled.Width - width) / 2;
  const std::int32_t top = (scaled.Height - height) / 2;
  for (std::int32_t y = 0; y < height; ++y) {
    const auto row = scaled.Pixels.begin() + static_cast<std::ptrdiff_t>(y + top) * scaled.Width + left;
    std::copy(row, row + width, filled.Row(y).begin());
  }
  return filled;
}

// A plain picture of the setup's own: a calm blue that darkens downwards.
PixelImage PlainWizardPicture() {
  PixelImage plain = PixelImage::Blank(kWizardPictureWidth, kWizardPictureHeight);
  for (std::int32_t y = 0; y < plain.Height; ++y) {
    const auto shade = [y](int top, int bottom) {
      return static_cast<std::uint8_t>(top + (bottom - top) * y / (kWizardPictureHeight - 1));
    };
    std::fill(plain.Row(y).begin(), plain.Row(y).end(), Bgra{shade(172, 95), shade(124, 58), shade(79, 31), 255});
  }
  return plain;
}

// A licence as NSIS's licence page reads a text file in a Unicode setup.
std::string LicenceText(std::string_view bytes, CodePage code_page) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  const std::string utf8 = IsUtf8Text(bytes) ? std::string(bytes) : CodePageToUtf8(bytes, code_page);
  return std::string(kUtf8ByteOrderMark) + WithCrLfLineEnds(utf8);
}

class BrandReader {
 public:
  BrandReader(std::string_view settings_text, CodePage code_page, std::span<const PackEntry> setup_files,
              const SetupBrandOptions& options, PackFindings& findings)
      : code_page_(code_page), setup_files_(setup_files), options_(options), findings_(findings) {
    VisitSettingsLines(settings_text, [this](const SettingsLine& line) {
      const std::string section = FoldAscii(line.Section);
      if (section != "setup" && section != "general") return;
      std::string place = "settings.txt line " + std::to_string(line.Number);
      place.append(", [").append(line.Section).append("] ").append(line.Key);
      keys_.try_emplace(section + "/" + FoldAscii(line.Key), BrandValue{std::string(line.Value), place, false});
    });
  }

  SetupBrand Read() {
    SetupBrand brand;
    ReadIcon(brand);
    auto wizard = Picture(Value("wizardPicture", options_.WizardPicture, "--wizard-picture"), kWizardPictureWidth,
                          kWizardPictureHeight);
    brand.WizardPicture = wizard ? std::move(*wizard) : EncodeBmp(PlainWizardPicture());
    brand.HeaderPicture = Picture(Value("headerPicture", options_.HeaderPicture, "--header-picture"),
                                  kHeaderPictureWidth, kHeaderPictureHeight);
    if (const auto licence = Value("licence", options_.Licence, "--licence")) {
      if (const auto bytes = FileBytes(*licence)) {
        if (TrimBlanks(*bytes).empty()) Error(*licence, "the licence text is empty");
        brand.Licence = LicenceText(*bytes, code_page_);
      }
    }
    brand.PublisherUrl = ReadPublisherUrl();
    brand.Language = ReadLanguage();
    return brand;
  }

 private:
  // The option's text, else the key's, else nothing; an empty key is none.
  std::optional<BrandValue> Value(std::string_view key, const std::optional<fs::path>& option,
                                  std::string_view option_name) const {
    if (option) return BrandValue{option->string(), std::string(option_name), true};
    return KeyValue("setup", key);
  }
  std::optional<BrandValue> TextValue(std::string_view key, const std::optional<std::string>& option,
                                      std::string_view option_name) const {
    if (option) return BrandValue{*option, std::string(option_name), true};
    auto value = KeyValue("setup", key);
    if (value) value->Text = CodePageToUtf8(value->Text, code_page_);
    return value;
  }
  std::optional<BrandValue> KeyValue(std::string_view section, std::string_view key) const {
    const auto found = keys_.find(std::string(section) + "/" + FoldAscii(key));
    if (found == keys_.end() || found->second.Text.empty()) return std::nullopt;
    return found->second;
  }

  void Error(const BrandValue& value, const std::string& text) { findings_.Error(value.Place + ": " + text); }

  // The bytes of the file a value names: on disk for an option, in setup/
  // for a key ("setup/icon.ico" or "icon.ico", either slash).
  std::optional<std::string> FileBytes(const BrandValue& value) {
    if (value.FromOption) {
      auto bytes = ReadFileBytes(value.Text, kMaxZipEntryBytes);
      if (bytes) return std::move(bytes).value();
      Error(value, "cannot read '" + value.Text + "': " + bytes.error());
      return std::nullopt;
    }
    std::string name = value.Text;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!StartsWithFolded(name, kSetupFolder)) name.insert(0, kSetupFolder);
    for (const PackEntry& file : setup_files_) {
      if (EqualsFolded(file.Name, name)) return file.Bytes;
    }
    Error(value, "'" + value.Text + "' is no file of the product's setup/ folder");
    return std::nullopt;
  }

  std::string FileName(const BrandValue& value) const {
    return value.FromOption ? fs::path(value.Text).filename().string() : value.Text;
  }

  void ReadIcon(SetupBrand& brand) {
    brand.Icon = std::string(embedded::DefaultSetupIcon);
    const auto icon = Value("icon", options_.Icon, "--icon");
    if (!icon) return;
    const auto bytes = FileBytes(*icon);
    if (!bytes) return;
    const bool icon_file = bytes->starts_with(std::string_view("\0\0\1\0", 4)) &&
                           EqualsFolded(fs::path(FileName(*icon)).extension().string(), ".ico");
    const Result<PixelImage, std::string> decoded =
        icon_file ? DecodePixels(FileName(*icon), *bytes) : Failure{std::string("not an .ico file")};
    if (!decoded) {
      Error(*icon, "'" + icon->Text + "' is no icon the setup can carry: " + decoded.error());
      return;
    }
    brand.Icon = *bytes;
    brand.MakersIcon = true;
  }

  std::optional<std::string> Picture(const std::optional<BrandValue>& value, std::int32_t width,
                                     std::int32_t height) {
    if (!value) return std::nullopt;
    const auto bytes = FileBytes(*value);
    if (!bytes) return std::nullopt;
    const auto picture = DecodePixels(FileName(*value), *bytes);
    if (!picture) {
      Error(*value, "'" + value->Text + "' is no picture the setup can show: " + picture.error());
      return std::nullopt;
    }
    return EncodeBmp(Filled(*picture, width, height));
  }

  std::string ReadPublisherUrl() {
    if (const auto named = TextValue("publisherUrl", options_.PublisherUrl, "--publisher-url")) {
      if (auto address = PublisherAddress(named->Text)) return *address;
      Error(*named, "'" + named->Text + "' is no address a browser could open");
      return {};
    }
    const auto site = KeyValue("general", "url");
    return site ? PublisherAddress(CodePageToUtf8(site->Text, code_page_)).value_or("") : "";
  }

  const SetupLanguage* ReadLanguage() {
    if (const auto named = TextValue("language", options_.Language, "--language")) {
      const auto language = SetupLanguageNamed(named->Text);
      if (language) return *language;
      Error(*named, language.error());
      return &EnglishSetup();
    }
    if (const SetupLanguage* language = DefaultSetupLanguage(code_page_)) return language;
    const std::string languages = LanguagesOfCodePage(code_page_);
    findings_.Warning("settings.txt, [setup] language: code page " + std::to_string(code_page_) +
                      " is written in several languages (" + languages + "): name the setup's, such as language=" +
                      languages.substr(0, languages.find(',')) + "; until then it speaks English");
    return &EnglishSetup();
  }

  CodePage code_page_;
  std::span<const PackEntry> setup_files_;
  const SetupBrandOptions& options_;
  PackFindings& findings_;
  std::map<std::string, BrandValue> keys_;  // "setup/icon": the first line of each key
};

}  // namespace

SetupBrand ReadSetupBrand(std::string_view settings_text, CodePage code_page, std::span<const PackEntry> setup_files,
                          const SetupBrandOptions& options, PackFindings& findings) {
  return BrandReader(settings_text, code_page, setup_files, options, findings).Read();
}

std::optional<std::string> PublisherAddress(std::string_view address) {
  if (TrimBlanks(address).size() != address.size() || address.find(' ') != std::string_view::npos) {
    return std::nullopt;
  }
  auto target = WebAddressToOpen(address);
  if (!target) return std::nullopt;
  const std::size_t colon = target->find(':');
  if (target->compare(colon + 1, 2, "//") != 0) target->insert(colon + 1, "//");
  return target;
}

}  // namespace ris::tool
