#include "tools/code_page.h"

#include <cstdio>

namespace kelvdata {

namespace {

// Bytes 0x80..0xBF of Windows-1251; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::uint16_t k1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Bytes 0x80..0x9F of Windows-1252; 0xA0..0xFF are U+00A0..U+00FF.
constexpr std::uint16_t k1252High[32] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178};

// Decodes one UTF-8 character at `*i`; false for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
bool NextCharacter(const std::string& s, std::size_t* i, std::uint32_t* c) {
  const auto byte = [&s](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t lead = byte(*i);
  int more = 0;
  std::uint32_t value = 0;
  std::uint32_t least = 0;
  if (lead < 0x80) {
    *c = lead;
    ++*i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    more = 1;
    value = lead & 0x1Fu;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2;
    value = lead & 0x0Fu;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3;
    value = lead & 0x07u;
    least = 0x10000;
  } else {
    return false;
  }
  if (*i + static_cast<std::size_t>(more) >= s.size()) return false;
  for (int k = 1; k <= more; ++k) {
    const std::uint8_t b = byte(*i + static_cast<std::size_t>(k));
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *c = value;
  *i += static_cast<std::size_t>(more) + 1;
  return true;
}

std::string Named(std::uint32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

}  // namespace

int CodePageOf(int language) { return language == 7 ? 1251 : 1252; }

std::uint32_t CodePageCharacter(int codePage, std::uint8_t b) {
  if (b < 0x80) return b;
  if (codePage == 1251) return b >= 0xC0 ? 0x0410u + (b - 0xC0u) : k1251High[b - 0x80];
  return b >= 0xA0 ? b : k1252High[b - 0x80];
}

bool ToCodePage(const std::string& utf8, int codePage, std::string* out, std::string* error) {
  std::string converted;
  converted.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t at = i;
    std::uint32_t c = 0;
    if (!NextCharacter(utf8, &i, &c)) {
      *error = "malformed UTF-8 at byte " + std::to_string(at);
      return false;
    }
    if (c == 0) {
      *error = "a NUL character at byte " + std::to_string(at);
      return false;
    }
    int found = c < 0x80 ? static_cast<int>(c) : -1;
    for (int b = 0x80; b < 0x100 && found < 0; ++b) {
      if (CodePageCharacter(codePage, static_cast<std::uint8_t>(b)) == c) found = b;
    }
    if (found < 0) {
      *error = Named(c) + " is not in Windows-" + std::to_string(codePage);
      return false;
    }
    converted.push_back(static_cast<char>(found));
  }
  *out = std::move(converted);
  return true;
}

}  // namespace kelvdata
