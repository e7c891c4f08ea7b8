// The .TEX reader (reduction to the size class, 16-bit conversion, key
// colour, damaged files), the texture description and the size class by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

using kelvdata::BuildTex;
using kelvdata::BuildTexRaw;
using kelvdata::Bytes;
using kelvdata::Rgb;

const char kLoadError[] = "Error loading texture.\nPlease reinstall Kelvarro.";

// The 16-bit texel the board gets for an opaque R, G, B.
std::uint16_t Opaque(int r, int g, int b) {
  return static_cast<std::uint16_t>(0x8000 | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

class TexFileTest : public kelvtest::GameRootTest {
 protected:
  void TearDown() override {
    g_UiArchive.Close();
    kelvtest::GameRootTest::TearDown();
  }

  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
    Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  static bool Read(const char* name, std::uint8_t limit, TexPixels* out, bool keyed = false) {
    return TextureManager::ReadTexFile(name, keyed, limit, 250, 0, 200, out);
  }
};

// Texel (x, y) carries its own coordinates, so a kept texel shows where it came from.
Rgb Coordinates(int x, int y) { return Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 77}; }

TEST_F(TexFileTest, ReductionKeepsEveryStepthTexelOfEveryStepthRow) {
  OpenUiArchive({{"BIG.TEX", BuildTex(256, 256, Coordinates)}, {"HUGE.TEX", BuildTex(512, 64, Coordinates)}});
  TexPixels p;
  ASSERT_TRUE(Read("DATA\\UI\\BIG.TEX", 4, &p));
  ASSERT_EQ(128, p.width);
  ASSERT_EQ(128, p.height);
  for (int y : {0, 1, 63, 127}) {
    for (int x : {0, 1, 100, 127}) EXPECT_EQ(Opaque(2 * x, 2 * y, 77), p.texels[y * 128 + x]) << x << "," << y;
  }

  // Wider than the largest class: 512 -> 256 (every second texel), the 64
  // rows stay.
  ASSERT_TRUE(Read("DATA\\UI\\HUGE.TEX", 8, &p));
  ASSERT_EQ(256, p.width);
  ASSERT_EQ(64, p.height);
  EXPECT_EQ(Opaque((2 * 255) & 0xFF, 63, 77), p.texels[63 * 256 + 255]);
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

TEST_F(TexFileTest, SizeClassZeroActsAsOne) {
  OpenUiArchive({{"A.TEX", BuildTex(64, 64, Coordinates)}});
  TexPixels p;
  ASSERT_TRUE(Read("DATA\\UI\\A.TEX", 0, &p));
  EXPECT_EQ(32, p.width);
  EXPECT_EQ(32, p.height);
}

TEST_F(TexFileTest, OnlyTheExactKeyColourOfAKeyedTextureTurnsTransparent) {
  const Rgb texels[4] = {{250, 0, 200}, {251, 0, 200}, {250, 0, 201}, {10, 20, 30}};
  OpenUiArchive({{"_KEY.TEX", BuildTex(2, 2, [&](int x, int y) { return texels[y * 2 + x]; })}});
  TexPixels p;
  ASSERT_TRUE(Read("DATA\\UI\\_KEY.TEX", 8, &p, true));
  // The key keeps its colour bits and loses the alpha bit.
  EXPECT_EQ(Opaque(250, 0, 200) & 0x7FFF, p.texels[0]);
  EXPECT_EQ(Opaque(251, 0, 200), p.texels[1]);
  EXPECT_EQ(Opaque(250, 0, 201), p.texels[2]);
  EXPECT_EQ(Opaque(10, 20, 30), p.texels[3]);

  ASSERT_TRUE(Read("DATA\\UI\\_KEY.TEX", 8, &p, false));
  EXPECT_EQ(Opaque(250, 0, 200), p.texels[0]);
}

TEST_F(TexFileTest, DamagedFilesAreRejectedWithoutReadingPastThem) {
  Bytes shortByOne = BuildTex(8, 8, Coordinates);
  shortByOne.pop_back();
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"WIDTH0.TEX", BuildTexRaw(0, 8, Bytes(24, 1))},
      {"HEIGHT0.TEX", BuildTexRaw(8, 0, Bytes(24, 1))},
      {"SHORT.TEX", shortByOne},
      // 65535 x 65535 x 3 does not fit 32 bits.
      {"HUGE.TEX", BuildTexRaw(0xFFFF, 0xFFFF, Bytes(300, 1))},
      {"HEADER.TEX", Bytes{8, 0, 8}},
      {"EMPTY.TEX", Bytes{}},
  };
  std::vector<kelvdata::BbfMember> members;
  for (const auto& c : cases) members.push_back({c.name, c.bytes});
  // A member behind them, so that a read past a member would find bytes.
  members.push_back({"NEXT.BIN", Bytes(4096, 0x55)});
  OpenUiArchive(members);

  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    TexPixels p;
    EXPECT_FALSE(Read((std::string("DATA\\UI\\") + c.name).c_str(), 8, &p)) << c.name;
    EXPECT_EQ(nullptr, p.texels) << c.name;
    ASSERT_EQ(1u, platform::RecordedMessageBoxes().size()) << c.name;
    EXPECT_EQ(kLoadError, platform::RecordedMessageBoxes()[0].text) << c.name;
  }
  platform::ClearRecordedMessageBoxes();
  TexPixels p;
  EXPECT_FALSE(Read("DATA\\UI\\MISSING.TEX", 8, &p));
  ASSERT_EQ(1u, platform::RecordedMessageBoxes().size());
  EXPECT_EQ(kLoadError, platform::RecordedMessageBoxes()[0].text);
}

