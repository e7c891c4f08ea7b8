// The 8-bit code pages of the game's texts: the text databases hold each
// language's strings in its Windows code page, 1251 (Cyrillic) for Russian
// and 1252 (Western) for the others, while the data tool's tables are
// written in UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace kelvdata {

// The Windows code page of a language (0..7, the engine's order): 1251 for
// 7 (Russian), 1252 for every other.
int CodePageOf(int language);

// The Unicode character that byte `b` stands for in `codePage` (1251 or
// 1252); 0 for a byte the code page leaves undefined.
std::uint32_t CodePageCharacter(int codePage, std::uint8_t b);

// `utf8` in `codePage` (1251 or 1252). False with the reason in `error`
// (the offending character named as U+XXXX) for malformed UTF-8, a NUL,
// or a character that the code page lacks; `out` is then left unchanged.
bool ToCodePage(const std::string& utf8, int codePage, std::string* out, std::string* error);

}  // namespace kelvdata
