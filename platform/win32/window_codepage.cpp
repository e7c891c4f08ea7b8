// The code pages of the game's text: WM_CHAR carries one byte of the code
// page of the current language.
#include <cstdint>

#include "platform/win32/codepage_internal.h"
#include "platform/win32/window.h"

namespace {

using platform::codepage_detail::kHigh1252;

int g_textLanguage = 0;

// Windows-1251 bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F).
constexpr std::uint16_t kHigh1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

template <std::size_t N>
int FindHigh(const std::uint16_t (&table)[N], char32_t cp) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] != 0 && table[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

}  // namespace

namespace platform {

void SetTextLanguage(int language) { g_textLanguage = language; }

int CodePageByte(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (g_textLanguage == 7) {
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    return FindHigh(kHigh1251, cp);
  }
  if (cp >= 0xA0 && cp <= 0xFF) return static_cast<int>(cp);
  return FindHigh(kHigh1252, cp);
}

}  // namespace platform