TEST_F(TexFileTest, DescriptionAndScalesFollowTheLongSideAndTheAspect) {
  const struct {
    std::uint16_t w, h;
    int lod, aspect;
    float s, t;
  } good[] = {
      {256, 256, 8, 0, 256.0f, 256.0f}, {256, 64, 8, 2, 256.0f, 64.0f}, {64, 256, 8, -2, 64.0f, 256.0f},
      {32, 256, 8, -3, 32.0f, 256.0f},  {1, 1, 0, 0, 256.0f, 256.0f},   {16, 8, 4, 1, 256.0f, 128.0f},
  };
  for (const auto& c : good) {
    TextureDescription d;
    float s = 0.0f;
    float t = 0.0f;
    ASSERT_TRUE(TextureManager::ComputeTexInfo(c.w, c.h, &d, &s, &t)) << c.w << "x" << c.h;
    EXPECT_EQ(c.lod, d.largeLodLog2);
    EXPECT_EQ(c.lod, d.smallLodLog2);
    EXPECT_EQ(c.aspect, d.aspectLog2) << c.w << "x" << c.h;
    EXPECT_EQ(c.s, s);
    EXPECT_EQ(c.t, t);
  }
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());

  const char dims[] = "Texture dimensions not supported.\nPlease reinstall Kelvarro";
  const char aspect[] = "Texture aspect ratio not supported.\nPlease reinstall Kelvarro";
  const struct {
    std::uint16_t w, h;
    const char* message;
  } bad[] = {{3, 3, dims}, {512, 512, dims}, {3, 4, aspect}, {256, 16, aspect}, {4, 64, aspect}};
  for (const auto& c : bad) {
    platform::ClearRecordedMessageBoxes();
    TextureDescription d;
    float s, t;
    EXPECT_FALSE(TextureManager::ComputeTexInfo(c.w, c.h, &d, &s, &t)) << c.w << "x" << c.h;
    ASSERT_EQ(1u, platform::RecordedMessageBoxes().size());
    EXPECT_EQ(c.message, platform::RecordedMessageBoxes()[0].text) << c.w << "x" << c.h;
  }
}

TEST(TextureLimitForName, NamedGroupsAndLandPiecesUseTheirEntries) {
  for (int i = 0; i < TEXTURE_SIZE_CLASS_COUNT; ++i) g_TextureSizeClasses[i] = static_cast<std::uint8_t>(100 + i);
  const struct {
    const char* name;
    int expected;  // table entry, or -1 for the caller's limit
  } cases[] = {
      {"DATA\\UI\\DLGBKG.TEX", 34},
      {"DATA\\TRACK\\DLG1S.TEX", 37},
      {"DATA\\TRACK\\_NUMBERS.TEX", 40},
      {"DATA\\UI\\_FONT1.TEX", 42},
      {"data\\ui\\_font1.tex", 42},
      {"DATA\\\\UI\\_FONT1.TEX", 42},
      {"DATA\\UI\\\\_FONT1.TEX", 42},
      {"DATA\\\\UI\\\\_FONT3.TEX", 44},
      {"DATA\\UI\\_FONT1.TEX2", -1},
      {"DATA\\TRACK\\LND0.TEX", 1},
      {"DATA\\TRACK\\LND7_A.TEX", 8},
      {"DATA\\TRACK\\XLNDX_LND3.TEX", 4},
      {"DATA\\TRACK\\LND8.TEX", -1},
      {"DATA\\TRACK\\LND12.TEX", -1},
      {"DATA\\TRACK\\LAND3.TEX", -1},
  };
  for (const auto& c : cases) {
    const int expected = c.expected < 0 ? 5 : 100 + c.expected;
    EXPECT_EQ(expected, TextureLimitForName(c.name, 5)) << c.name;
  }
}

}  // namespace
