#pragma once
// The Windows-1250 code page: every text of the register is held and written
// as Windows-1250 bytes; conversions to UTF-8 happen only at the edges
// (the UTF-8 packet form, the widgets, the clipboard).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp1250 {

// Unicode code point of a Windows-1250 byte. The five bytes the code page
// leaves undefined (81 83 88 90 98) map to U+0081, U+0083, U+0088, U+0090
// and U+0098 and back, so that every byte survives every conversion.
char32_t toUnicode(unsigned char c);

// The Windows-1250 byte of a code point; false when the code page lacks it.
bool fromUnicode(char32_t cp, unsigned char& out);

// Windows-1250 text to UTF-8.
std::string toUtf8(std::string_view ansi);

// UTF-8 text to Windows-1250. A malformed sequence, or a character of more
// than three bytes, becomes a space; a character the code page lacks
// becomes '?' (the system's default character). `lossless` (optional) is
// cleared when anything was replaced.
std::string fromUtf8(std::string_view utf8, bool* lossless = nullptr);

// Whether the bytes are valid UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// 8-bit lower-casing of the code page: A-Z and the upper-case letters with
// diacritics (Č, Š, Ž, Á, ...) become their lower-case letters; every other
// byte stays.
unsigned char lower(unsigned char c);
void lowerInPlace(std::string& text);
std::string lowered(std::string_view text);
// `text` lower-cased into `out`, whose memory is reused: for walks over
// every record.
inline void lowerInto(std::string& out, std::string_view text);

// Whether two texts are equal with the letters A to Z compared without
// regard to case and every other byte as it stands: for the names and
// keywords of the file formats (".xml", "UTF-8", "true").
bool equalsAsciiNoCase(std::string_view a, std::string_view b);
// Whether two texts are equal letters in any case, by the code page's
// lower-casing (Č and č alike).
bool equalsNoCase(std::string_view a, std::string_view b);

namespace detail {

constexpr std::array<unsigned char, 256> makeLowerTable() {
  std::array<unsigned char, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<unsigned char>(b + 0x20);
  // Š Ś Ť Ž Ź sit 0x10 below their small letters.
  for (int b : {0x8A, 0x8C, 0x8D, 0x8E, 0x8F}) t[b] = static_cast<unsigned char>(b + 0x10);
  t[0xA3] = 0xB3;  // Ł
  t[0xA5] = 0xB9;  // Ą
  t[0xAA] = 0xBA;  // Ş
  t[0xAF] = 0xBF;  // Ż
  t[0xBC] = 0xBE;  // Ľ
  for (int b = 0xC0; b <= 0xDE; ++b)
    if (b != 0xD7) t[b] = static_cast<unsigned char>(b + 0x20);  // 0xD7 is the multiplication sign
  return t;
}

// The lower-casing as a table, in the header so that walks over every
// record inline it.
inline constexpr std::array<unsigned char, 256> kLower = makeLowerTable();

}  // namespace detail

inline void lowerInto(std::string& out, std::string_view text) {
  out.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(detail::kLower[static_cast<unsigned char>(text[i])]);
}

}  // namespace cp1250
