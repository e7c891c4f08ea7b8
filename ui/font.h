// Bitmap fonts: one texture holding the glyphs and, per character code, the
// glyph's rectangle in it. A scene loads its fonts into g_Fonts before its
// widgets, and every text widget keeps a pointer into that array.
//
// .FNT file, little-endian: u16 spare, 256 glyph records {f32 left, top,
// right, bottom} in texture coordinates 0..1 in code order, u32 n, then the
// n bytes of the texture path with its NUL (n at most 256).
#pragma once

#include <cstdint>

#include "engine/texture_manager.h"

// Longest texture path of a font file, with its NUL.
constexpr std::uint32_t FONT_TEXTURE_NAME_SIZE = 256;

struct Font {
  Font();

  // Reads a .FNT file and loads its texture. The path is never written:
  // the language substitution works on a copy. False after the font error
  // box (missing or damaged file) or a failed texture load.
  bool Load(const char* path);
  // Releases the font's texture slot.
  void FreeTexture();

  // Glyph sizes in pixels are taken as if the texture were 256 on a side.
  float GlyphWidth(std::uint8_t c) const { return (right[c] - left[c]) * 256.0f; }
  float GlyphHeight(std::uint8_t c) const { return (bottom[c] - top[c]) * 256.0f; }
  // A character whose four values are all 0 is not in the font.
  bool HasGlyph(std::uint8_t c) const {
    return left[c] != 0.0f || right[c] != 0.0f || top[c] != 0.0f || bottom[c] != 0.0f;
  }

  TextureSlot texture = 0;
  std::uint16_t spare = 0;
  float left[256] = {};
  float right[256] = {};
  float top[256] = {};
  float bottom[256] = {};
};

// The fonts of the current scene; null and 0 while none are loaded.
extern Font* g_Fonts;
extern std::uint16_t g_FontCount;

// The path a font is read from: with language 7 the first of the digits 1,
// 2, 3, 4 and 7 found in `path` picks "DATA\UI\FONT<d>C.FNT"; any other
// path or language keeps `path`.
const char* FontPathForLanguage(const char* path, std::uint32_t language);

// The font of index `i`, or null when it is not below g_FontCount (indices
// come from data files).
Font* FontAt(std::uint16_t i);
