#include "ui/ui_static_text.h"

#include <gtest/gtest.h>

#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/ui_fixture.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace {

const char kUiStaticTextError[] = "File error opening ui static text data.\nPlease reinstall Kelvarro.";

class UiStaticTextTest : public kelvtest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseFonts(1);
  }
};

TEST_F(UiStaticTextTest, CharactersAdvanceByAFixedStepWhateverTheirGlyph) {
  // A 256 x 128 texture: s scale 256, t scale 128.
  OpenArchives({{"FONT.TEX", kelvdata::BuildTex(256, 128, [](int, int) { return kelvdata::Rgb{9, 9, 9}; })}});
  char name[] = "DATA\\UI\\FONT.TEX";
  ASSERT_TRUE(g_TextureManager.Load(name, &g_Fonts[0].texture, 8));
  ASSERT_FLOAT_EQ(256.0f, g_TextureManager.sScale[g_Fonts[0].texture]);
  ASSERT_FLOAT_EQ(128.0f, g_TextureManager.tScale[g_Fonts[0].texture]);
  UiStaticText t;
  t.font = &g_Fonts[0];
  t.SetColour(1.0f, 0.5f, 0.0f);
  t.SetScale(10.0f, 20.0f, 0.0f);
  t.SetPosition(1.0f, 2.0f, 3.0f);
  ASSERT_TRUE(t.SetText("WA"));
  ASSERT_EQ(8, t.vertexCount);
  ASSERT_EQ(12, t.indexCount);
  // W is 16 pixels wide in the font, still 10 units here.
  EXPECT_FLOAT_EQ(1.0f, t.positions[0].x);
  EXPECT_FLOAT_EQ(11.0f, t.positions[2].x);
  EXPECT_FLOAT_EQ(22.0f, t.positions[1].y);
  EXPECT_FLOAT_EQ(3.0f, t.positions[3].z);
  EXPECT_FLOAT_EQ(21.0f, t.positions[4 + 2].x);
  const std::uint16_t second[6] = {4, 5, 6, 4, 6, 7};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(second[k], t.indices[6 + k]);
  EXPECT_EQ(0xFFFF7F00u, t.attributes[0].colour);
  // (left, bottom) at the second corner of W, (right, top) at the sixth, in
  // the texture's scale: W's glyph is (140, 80)-(156, 92) of 256.
  EXPECT_FLOAT_EQ(140.0f, t.attributes[1].u);
  EXPECT_FLOAT_EQ(92.0f * 0.5f, t.attributes[1].v);
  EXPECT_FLOAT_EQ(156.0f, t.attributes[5].u);
  EXPECT_FLOAT_EQ(80.0f * 0.5f, t.attributes[5].v);
}

TEST_F(UiStaticTextTest, EqualLengthsSwapWithoutReallocatingAndColourWaitsForTheText) {
  UiStaticText t;
  t.font = &g_Fonts[0];
  ASSERT_TRUE(t.SetText("ONE"));
  const Vector3* positions = t.positions.get();
  t.SetColour(0.0f, 0.0f, 0.0f);
  EXPECT_EQ(0xFFFFFFFFu, t.attributes[0].colour);
  ASSERT_TRUE(t.SetText("TWO"));
  EXPECT_EQ(positions, t.positions.get());
  EXPECT_EQ(0xFF000000u, t.attributes[0].colour);
  ASSERT_TRUE(t.SetText(std::string(UiStaticText::MaxCharacters, 'x').c_str()));
  EXPECT_FALSE(t.SetText(std::string(UiStaticText::MaxCharacters + 1, 'x').c_str()));
}

TEST_F(UiStaticTextTest, AnimatedTextsIgnoreSetMatrix) {
  Matrix4 moved = g_IdentityMatrix;
  moved.m[12] = 5.0f;
  UiStaticText still;
  still.SetMatrix(&moved);
  EXPECT_FLOAT_EQ(5.0f, still.matrix.m[12]);
  UiStaticText animated;
  animated.animated = 1;
  animated.SetMatrix(&moved);
  EXPECT_FLOAT_EQ(0.0f, animated.matrix.m[12]);
}

TEST_F(UiStaticTextTest, LoadsTextAnimationAndModesPickSequences) {
  kelvdata::UiStaticTextFile f;
  f.animated = 1;
  f.hasText = 1;
  f.textId = 1;
  f.origin[0] = 4.0f;
  f.advance = 6.0f;
  f.animation = "DATA\\UI\\SPIN.ANM";
  kelvdata::UiStaticTextFile badFont = f;
  badFont.font = 3;
  kelvdata::UiStaticTextFile longAnimation = f;
  longAnimation.animation = std::string(300, 'A');
  OpenArchives({kelvtest::TextsMember({"zero", "Menu"}), {"MENU.UIS", kelvdata::BuildUiStaticText(f)},
                {"BADFONT.UIS", kelvdata::BuildUiStaticText(badFont)},
                {"LONG.UIS", kelvdata::BuildUiStaticText(longAnimation)},
                {"SPIN.ANM", kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(2, 8))}});
  LoadTexts();
  UiStaticText t;
  ASSERT_TRUE(t.Load("DATA\\UI\\MENU.UIS"));
  EXPECT_STREQ("Menu", t.String());
  EXPECT_EQ(1, t.animated);
  EXPECT_FLOAT_EQ(4.0f + 6.0f, t.positions[2].x);

  // Mode 1 on sequence 0 keeps the position; mode 2, then 3, restarts sequence 0 backwards.
  t.Update(30, 1);
  const std::uint32_t time = t.player.time;
  t.Update(30, 1);
  EXPECT_EQ(0, t.player.sequence);
  EXPECT_GT(t.player.time, time);
  t.Update(10, 2);
  EXPECT_EQ(1, t.player.sequence);
  t.Update(0, 3);
  EXPECT_EQ(0, t.player.sequence);
  EXPECT_EQ(1, t.player.backward);
  EXPECT_TRUE(Boxes().empty());

  for (const char* bad : {"DATA\\UI\\BADFONT.UIS", "DATA\\UI\\LONG.UIS", "DATA\\UI\\NONE.UIS"}) {
    platform::ClearRecordedMessageBoxes();
    UiStaticText u;
    EXPECT_FALSE(u.Load(bad)) << bad;
    EXPECT_EQ(std::vector<std::string>{kUiStaticTextError}, Boxes()) << bad;
  }
}

}  // namespace
