#include "ui/font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "engine/app.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/ui_fixture.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace {

using kelvdata::Bytes;
using kelvdata::FontFile;

const char kFontError[] = "File error opening font data.\nPlease reinstall Kelvarro.";

TEST(FontPathTest, RussianBuildPicksTheCyrillicFontByTheFirstDigitFound) {
  const struct {
    const char* path;
    std::uint32_t language;
    const char* expected;
  } cases[] = {
      {"DATA\\UI\\FONT2.FNT", 7, "DATA\\UI\\FONT2C.FNT"},
      {"DATA\\UI\\FONT3_1.FNT", 7, "DATA\\UI\\FONT1C.FNT"},  // 1 is tested first
      {"DATA\\UI\\FONT7.FNT", 7, "DATA\\UI\\FONT7C.FNT"},
      {"DATA\\UI\\F4X2.FNT", 7, "DATA\\UI\\FONT2C.FNT"},     // 2 before 4
      {"DATA\\UI\\FONT5.FNT", 7, "DATA\\UI\\FONT5.FNT"},     // no digit of the rule
      {"DATA\\UI\\FONT2.FNT", 6, "DATA\\UI\\FONT2.FNT"},
      {"DATA\\UI\\FONT1.FNT", 0, "DATA\\UI\\FONT1.FNT"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.expected, FontPathForLanguage(c.path, c.language)) << c.path << " language " << c.language;
  }
}

class FontTest : public kelvtest::UiTest {
 protected:
  static FontFile SampleFont() {
    FontFile f;
    f.glyphs[static_cast<int>('A')] = {0.25f, 0.5f, 0.375f, 0.5625f};
    f.glyphs[200] = {0.0f, 0.0f, 0.0f, 0.0625f};
    f.texture = "DATA\\UI\\_FNT.TEX";
    return f;
  }
  static kelvdata::BbfMember Texture() {
    return {"_FNT.TEX", kelvdata::BuildTex(64, 64, [](int, int) { return kelvdata::Rgb{255, 255, 255}; })};
  }
};

TEST_F(FontTest, LoadsTheGlyphTableAndTheTextureWithoutTouchingTheCallersPath) {
  OpenArchives({{"FONT2C.FNT", kelvdata::BuildFnt(SampleFont())}, Texture()});
  g_Language = 7;
  char path[] = "DATA\\UI\\font2.fnt";
  Font font;
  ASSERT_TRUE(font.Load(path));
  EXPECT_STREQ("DATA\\UI\\font2.fnt", path);
  EXPECT_NE(0, font.texture);
  EXPECT_FLOAT_EQ(32.0f, font.GlyphWidth('A'));
  EXPECT_FLOAT_EQ(16.0f, font.GlyphHeight('A'));
  EXPECT_FLOAT_EQ(0.5f, font.top[static_cast<int>('A')]);
  EXPECT_TRUE(font.HasGlyph('A'));
  EXPECT_TRUE(font.HasGlyph(200));  // one value other than 0 is enough
  EXPECT_FALSE(font.HasGlyph('B'));
  font.FreeTexture();
  EXPECT_EQ(0, font.texture);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FontTest, DamagedFilesAreTheFontError) {
  const std::size_t nameOffset = 2 + 256 * 16;
  struct Case {
    const char* name;
    Bytes bytes;
  };
  std::vector<Case> cases;
  Bytes zeroLength = kelvdata::BuildFnt(SampleFont());
  kelvdata::PatchU32(&zeroLength, nameOffset, 0);
  cases.push_back({"name length 0", zeroLength});
  FontFile longName = SampleFont();
  longName.texture = std::string(256, 'A');  // 257 with its NUL
  cases.push_back({"name longer than its field", kelvdata::BuildFnt(longName)});
  Bytes pastEnd = kelvdata::BuildFnt(SampleFont());
  kelvdata::PatchU32(&pastEnd, nameOffset, 40);
  cases.push_back({"name past the end", pastEnd});
  FontFile unterminated = SampleFont();
  unterminated.texture.terminated = false;
  cases.push_back({"name without its NUL", kelvdata::BuildFnt(unterminated)});
  Bytes truncated = kelvdata::BuildFnt(SampleFont());
  truncated.resize(1000);
  cases.push_back({"glyph table cut short", truncated});
  FontFile nan = SampleFont();
  nan.glyphs[9].left = std::numeric_limits<float>::quiet_NaN();
  cases.push_back({"glyph value not a number", kelvdata::BuildFnt(nan)});

  for (const Case& c : cases) {
    OpenArchives({{"BAD.FNT", c.bytes}, Texture()});
    platform::ClearRecordedMessageBoxes();
    Font font;
    EXPECT_FALSE(font.Load("DATA\\UI\\BAD.FNT")) << c.name;
    EXPECT_EQ(std::vector<std::string>{kFontError}, Boxes()) << c.name;
    EXPECT_EQ(0, font.texture) << c.name;
  }
  platform::ClearRecordedMessageBoxes();
  Font font;
  EXPECT_FALSE(font.Load("DATA\\UI\\MISSING.FNT"));
  EXPECT_EQ(std::vector<std::string>{kFontError}, Boxes());
}

TEST_F(FontTest, FontIndicesFromFilesAreCheckedAgainstTheTable) {
  UseFonts(2);
  EXPECT_EQ(&g_Fonts[1], FontAt(1));
  EXPECT_EQ(nullptr, FontAt(2));
  g_Fonts = nullptr;
  EXPECT_EQ(nullptr, FontAt(0));
}

}  // namespace
