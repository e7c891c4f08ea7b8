#include "ui/static_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/display.h"
#include "engine/text_database.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/ui_fixture.h"
#include "tools/ui_files.h"

namespace {

using kelvtest::kGlyphHeight;
using kelvtest::kGlyphWidth;

const char kStaticTextError[] = "File error opening static text data.\nPlease reinstall Kelvarro.";

class StaticTextTest : public kelvtest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseFonts(2);
    callbacks_ = 0;
  }
  static void CountCallback() { ++callbacks_; }
  // Top-left corner of the first character.
  static float Left(const StaticText& t) { return t.vertices[0].x; }
  static float Top(const StaticText& t) { return t.vertices[0].y; }
  static std::uint32_t Alpha(std::uint32_t colour) { return colour >> 24; }
  static std::uint32_t Red(std::uint32_t colour) { return (colour >> 16) & 0xFF; }

  static int callbacks_;
};
int StaticTextTest::callbacks_ = 0;

TEST_F(StaticTextTest, AnchorsAndCentringSentinelsPlaceTheTextOnAnyScreen) {
  // "ABCD": 32 x 12 pixels.
  const struct {
    std::uint32_t w, h;
    std::uint8_t yFromTop, xFromLeft, centreH, centreV;
    float x, y;
    float left, top;
  } cases[] = {
      {640, 480, 1, 1, 0, 0, 10.0f, 20.0f, 10.0f, 20.0f},
      {640, 480, 0, 0, 0, 0, 10.0f, 20.0f, 640.0f - 10.0f - 32.0f, 480.0f - 20.0f - 12.0f},
      {640, 480, 1, 1, 1, 1, 320.0f, 240.0f, 320.0f - 16.0f, 240.0f - 6.0f},
      {800, 600, 1, 1, 1, 1, 320.0f, 240.0f, 400.0f - 16.0f, 300.0f - 6.0f},  // the middle of any screen
      {800, 600, 1, 1, 1, 1, 320.5f, 240.0f, 320.5f - 16.0f, 300.0f - 6.0f},  // only exactly 320 is a sentinel
      {800, 600, 0, 0, 1, 1, 10.0f, 20.0f, 800.0f - 10.0f - 16.0f, 600.0f - 20.0f - 6.0f},
      {800, 600, 0, 0, 0, 0, 10.0f, 20.0f, 800.0f - 10.0f - 32.0f, 600.0f - 20.0f - 12.0f},
  };
  for (const auto& c : cases) {
    g_ScreenWidth = c.w;
    g_ScreenHeight = c.h;
    StaticText t;
    t.SetAnchors(c.yFromTop, c.xFromLeft);
    t.SetCentring(c.centreH, c.centreV);
    t.SetPosition(c.x, c.y, 0.0f);
    ASSERT_TRUE(t.SetText("ABCD"));
    const std::string where = std::to_string(c.w) + "x" + std::to_string(c.h) + " at " + std::to_string(c.x);
    EXPECT_FLOAT_EQ(c.left, Left(t)) << where;
    EXPECT_FLOAT_EQ(c.top, Top(t)) << where;
    EXPECT_FLOAT_EQ(32.0f, t.textWidth);
    EXPECT_FLOAT_EQ(12.0f, t.textHeight);
  }
}

TEST_F(StaticTextTest, GlyphsHangFromTheLineAndSnapToSixteenths) {
  StaticText t;
  t.SetScale(1.5f, 2.0f, 0.0f);
  t.SetPosition(10.03f, 5.0f, 0.0f);
  ASSERT_TRUE(t.SetText("Wg"));
  ASSERT_EQ(12u, t.textVertexCount);
  // The line height is that of "0" whatever the characters.
  EXPECT_FLOAT_EQ(24.0f, t.textHeight);
  EXPECT_FLOAT_EQ(36.0f, t.textWidth);
  EXPECT_FLOAT_EQ(10.0f, t.vertices[0].x);                // 10.03 snapped down
  EXPECT_FLOAT_EQ(34.0f, t.vertices[1].x);                // 10.03 + 24 = 34.03
  EXPECT_FLOAT_EQ(5.0f + 24.0f, t.vertices[2].y);         // W: 12 high
  EXPECT_FLOAT_EQ(5.0f + 32.0f, t.vertices[6 + 2].y);     // g: 16 high
  EXPECT_FLOAT_EQ(34.0f, t.vertices[6].x);
  EXPECT_FLOAT_EQ(46.0f, t.vertices[6 + 1].x);            // 34.03 + 12 = 46.03
  EXPECT_FLOAT_EQ(65535.0f, t.vertices[0].z);
  EXPECT_FLOAT_EQ(1.0f, t.vertices[0].q);
}

