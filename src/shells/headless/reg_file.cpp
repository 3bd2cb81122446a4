#include "shells/headless/reg_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "base/ascii.h"

namespace ris {
namespace {

constexpr std::string_view kHeaderAnsi = "REGEDIT4";
constexpr std::string_view kHeaderUnicode = "Windows Registry Editor Version 5.00";

// The editor wraps hex data so that no line is wider than this.
constexpr std::size_t kWrapColumn = 80;

unsigned Byte(char c) noexcept { return static_cast<unsigned char>(c); }

// A .reg file's lines are trimmed of blanks and tabs only.
std::string_view TrimLeft(std::string_view text) noexcept { return TrimStart(text, IsSpaceOrTab); }
std::string_view TrimRight(std::string_view text) noexcept { return TrimEnd(text, IsSpaceOrTab); }

// 1 to 8 hex digits; nothing when the text is anything else.
std::optional<std::uint32_t> ParseHex32(std::string_view digits) noexcept {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

bool IsHighSurrogate(unsigned unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The saver's text is single bytes: a code unit below 256 is that byte, any
// other character one '?', as the system converts to a Latin code page.
// A trailing odd byte is ignored; callers check the length.
std::string Utf16ToBytes(std::string_view little_endian) {
  std::string bytes;
  bytes.reserve(little_endian.size() / 2);
  const std::size_t units = little_endian.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const unsigned unit = Byte(little_endian[2 * i]) | (Byte(little_endian[2 * i + 1]) << 8);
    if (unit < 256) {
      bytes += static_cast<char>(unit);
      continue;
    }
    bytes += '?';
    if (IsHighSurrogate(unit) && i + 1 < units) {
      const unsigned next = Byte(little_endian[2 * i + 2]) | (Byte(little_endian[2 * i + 3]) << 8);
      if (IsLowSurrogate(next)) ++i;  // one character, one '?'
    }
  }
  return bytes;
}

std::size_t LineOfEnd(std::string_view text) noexcept {
  std::size_t line = 1;
  for (const char c : text) line += c == '\n' ? 1 : 0;
  return line;
}

// Lines without their LF or CR LF, numbered from 1.
class Lines {
 public:
  explicit Lines(std::string_view text) noexcept : text_(text) {}

  bool Next(std::string_view& line) noexcept {
    if (pos_ >= text_.size()) return false;
    const auto feed = text_.find('\n', pos_);
    const std::size_t end = feed == std::string_view::npos ? text_.size() : feed;
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }

  std::size_t Number() const noexcept { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t number_ = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lines_(text) {}

  MemoryHive Run() {
    std::string_view line;
    if (!lines_.Next(line)) return std::move(hive_);
    const std::string_view header = TrimRight(line);
    if (header == kHeaderUnicode) {
      unicode_ = true;
    } else if (header != kHeaderAnsi) {
      Fail(
          "the text does not start with \"REGEDIT4\" or "
          "\"Windows Registry Editor Version 5.00\"");
    }
    while (lines_.Next(line)) {
      const std::string_view text = TrimLeft(line);
      if (TrimRight(text).empty() || text.front() == ';') continue;
      if (text.front() == '[') {
        ParseKeyLine(TrimRight(text));
      } else if (text.front() == '"' || text.front() == '@') {
        ParseValueLine(text);
      } else {
        Fail("expected a key in brackets, a value or a comment");
      }
    }
    key_.reset();  // it refers to the hive, which moves out next
    return std::move(hive_);
  }

 private:
  enum class Target { None, Skipped, Key };

  [[noreturn]] void Fail(std::string_view problem) const {
    throw ERegFileError(lines_.Number(), problem);
  }

  [[noreturn]] void FailKeyPath() const {
    Fail(
        "the key path has an empty name, a name longer than 255 bytes or "
        "more than 512 levels");
  }

  void ParseKeyLine(std::string_view text) {
    if (text.size() < 2 || text.back() != ']') Fail("a key line must end with ']'");
    // Key names may themselves hold ']': the line's last one closes it.
    std::string_view inner = text.substr(1, text.size() - 2);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const auto separator = inner.find('\\');
    const std::string_view root = inner.substr(0, separator);
    const std::string_view path =
        separator == std::string_view::npos ? std::string_view{} : inner.substr(separator + 1);
    if (root.empty()) Fail("the key line names no root key");

    key_.reset();
    target_ = Target::Skipped;
    if (!EqualsFolded(root, "HKEY_CURRENT_USER") && !EqualsFolded(root, "HKCU")) return;
    if (remove) {
      if (!hive_.DeleteKey(path)) FailKeyPath();
      return;  // the editor ignores values listed under a deleted key
    }
    key_ = hive_.CreateKey(path);
    if (!key_) FailKeyPath();
    key_path_ = std::string(path);
    target_ = Target::Key;
  }

  void ParseValueLine(std::string_view text) {
    std::string name;
    if (text.front() == '@') {
      text.remove_prefix(1);
    } else {
      text.remove_prefix(1);
      name = ReadQuoted(text);
      if (name.size() > kMaxValueNameBytes) Fail("the value name is longer than 16383 bytes");
    }
    text = TrimLeft(text);
    if (text.empty() || text.front() != '=') Fail("expected '=' after the value name");
    text = TrimLeft(text.substr(1));
    if (target_ == Target::None) Fail("a value comes before the first key line");

    if (TrimRight(text) == "-") {
      if (target_ == Target::Key) hive_.DeleteValue(key_path_, name);
      return;
    }
    // Values under skipped keys are still read, so that a broken one is
    // reported and their continuation lines are consumed.
    const RegistryValue value = ReadValue(text);
    if (target_ == Target::Key && !key_->WriteValue(name, value)) {
      Fail("the value could not be stored");
    }
  }

  RegistryValue ReadValue(std::string_view text) {
    if (!text.empty() && text.front() == '"') {
      text.remove_prefix(1);
      std::string data = ReadQuoted(text);
      if (!TrimRight(text).empty()) Fail("unexpected text after the closing quote");
      data += '\0';
      return {RegistryType::String, std::move(data)};
    }
    if (StartsWithFolded(text, "dword:")) {
      const auto number = ParseHex32(TrimRight(text.substr(6)));
      if (!number) Fail("a dword value needs 1 to 8 hex digits");
      std::string data(4, '\0');
      for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((*number >> (8 * i)) & 0xFF);
      return {RegistryType::Dword, std::move(data)};
    }
    if (StartsWithFolded(text, "hex")) {
      text.remove_prefix(3);
      std::uint32_t type = static_cast<std::uint32_t>(RegistryType::Binary);
      if (!text.empty() && text.front() == '(') {
        const auto close = text.find(')');
        if (close == std::string_view::npos) Fail("'hex(' without ')'");
        const auto number = ParseHex32(text.substr(1, close - 1));
        if (!number) Fail("hex(...) needs a type of 1 to 8 hex digits");
        type = *number;
        text.remove_prefix(close + 1);
      }
      if (text.empty() || text.front() != ':') Fail("expected ':' after hex");
      text.remove_prefix(1);
      std::string data = ReadHexBytes(text);
      const auto kind = static_cast<RegistryType>(type);
      if (unicode_ && (kind == RegistryType::String || kind == RegistryType::ExpandString ||
                       kind == RegistryType::MultiString)) {
        if (data.size() % 2 != 0) Fail("UTF-16 text data with an odd number of bytes");
        data = Utf16ToBytes(data);
      }
      return {kind, std::move(data)};
    }
    Fail("unknown kind of value: expected \"text\", dword:, hex: or hex(type):");
  }

  // `text` starts after the opening quote; on return it starts after the
  // closing one. Only \\ and \" are escapes.
  std::string ReadQuoted(std::string_view& text) {
    std::string result;
    std::size_t i = 0;
    while (true) {
      if (i >= text.size()) Fail("unterminated quoted text");
      const char c = text[i++];
      if (c == '"') break;
      if (c == '\\') {
        if (i >= text.size()) Fail("unterminated quoted text");
        const char escaped = text[i++];
        if (escaped != '\\' && escaped != '"') {
          Fail("unknown escape in quoted text: only \\\\ and \\\" are allowed");
        }
        result += escaped;
      } else {
        result += c;
      }
    }
    text.remove_prefix(i);
    return result;
  }

  // Comma-separated bytes of two hex digits; a line ending in a backslash
  // continues on the next.
  std::string ReadHexBytes(std::string_view text) {
    std::string data;
    while (true) {
      text = TrimRight(text);
      const bool continued = !text.empty() && text.back() == '\\';
      if (continued) text.remove_suffix(1);
      ReadHexSegment(text, data);
      if (!continued) return data;
      std::string_view next;
      if (!lines_.Next(next)) Fail("the hex data continues past the end of the text");
      text = TrimLeft(next);
    }
  }

  void ReadHexSegment(std::string_view text, std::string& data) {
    text = TrimRight(TrimLeft(text));
    if (text.empty()) return;
    std::size_t start = 0;
    while (true) {
      const auto comma = text.find(',', start);
      const std::string_view item = TrimRight(TrimLeft(text.substr(
          start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
      if (item.empty()) {
        if (comma == std::string_view::npos && start != 0) return;  // a trailing comma
        Fail("an empty item in hex data");
      }
      const auto byte = item.size() <= 2 ? ParseHex32(item) : std::nullopt;
      if (!byte) Fail("bad hex byte: expected two hex digits");
      data += static_cast<char>(*byte);
      if (comma == std::string_view::npos) return;
      start = comma + 1;
    }
  }

  Lines lines_;
  bool unicode_ = false;
  MemoryHive hive_;
  Target target_ = Target::None;
  std::string key_path_;
  std::unique_ptr<RegistryKey> key_;
};

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

// Text that can stand between quotes: terminated once, at its end, and free
// of control characters, which the quoted form cannot carry across lines.
bool IsPlainText(std::string_view data) noexcept {
  if (data.empty() || data.back() != '\0') return false;
  data.remove_suffix(1);
  for (const char c : data) {
    if (Byte(c) < 0x20 || Byte(c) == 0x7F) return false;
  }
  return true;
}

void AppendHexBytes(std::string& out, std::size_t column, std::string_view data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    // Room for "xx," and the continuation backslash.
    if (i > 0 && column + 4 > kWrapColumn) {
      out += "\\\r\n  ";
      column = 2;
    }
    out += HexDigit(Byte(data[i]) >> 4);
    out += HexDigit(Byte(data[i]));
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
    }
  }
}

std::string HexNumber(std::uint32_t number, std::size_t min_digits) {
  std::string digits;
  do {
    digits.insert(digits.begin(), HexDigit(number));
    number >>= 4;
  } while (number != 0);
  if (digits.size() < min_digits) digits.insert(0, min_digits - digits.size(), '0');
  return digits;
}

void AppendValue(std::string& out, const NamedValue& named) {
  const std::size_t line_start = out.size();
  if (named.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, named.name);
  }
  out += '=';
  const RegistryValue& value = named.value;
  if (value.type == RegistryType::String && IsPlainText(value.data)) {
    AppendQuoted(out, std::string_view(value.data).substr(0, value.data.size() - 1));
  } else if (value.type == RegistryType::Dword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i) number |= std::uint32_t{Byte(value.data[i])} << (8 * i);
    out += "dword:";
    out += HexNumber(number, 8);
  } else {
    if (value.type == RegistryType::Binary) {
      out += "hex:";
    } else {
      out += "hex(";
      out += HexNumber(static_cast<std::uint32_t>(value.type), 1);
      out += "):";
    }
    AppendHexBytes(out, out.size() - line_start, value.data);
  }
  out += "\r\n";
}

}  // namespace

ERegFileError::ERegFileError(std::size_t line, std::string_view problem, std::string_view file)
    : ESaverError([&] {
        std::string message;
        if (!file.empty()) message.append(file).append(": ");
        if (line != 0) message.append("line ").append(std::to_string(line)).append(": ");
        return message.append(problem);
      }()),
      line_(line),
      problem_(problem) {}

bool FitsRegFile(std::string_view name) noexcept {
  return name.find('\n') == std::string_view::npos;
}

MemoryHive ParseRegFile(std::string_view bytes) {
  if (bytes.size() > kMaxRegFileBytes) {
    throw ERegFileError(0, "the text is larger than 64 MiB");
  }
  // UTF-16LE with its byte order mark, as the editor saves by default.
  if (bytes.size() >= 2 && Byte(bytes[0]) == 0xFF && Byte(bytes[1]) == 0xFE) {
    bytes.remove_prefix(2);
    const std::string text = Utf16ToBytes(bytes);
    if (bytes.size() % 2 != 0) {
      throw ERegFileError(LineOfEnd(text), "the UTF-16 text ends in half a character");
    }
    return Parser(text).Run();
  }
  return Parser(bytes).Run();
}

std::string WriteRegFile(const MemoryHive& hive) {
  std::string out(kHeaderAnsi);
  out += "\r\n";
  hive.ForEachKey([&out](const KeyView& key) {
    if (key.values.empty() && (key.has_subkeys || key.path.empty())) return;
    if (!FitsRegFile(key.path)) {
      throw ERegFileError(0, "a key name holds a line feed, which a .reg file cannot carry");
    }
    out += "\r\n[HKEY_CURRENT_USER";
    if (!key.path.empty()) {
      out += '\\';
      out += key.path;
    }
    out += "]\r\n";
    for (const auto& [folded, named] : key.values) {
      if (!FitsRegFile(named.name)) {
        throw ERegFileError(0, "a value name holds a line feed, which a .reg file cannot carry");
      }
      AppendValue(out, named);
    }
  });
  out += "\r\n";
  return out;
}

}  // namespace ris
