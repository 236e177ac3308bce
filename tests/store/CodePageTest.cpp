#include "CodePage.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <string>

namespace {

constexpr unsigned char kUndefined[] = {0x81, 0x83, 0x88, 0x90, 0x98};

bool undefinedByte(int b) {
  for (unsigned char u : kUndefined)
    if (b == u) return true;
  return false;
}

TEST(CodePage, KnownLettersMapBothWays) {
  struct Case {
    unsigned char byte;
    char32_t cp;
  } cases[] = {
      {0x41, U'A'},      {0x80, U'\u20AC'}, {0x8A, U'Š'}, {0x8E, U'Ž'}, {0x9A, U'š'}, {0x9E, U'ž'},
      {0xA0, U'\u00A0'}, {0xA5, U'Ą'},      {0xC8, U'Č'}, {0xCC, U'Ě'}, {0xD8, U'Ř'}, {0xD9, U'Ů'},
      {0xE8, U'č'},      {0xED, U'í'},      {0xF8, U'ř'}, {0xF9, U'ů'}, {0xFF, U'\u02D9'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp1250::toUnicode(c.byte), c.cp) << std::hex << int(c.byte);
    unsigned char back = 0;
    ASSERT_TRUE(cp1250::fromUnicode(c.cp, back)) << std::hex << int(c.byte);
    EXPECT_EQ(back, c.byte);
  }
}

TEST(CodePage, EveryByteSurvivesUtf8AndBack) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    bool lossless = true;
    EXPECT_EQ(cp1250::fromUtf8(cp1250::toUtf8(one), &lossless), one) << std::hex << b;
    EXPECT_TRUE(lossless) << std::hex << b;
  }
  // The bytes the code page leaves undefined are the control characters of
  // the same number, both ways; nothing becomes U+FFFD.
  for (unsigned char b : kUndefined) {
    EXPECT_EQ(cp1250::toUnicode(b), char32_t{b});
    unsigned char back = 0;
    ASSERT_TRUE(cp1250::fromUnicode(char32_t{b}, back));
    EXPECT_EQ(back, b);
    EXPECT_EQ(cp1250::toUtf8(std::string(1, static_cast<char>(b))), std::string("\xC2") + static_cast<char>(b));
  }
  unsigned char out;
  EXPECT_FALSE(cp1250::fromUnicode(U'\uFFFD', out));
  EXPECT_FALSE(cp1250::fromUnicode(U'\u0080', out));  // the euro sign's byte is 80, not this control
}

TEST(CodePage, Utf8OfCzechText) {
  EXPECT_EQ(cp1250::toUtf8("\xED"), "\xC3\xAD");  // í
  EXPECT_EQ(cp1250::toUtf8("\x80"), "\xE2\x82\xAC");  // €
  EXPECT_EQ(cp1250::toUtf8(cp1250::fromUtf8("Příliš žluťoučký kůň")), "Příliš žluťoučký kůň");
  EXPECT_EQ(cp1250::fromUtf8("Příliš").size(), 6u);
}

TEST(CodePage, DamagedOrForeignUtf8IsReplaced) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string ansi;
  } cases[] = {
      {"stray byte", "a\xFF" "b", "a b"},
      {"lone continuation", "a\x80", "a "},
      {"cut two-byte", "ab\xC3", "ab "},
      {"cut three-byte", "\xE2\x82" "x", " x"},
      {"overlong", "\xC0\xAF", "  "},
      {"surrogate", "\xED\xA0\x80", "   "},
      {"four-byte character", "<\xF0\x9F\x98\x80>", "< >"},
      {"cut four-byte", "\xF0\x9F\x98", " "},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "    "},
      {"missing from the code page", "\xE4\xB8\xAD", "?"},  // 中
  };
  for (const Case& c : cases) {
    bool lossless = true;
    EXPECT_EQ(cp1250::fromUtf8(c.utf8, &lossless), c.ansi) << c.name;
    EXPECT_FALSE(lossless) << c.name;
  }
}

TEST(CodePage, Utf8Validity) {
  for (const char* ok : {"", "abc", "\xC3\xAD", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(cp1250::isValidUtf8(ok)) << ok;
  for (const char* bad : {"\x80", "\xFF", "a\xC3", "\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF8\x88\x80\x80\x80", "\xE2\x82"})
    EXPECT_FALSE(cp1250::isValidUtf8(bad)) << bad;
}

TEST(CodePage, LowerCasing) {
  EXPECT_EQ(cp1250::toUtf8(cp1250::lowered(cp1250::fromUtf8("ČESKÝ"))), "český");
  EXPECT_EQ(cp1250::toUtf8(cp1250::lowered(cp1250::fromUtf8("ŠŚŤŽŹŁĄŞŻĽ ŘŮĚ × ß 1Ab"))), "šśťžźłąşżľ řůě × ß 1ab");
  std::string text = cp1250::fromUtf8("Ďábel");
  cp1250::lowerInPlace(text);
  EXPECT_EQ(cp1250::toUtf8(text), "ďábel");

  // Every byte against Unicode's own lower-casing of its character.
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    unsigned char expected = byte;
    const char32_t cp = cp1250::toUnicode(byte);
    if (!undefinedByte(b)) {
      unsigned char lowerByte;
      if (cp1250::fromUnicode(static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp))), lowerByte))
        expected = lowerByte;
    }
    EXPECT_EQ(cp1250::lower(byte), expected) << std::hex << b;
  }
}

}  // namespace