TEST_F(StaticTextTest, EqualLengthsReuseTheBuffersAndOthersReallocate) {
  StaticText t;
  ASSERT_TRUE(t.SetText("ABC"));
  const ScreenVertex* vertices = t.vertices.get();
  const char* text = t.text.get();
  ASSERT_TRUE(t.SetText("XYZ"));
  EXPECT_EQ(vertices, t.vertices.get());
  EXPECT_EQ(text, t.text.get());
  EXPECT_STREQ("XYZ", t.String());
  ASSERT_TRUE(t.SetText("LONGER"));
  EXPECT_EQ(36u, t.textVertexCount);
  EXPECT_STREQ("LONGER", t.String());
  // Its own string laid out again (SetPosition does it for the base class).
  ASSERT_TRUE(t.SetText(t.text.get() + 2));
  EXPECT_STREQ("NGER", t.String());
}

TEST_F(StaticTextTest, ColourRangesAreClampedToTheString) {
  const struct {
    unsigned first, end;
    std::vector<int> coloured;
  } cases[] = {
      {2, 5, {2, 3, 4}},
      {0, 0, {0, 1, 2, 3, 4, 5, 6}},
      {5, 40, {5, 6}},  // an end past the string stops at its end
      {9, 12, {}},
  };
  for (const auto& c : cases) {
    StaticText t;
    ASSERT_TRUE(t.SetText("ABCDEFG"));
    t.SetColour(0.0f, 1.0f, 0.0f, c.first, c.end);
    for (int k = 0; k < 7; ++k) {
      const bool green = std::find(c.coloured.begin(), c.coloured.end(), k) != c.coloured.end();
      EXPECT_EQ(green ? 0xFF00FF00u : 0xFFFFFFFFu, t.vertices[6 * k + 5].colour) << c.first << ".." << c.end << " @" << k;
    }
  }
}

TEST_F(StaticTextTest, FadeEndsOnTheLastStepShortOfTheTarget) {
  StaticText t;
  ASSERT_TRUE(t.SetText("AB"));
  t.SetAlpha(0.0f);
  EXPECT_EQ(0u, t.vertices[0].colour);
  t.StartFade(1.0f, 500, CountCallback);
  EXPECT_TRUE(t.IsFading());
  for (int step = 1; step <= 12; ++step) t.Update(40, 0);
  // 480 ms: 1 + (480/500 - 1) x 1.
  EXPECT_NEAR(0.96f, t.alpha, 1e-6f);
  EXPECT_EQ(0u, static_cast<unsigned>(callbacks_));
  t.Update(40, 0);  // 520 ms: the end, the alpha stays
  EXPECT_NEAR(0.96f, t.alpha, 1e-6f);
  EXPECT_EQ(1, callbacks_);
  EXPECT_TRUE(t.IsFading());
  // 0.96 x 255 = 244.8: alpha and colour both scaled (the Glide build fades by colour).
  EXPECT_EQ(244u, Alpha(t.vertices[0].colour));
  EXPECT_EQ(244u, Red(t.vertices[0].colour));
  t.Update(40, 0);
  EXPECT_EQ(1, callbacks_);  // once
  t.SetAlpha(1.0f);
  EXPECT_FALSE(t.IsFading());
  EXPECT_EQ(0xFFFFFFFFu, t.vertices[0].colour);
}

TEST_F(StaticTextTest, ANewLayoutIsOpaqueWithItsFadeInTheColour) {
  StaticText t;
  ASSERT_TRUE(t.SetText("A"));
  t.SetAlpha(0.5f);
  EXPECT_EQ(127u, Alpha(t.vertices[0].colour));
  // Laid out again half faded: A 255, the colour at 0.5 x 255 = 127.5.
  ASSERT_TRUE(t.SetText("B"));
  EXPECT_EQ(255u, Alpha(t.vertices[0].colour));
  EXPECT_EQ(127u, Red(t.vertices[0].colour));
  // The next fade step packs the alpha again.
  t.StartFade(0.5f, 100, nullptr);
  t.Update(40, 0);
  EXPECT_EQ(127u, Alpha(t.vertices[0].colour));
}

TEST_F(StaticTextTest, SetAlphaDuringAFadeKeepsItsCallbackForTheNextUpdate) {
  StaticText t;
  ASSERT_TRUE(t.SetText("A"));
  t.StartFade(0.0f, 1000, CountCallback);
  t.Update(100, 0);
  t.SetAlpha(0.5f);
  EXPECT_EQ(0, callbacks_);
  t.Update(10, 0);
  EXPECT_EQ(1, callbacks_);
  EXPECT_FLOAT_EQ(0.5f, t.alpha);
}

TEST_F(StaticTextTest, AnEmptyStringOrNoFontDrawsNothing) {
  StaticText t;
  ASSERT_TRUE(t.SetText(""));
  platform::ClearGlideRecords();
  EXPECT_TRUE(t.Draw());
  g_Fonts = nullptr;
  g_FontCount = 0;
  StaticText noFont;
  EXPECT_TRUE(noFont.SetText("ABC"));
  EXPECT_STREQ("ABC", noFont.String());
  EXPECT_TRUE(noFont.Draw());
  EXPECT_TRUE(platform::RecordedGlideDraws().empty());
}

