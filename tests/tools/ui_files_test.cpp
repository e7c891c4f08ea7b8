// The UI file writers lay out their fields in the formats' order, and the
// font rasteriser gives every printable character a cell of its own.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/ui_files.h"

namespace {

float FloatAt(const kelvdata::Bytes& b, std::size_t offset) {
  float f;
  std::memcpy(&f, &b[offset], 4);
  return f;
}

std::uint32_t U32At(const kelvdata::Bytes& b, std::size_t offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 | static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

TEST(UiFileWriters, FontGlyphRecordsAreLeftTopRightBottomThenThePath) {
  kelvdata::FontFile f;
  f.spare = 0x0201;
  f.glyphs[65] = {0.25f, 0.5f, 0.75f, 1.0f};
  f.texture = "T.TEX";
  const kelvdata::Bytes b = kelvdata::BuildFnt(f);
  ASSERT_EQ(2u + 256u * 16u + 4u + 6u, b.size());
  EXPECT_EQ(1, b[0]);
  EXPECT_EQ(2, b[1]);
  EXPECT_FLOAT_EQ(0.25f, FloatAt(b, 2 + 65 * 16));
  EXPECT_FLOAT_EQ(0.5f, FloatAt(b, 2 + 65 * 16 + 4));
  EXPECT_FLOAT_EQ(0.75f, FloatAt(b, 2 + 65 * 16 + 8));
  EXPECT_EQ(6u, U32At(b, 2 + 4096));
  EXPECT_EQ(0, b.back());
}

TEST(UiFileWriters, OptionalFieldsAppearOnlyWhenFlagged) {
  kelvdata::StaticTextBody plain;
  // 5 flags, u16 font, 6 floats, spare, sound count.
  EXPECT_EQ(5u + 2u + 24u + 2u, kelvdata::BuildStaticTextBody(plain).size());
  kelvdata::StaticTextBody withText = plain;
  withText.hasText = 1;
  withText.textId = 7;
  const kelvdata::Bytes b = kelvdata::BuildStaticTextBody(withText);
  EXPECT_EQ(5u + 2u + 24u + 4u + 2u, b.size());
  EXPECT_EQ(7u, U32At(b, 31));

  kelvdata::UiStaticTextFile ui;
  EXPECT_EQ(4u + 4u * 8u + 2u, kelvdata::BuildUiStaticText(ui).size());
  ui.animated = 1;
  ui.animation = "A";
  EXPECT_EQ(4u + 4u * 8u + 1u + 4u + 2u + 2u, kelvdata::BuildUiStaticText(ui).size());
}

TEST(UiFileWriters, PanelCornersAreUvPairsAndBackdropsListUsThenVs) {
  kelvdata::PanelFile p;
  p.texture = "NULL";
  const kelvdata::Bytes osp = kelvdata::BuildOsp(p);
  const std::size_t corners = 3 + 4 + 5 + 4 * 8;
  ASSERT_EQ(corners + 32u, osp.size());
  EXPECT_FLOAT_EQ(1.0f, FloatAt(osp, corners + 8));   // top-right u
  EXPECT_FLOAT_EQ(0.0f, FloatAt(osp, corners + 12));  // top-right v

  kelvdata::BackdropFile d;
  d.texture = "NULL";
  const kelvdata::Bytes bkd = kelvdata::BuildBackdrop(d);
  const std::size_t us = 3 + 4 + 5 + 4 * 8;
  ASSERT_EQ(us + 32u, bkd.size());
  EXPECT_FLOAT_EQ(10000.0f, FloatAt(bkd, 12));
  EXPECT_FLOAT_EQ(1.0f, FloatAt(bkd, us + 4));    // u[1]
  EXPECT_FLOAT_EQ(0.0f, FloatAt(bkd, us + 16));   // v[0]
  EXPECT_FLOAT_EQ(1.0f, FloatAt(bkd, us + 24));   // v[2]
}

TEST(UiFileWriters, RasterisedFontsGiveEachPrintableCharacterItsOwnCell) {
  kelvdata::RasterFont font;
  std::string error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans", 16, &font, &error)) << error;
  ASSERT_EQ(4u + 256u * 256u * 3u, font.tex.size());
  const kelvdata::Glyph& zero = font.glyphs[static_cast<int>('0')];
  for (int c = 0; c < 256; ++c) {
    const kelvdata::Glyph& g = font.glyphs[c];
    if (c < 32 || c > 126) {
      EXPECT_TRUE(g.left == 0 && g.right == 0 && g.top == 0 && g.bottom == 0) << c;
      continue;
    }
    EXPECT_GT(g.right, g.left) << c;
    EXPECT_LE(g.right, 1.0f) << c;
    // One line height for every character.
    EXPECT_FLOAT_EQ(zero.bottom - zero.top, g.bottom - g.top) << c;
  }
  // Some white texel in the cell of "H".
  const kelvdata::Glyph& h = font.glyphs[static_cast<int>('H')];
  bool white = false;
  for (int y = static_cast<int>(h.top * 256); y < static_cast<int>(h.bottom * 256); ++y) {
    for (int x = static_cast<int>(h.left * 256); x < static_cast<int>(h.right * 256); ++x)
      white = white || font.tex[4 + (y * 256 + x) * 3] == 255;
  }
  EXPECT_TRUE(white);
  EXPECT_FALSE(kelvdata::RasteriseFont("NoSuchFace", 16, &font, &error));
  EXPECT_NE(std::string::npos, error.find("fonts-dejavu-core"));
}

TEST(UiFileWriters, CyrillicFontsAddTheRussianLettersAndShareTheLatinLookAlikes) {
  kelvdata::RasterFont latin;
  kelvdata::RasterFont cyrillic;
  std::string error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans-Bold", 20, &latin, &error)) << error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans-Bold", 20, &cyrillic, &error, 1251)) << error;
  auto same = [](const kelvdata::Glyph& a, const kelvdata::Glyph& b) {
    return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
  };
  auto present = [](const kelvdata::Glyph& g) { return g.right > g.left && g.bottom > g.top; };
  // ASCII lies where it lies without the Cyrillic letters.
  for (int c = 32; c < 127; ++c) EXPECT_TRUE(same(latin.glyphs[c], cyrillic.glyphs[c])) << c;
  // Every letter of Windows-1251 (0xC0..0xFF, Yo and yo), nothing else.
  for (int c = 127; c < 256; ++c) {
    const bool letter = c >= 0xC0 || c == 0xA8 || c == 0xB8;
    EXPECT_EQ(letter, present(cyrillic.glyphs[c])) << c;
  }
  // A (0xC0) and o (0xEE) are drawn as the Latin ones; Zhe (0xC6) and ya
  // (0xFF) have cells of their own, apart from every ASCII cell.
  EXPECT_TRUE(same(cyrillic.glyphs[0xC0], cyrillic.glyphs[static_cast<int>('A')]));
  EXPECT_TRUE(same(cyrillic.glyphs[0xEE], cyrillic.glyphs[static_cast<int>('o')]));
  for (int c = 32; c < 127; ++c) {
    EXPECT_FALSE(same(cyrillic.glyphs[0xC6], cyrillic.glyphs[c])) << c;
    EXPECT_FALSE(same(cyrillic.glyphs[0xFF], cyrillic.glyphs[c])) << c;
  }
  EXPECT_FALSE(same(cyrillic.glyphs[0xC6], cyrillic.glyphs[0xFF]));
  // The data set's largest face holds them only up to 20 pixels.
  EXPECT_FALSE(kelvdata::RasteriseFont("DejaVuSans-Bold", 24, &cyrillic, &error, 1251));
  EXPECT_NE(std::string::npos, error.find("do not fit"));
}

}  // namespace
