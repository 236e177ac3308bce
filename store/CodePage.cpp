#include "CodePage.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace cp1250 {

namespace {

// Code points of the bytes 80-FF. The five bytes the code page leaves
// undefined (81 83 88 90 98) stand for the control characters of the same
// number, as the system's own conversion has them, so every byte comes back.
constexpr char16_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

struct Reverse {
  char16_t cp;
  unsigned char byte;
};

// The upper half, ordered by code point for the way back.
struct ReverseTable {
  std::array<Reverse, 128> entries{};
  std::size_t size = 0;
  ReverseTable() {
    for (int i = 0; i < 128; ++i) entries[size++] = {kHigh[i], static_cast<unsigned char>(0x80 + i)};
    std::sort(entries.begin(), entries.begin() + size, [](const Reverse& a, const Reverse& b) { return a.cp < b.cp; });
  }
};

const ReverseTable& reverseTable() {
  static const ReverseTable table;
  return table;
}

// The UTF-8 form of every byte, so that toUtf8 copies instead of encoding.
struct Utf8Of {
  char bytes[3];
  unsigned char len;
};

std::array<Utf8Of, 256> makeUtf8Table() {
  std::array<Utf8Of, 256> t{};
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = toUnicode(static_cast<unsigned char>(b));
    Utf8Of& e = t[b];
    if (cp < 0x80) {
      e.bytes[0] = static_cast<char>(cp);
      e.len = 1;
    } else if (cp < 0x800) {
      e.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
      e.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
      e.len = 2;
    } else {
      e.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
      e.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      e.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
      e.len = 3;
    }
  }
  return t;
}


// One step of UTF-8 decoding. Returns the number of bytes taken (at least
// one) and sets `cp`, or sets `ok` false for a malformed sequence; the bytes
// taken are then the longest start of a valid sequence (at least one byte),
// so that each malformed piece is reported once.
std::size_t decodeOne(const unsigned char* p, std::size_t n, char32_t& cp, bool& ok) {
  const unsigned char b = p[0];
  ok = true;
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // overlong
    if (b == 0xED) hi = 0x9F;  // surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;  // overlong
    if (b == 0xF4) hi = 0x8F;  // above 10FFFF
  } else {
    ok = false;
    return 1;
  }
  std::size_t i = 1;
  for (; i <= need; ++i) {
    if (i >= n) break;
    const unsigned char c = p[i];
    const unsigned char min = i == 1 ? lo : 0x80, max = i == 1 ? hi : 0xBF;
    if (c < min || c > max) break;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (i <= need) ok = false;
  return i;
}

}  // namespace

char32_t toUnicode(unsigned char c) { return c < 0x80 ? c : kHigh[c - 0x80]; }

bool fromUnicode(char32_t cp, unsigned char& out) {
  if (cp < 0x80) {
    out = static_cast<unsigned char>(cp);
    return true;
  }
  if (cp > 0xFFFF) return false;
  const ReverseTable& t = reverseTable();
  const auto end = t.entries.begin() + t.size;
  const auto it = std::lower_bound(t.entries.begin(), end, cp, [](const Reverse& e, char32_t v) { return e.cp < v; });
  if (it == end || it->cp != cp) return false;
  out = it->byte;
  return true;
}

std::string toUtf8(std::string_view ansi) {
  static const std::array<Utf8Of, 256> table = makeUtf8Table();
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (char ch : ansi) {
    const Utf8Of& e = table[static_cast<unsigned char>(ch)];
    out.append(e.bytes, e.len);
  }
  return out;
}

std::string fromUtf8(std::string_view utf8, bool* lossless) {
  std::string out;
  out.reserve(utf8.size());
  bool exact = true;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t n = utf8.size();
  while (n) {
    if (*p < 0x80) {
      out.push_back(static_cast<char>(*p++));
      --n;
      continue;
    }
    char32_t cp = 0;
    bool ok = false;
    const std::size_t taken = decodeOne(p, n, cp, ok);
    p += taken;
    n -= taken;
    unsigned char byte;
    if (!ok || cp > 0xFFFF) {
      out.push_back(' ');  // malformed, or a character of four bytes
      exact = false;
    } else if (fromUnicode(cp, byte)) {
      out.push_back(static_cast<char>(byte));
    } else {
      out.push_back('?');
      exact = false;
    }
  }
  if (lossless && !exact) *lossless = false;
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  while (n) {
    if (*p < 0x80) {
      ++p;
      --n;
      continue;
    }
    char32_t cp;
    bool ok;
    const std::size_t taken = decodeOne(p, n, cp, ok);
    if (!ok) return false;
    p += taken;
    n -= taken;
  }
  return true;
}

unsigned char lower(unsigned char c) { return detail::kLower[c]; }

void lowerInPlace(std::string& text) {
  for (char& ch : text) ch = static_cast<char>(detail::kLower[static_cast<unsigned char>(ch)]);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (detail::kLower[static_cast<unsigned char>(a[i])] != detail::kLower[static_cast<unsigned char>(b[i])]) return false;
  return true;
}


std::string lowered(std::string_view text) {
  std::string out(text);
  lowerInPlace(out);
  return out;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace cp1250
