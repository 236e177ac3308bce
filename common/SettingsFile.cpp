#include "SettingsFile.h"

#include <cstdint>
#include <optional>
#include <system_error>
#include <vector>

#include "FileLayer.h"

namespace settings {

namespace {

// A value is read through a buffer of this many characters, its last one the
// terminating NUL.
constexpr std::size_t kValueBuffer = 2048;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Windows-1250 letters folded to lower case: ASCII, the upper/lower pairs
// of the 0x8A-0xBF range and the accented block 0xC0-0xDE (without the
// multiplication sign).
unsigned char foldByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: case 0x8C: case 0x8D: case 0x8E: case 0x8F:  // Š Ś Ť Ž Ź
      return static_cast<unsigned char>(c + 0x10);
    case 0xA3: return 0xB3;  // Ł
    case 0xA5: return 0xB9;  // Ą
    case 0xAA: return 0xBA;  // Ş
    case 0xAF: return 0xBF;  // Ż
    case 0xBC: return 0xBE;  // Ľ
    default: break;
  }
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  return c;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldByte(static_cast<unsigned char>(a[i])) != foldByte(static_cast<unsigned char>(b[i]))) return false;
  return true;
}


// One line of the file as it was read, without its line break.
struct Line {
  enum Kind { Other, Section, Key };
  std::string_view text;
  Kind kind = Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key lines: the value, trimmed
};

Line classify(std::string_view text) {
  Line line;
  line.text = text;
  const std::string_view body = trim(text);
  if (body.empty() || body.front() == ';') return line;
  if (body.front() == '[') {
    const auto close = body.find(']');
    if (close != std::string_view::npos) {
      line.kind = Line::Section;
      line.name = trim(body.substr(1, close - 1));
    }
    return line;
  }
  const auto eq = body.find('=');
  if (eq == std::string_view::npos) return line;
  line.name = trim(body.substr(0, eq));
  if (line.name.empty()) return line;
  line.kind = Line::Key;
  line.value = trim(body.substr(eq + 1));
  return line;
}

// The lines of the text up to its first NUL; CR LF, CR and LF end a line.
std::vector<Line> splitLines(std::string_view text) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(classify(text.substr(start)));
      break;
    }
    lines.push_back(classify(text.substr(start, end - start)));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

// Where a section lies: its header line and the first line after it.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Section || !sameName(lines[i].name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != Line::Section) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionSpan& span, std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i)
    if (lines[i].kind == Line::Key && sameName(lines[i].name, key)) return i;
  return std::nullopt;
}

std::string readContent(const std::filesystem::path& path) {
  try {
    return files::readWholeFile(path);
  } catch (const files::FileError&) {
    return {};
  }
}

}  // namespace

std::string SettingsFile::readString(std::string_view section, std::string_view key, std::string_view def) const {
  const std::string content = readContent(path_);
  const std::vector<Line> lines = splitLines(content);
  std::string_view value = def;
  if (const auto span = findSection(lines, section)) {
    if (const auto at = findKey(lines, *span, key)) {
      value = lines[*at].value;
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    }
  }
  return std::string(value.substr(0, kValueBuffer - 1));
}

int SettingsFile::readInteger(std::string_view section, std::string_view key, int def) const {
  int value = 0;
  return parseInteger(readString(section, key, ""), value) ? value : def;
}

bool SettingsFile::readBool(std::string_view section, std::string_view key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void SettingsFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string failure = "Unable to write to " + files::utf8(path_);
  std::string content;
  std::error_code ec;
  if (std::filesystem::exists(path_, ec)) {
    // A file that is there but cannot be read is not overwritten.
    try {
      content = files::readWholeFile(path_);
    } catch (const files::FileError&) {
      throw SettingsWriteError(failure);
    }
  } else if (ec) {
    throw SettingsWriteError(failure);
  }

  std::vector<Line> lines = splitLines(content);
  std::string keyLine;
  keyLine.append(key).append("=").append(value);
  const std::string sectionLine = "[" + std::string(section) + "]";

  if (const auto span = findSection(lines, section)) {
    if (const auto at = findKey(lines, *span, key)) {
      lines[*at] = classify(keyLine);
    } else {
      // After the section's last key, so that blank lines and comments that
      // close the section stay after it.
      std::size_t after = span->header;
      for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (lines[i].kind == Line::Key) after = i;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after) + 1, classify(keyLine));
    }
  } else {
    lines.push_back(classify(sectionLine));
    lines.push_back(classify(keyLine));
  }

  std::string out;
  std::size_t size = 0;
  for (const Line& line : lines) size += line.text.size() + 2;
  out.reserve(size);
  for (const Line& line : lines) out.append(line.text).append("\r\n");

  try {
    files::writeFileAtomically(path_, out);
  } catch (const files::FileError&) {
    throw SettingsWriteError(failure);
  }
}

void SettingsFile::writeInteger(std::string_view section, std::string_view key, int value) {
  writeString(section, key, std::to_string(value));
}

void SettingsFile::writeBool(std::string_view section, std::string_view key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

bool parseInteger(std::string_view text, int& out) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;

  // Decimal keeps to the signed range; hexadecimal may fill all 32 bits and
  // wraps, so "$FFFFFFFF" is -1.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  out = static_cast<std::int32_t>(bits);
  return true;
}

}  // namespace settings
