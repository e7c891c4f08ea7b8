#include "tools/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePageTest, RussianIsWindows1251AndTheOthers1252) {
  EXPECT_EQ(1251, kelvdata::CodePageOf(7));
  for (int language : {0, 1, 2, 3, 4, 5, 6}) EXPECT_EQ(1252, kelvdata::CodePageOf(language)) << language;
}

TEST(CodePageTest, ConvertsEachCharacterToItsByte) {
  struct Case {
    const char* name;
    int codePage;
    const char* utf8;
    std::string bytes;
  };
  const Case cases[] = {
      {"ASCII passes through", 1251, "LAP 2/3: OK!", "LAP 2/3: OK!"},
      {"empty", 1252, "", ""},
      {"first and last capital", 1251, "\xD0\x90\xD0\xAF", "\xC0\xDF"},          // А Я
      {"first and last small", 1251, "\xD0\xB0\xD1\x8F", "\xE0\xFF"},            // а я
      {"yo, capital and small", 1251, "\xD0\x81\xD1\x91", "\xA8\xB8"},           // Ё ё
      {"a word", 1251, "\xD0\x93\xD0\xBE\xD0\xBD\xD0\xBA\xD0\xB0", "\xC3\xEE\xED\xEA\xE0"},  // Гонка
      {"1251's own punctuation", 1251, "\xE2\x84\x96\xC2\xAB", "\xB9\xAB"},      // № «
      {"Latin-1 letters", 1252, "\xC3\xA9\xC3\x9F\xC3\xB1", "\xE9\xDF\xF1"},     // é ß ñ
      {"1252's block 0x80", 1252, "\xE2\x82\xAC\xC5\x92", "\x80\x8C"},           // € Œ
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    std::string error;
    ASSERT_TRUE(kelvdata::ToCodePage(c.utf8, c.codePage, &out, &error)) << c.name << ": " << error;
    EXPECT_EQ(c.bytes, out) << c.name;
  }
}

TEST(CodePageTest, RefusesWhatTheCodePageLacksAndMalformedText) {
  struct Case {
    const char* name;
    int codePage;
    std::string utf8;
    const char* error;
  };
  const Case cases[] = {
      {"Cyrillic in 1252", 1252, "\xD0\x96", "U+0416 is not in Windows-1252"},
      {"an accent in 1251", 1251, "caf\xC3\xA9", "U+00E9 is not in Windows-1251"},
      {"outside both", 1251, "\xE2\x98\x83", "U+2603 is not in Windows-1251"},
      {"a NUL", 1252, std::string("a\0b", 3), "a NUL character at byte 1"},
      {"a cut sequence", 1251, "\xD0", "malformed UTF-8 at byte 0"},
      {"a stray continuation", 1251, "A\x90", "malformed UTF-8 at byte 1"},
      {"an overlong form", 1252, "\xC1\x81", "malformed UTF-8 at byte 0"},
      {"a surrogate", 1252, "\xED\xA0\x80", "malformed UTF-8 at byte 0"},
      {"a raw code-page byte", 1251, "\xC0", "malformed UTF-8 at byte 0"},
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    std::string error;
    EXPECT_FALSE(kelvdata::ToCodePage(c.utf8, c.codePage, &out, &error)) << c.name;
    EXPECT_EQ(c.error, error) << c.name;
    EXPECT_EQ("unchanged", out) << c.name;
  }
}

TEST(CodePageTest, EveryDefinedByteComesBackFromItsCharacter) {
  for (int codePage : {1251, 1252}) {
    for (int b = 1; b < 256; ++b) {
      const std::uint32_t c = kelvdata::CodePageCharacter(codePage, static_cast<std::uint8_t>(b));
      if (c == 0) continue;
      std::string utf8;
      if (c < 0x80) {
        utf8 = std::string(1, static_cast<char>(c));
      } else if (c < 0x800) {
        utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
      } else {
        utf8 = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                static_cast<char>(0x80 | (c & 0x3F))};
      }
      std::string out;
      std::string error;
      ASSERT_TRUE(kelvdata::ToCodePage(utf8, codePage, &out, &error)) << codePage << " byte " << b << ": " << error;
      EXPECT_EQ(std::string(1, static_cast<char>(b)), out) << codePage << " byte " << b;
    }
  }
}

}  // namespace