TEST_F(StaticTextTest, DrawsTwoTrianglesPerCharacter) {
  StaticText t;
  ASSERT_TRUE(t.SetText("ABC"));
  platform::ClearGlideRecords();
  EXPECT_TRUE(t.Draw());
  std::size_t vertices = 0;
  for (const platform::GlideDraw& d : platform::RecordedGlideDraws()) vertices += d.vertices.size();
  EXPECT_EQ(18u, vertices);
}

TEST_F(StaticTextTest, LoadsALabelWithItsTextFontAndSounds) {
  kelvdata::StaticTextBody body;
  body.hasText = 1;
  body.textId = 1;
  body.font = 1;
  body.yFromTop = 0;
  body.position[0] = 4.0f;
  body.position[1] = 8.0f;
  body.colour[0] = 0.5f;
  body.sounds = {{0, "SOUNDS\\A.SFX"}, {5, "SOUNDS\\B.SFX"}, {1, "SOUNDS\\C.SFX"}};
  kelvdata::StaticTextBody pastDatabase = body;
  pastDatabase.textId = 99;
  pastDatabase.sounds.clear();
  OpenArchives({kelvtest::TextsMember({"zero", "Label"}), {"LABEL.STX", kelvdata::BuildStaticTextBody(body)},
                {"PAST.STX", kelvdata::BuildStaticTextBody(pastDatabase)}});
  LoadTexts();
  StaticText t;
  ASSERT_TRUE(t.Load("DATA\\UI\\LABEL.STX"));
  EXPECT_STREQ("Label", t.String());
  EXPECT_EQ(&g_Fonts[1], t.font);
  EXPECT_FLOAT_EQ(480.0f - 8.0f - 12.0f, Top(t));
  EXPECT_EQ(0xFF7FFFFFu, t.vertices[0].colour);
  // Three samples; the entry for slot 5 is skipped.
  EXPECT_EQ(3u, t.sounds.size());

  StaticText past;
  ASSERT_TRUE(past.Load("DATA\\UI\\PAST.STX"));
  EXPECT_STREQ("", past.String());
}

TEST_F(StaticTextTest, DamagedBodiesAreTheStaticTextError) {
  kelvdata::StaticTextBody good;
  good.sounds = {{0, "SOUNDS\\A.SFX"}};
  struct Case {
    const char* name;
    kelvdata::Bytes bytes;
  };
  std::vector<Case> cases;
  kelvdata::StaticTextBody badFont = good;
  badFont.font = 2;
  cases.push_back({"font past the table", kelvdata::BuildStaticTextBody(badFont)});
  kelvdata::StaticTextBody zero = good;
  zero.sounds[0].path.length = 0;
  cases.push_back({"sound path length 0", kelvdata::BuildStaticTextBody(zero)});
  kelvdata::StaticTextBody longPath = good;
  longPath.sounds[0].path = std::string(260, 'S');
  cases.push_back({"sound path longer than 260", kelvdata::BuildStaticTextBody(longPath)});
  kelvdata::StaticTextBody pastEnd = good;
  pastEnd.sounds[0].path.length = 400;
  cases.push_back({"sound path past the end", kelvdata::BuildStaticTextBody(pastEnd)});
  kelvdata::StaticTextBody manySounds = good;
  manySounds.soundCount = 200;
  cases.push_back({"more sounds than the file holds", kelvdata::BuildStaticTextBody(manySounds)});
  kelvdata::Bytes truncated = kelvdata::BuildStaticTextBody(good);
  truncated.resize(12);
  cases.push_back({"cut short", truncated});

  for (const Case& c : cases) {
    OpenArchives({{"BAD.STX", c.bytes}});
    platform::ClearRecordedMessageBoxes();
    StaticText t;
    EXPECT_FALSE(t.Load("DATA\\UI\\BAD.STX")) << c.name;
    EXPECT_EQ(std::vector<std::string>{kStaticTextError}, Boxes()) << c.name;
    EXPECT_TRUE(t.sounds.empty()) << c.name;
  }
  platform::ClearRecordedMessageBoxes();
  StaticText t;
  EXPECT_FALSE(t.Load("DATA\\UI\\NONE.STX"));
  EXPECT_EQ(std::vector<std::string>{kStaticTextError}, Boxes());
}

TEST_F(StaticTextTest, SetFontLaysTheTextOutAgainAndRefusesUnknownFonts) {
  StaticText t;
  ASSERT_TRUE(t.SetText("AB"));
  t.SetFont(1);
  EXPECT_EQ(&g_Fonts[1], t.font);
  EXPECT_STREQ("AB", t.String());
  t.SetFont(7);
  EXPECT_EQ(&g_Fonts[1], t.font);
}

}  // namespace
