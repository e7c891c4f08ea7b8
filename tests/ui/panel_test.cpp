#include "ui/panel.h"

#include <gtest/gtest.h>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/ui_fixture.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace {

const char kPanelError[] = "File error opening panel data.\nPlease reinstall Kelvarro.";

kelvdata::BbfMember Texture(const std::string& name, std::uint8_t red) {
  return {name, kelvdata::BuildTex(32, 32, [red](int, int) { return kelvdata::Rgb{red, 0, 0}; })};
}

class PanelTest : public kelvtest::UiTest {
 protected:
  static void CountCallback() { ++callbacks_; }
  static int callbacks_;
};
int PanelTest::callbacks_ = 0;

TEST_F(PanelTest, AnchorsPlaceTheRectangleFromEachEdge) {
  const struct {
    std::uint32_t w, h;
    std::uint8_t yFromTop, xFromLeft;
    float left, top;
  } cases[] = {
      {640, 480, 0, 0, 530.0f, 410.0f},
      {640, 480, 1, 1, 10.0f, 20.0f},
      {640, 480, 1, 0, 530.0f, 20.0f},
      {800, 600, 0, 0, 690.0f, 530.0f},
      {800, 600, 0, 1, 10.0f, 530.0f},
  };
  for (const auto& c : cases) {
    g_ScreenWidth = c.w;
    g_ScreenHeight = c.h;
    Panel p;
    p.SetAnchors(c.yFromTop, c.xFromLeft);
    p.SetScale(100.0f, 50.0f, 1.0f);
    p.SetPosition(10.0f, 20.0f, 0.0f);
    const std::string where = std::to_string(c.w) + " anchors " + std::to_string(c.yFromTop) + std::to_string(c.xFromLeft);
    EXPECT_FLOAT_EQ(c.left, p.vertices[0].x) << where;
    EXPECT_FLOAT_EQ(c.top, p.vertices[0].y) << where;
    EXPECT_FLOAT_EQ(c.left + 100.0f, p.vertices[2].x) << where;
    EXPECT_FLOAT_EQ(c.top + 50.0f, p.vertices[2].y) << where;
    EXPECT_FLOAT_EQ(c.left, p.vertices[5].x) << where;
    EXPECT_FLOAT_EQ(c.top + 50.0f, p.vertices[5].y) << where;
  }
}

TEST_F(PanelTest, ALoadedPanelSnapsToSixteenthsAndALaterMoveDoesNot) {
  kelvdata::PanelFile f;
  f.texture = "DATA\\UI\\RED.TEX";
  f.position[0] = 10.03f;
  f.u[1] = 0.5f;
  f.v[2] = 0.25f;
  OpenArchives({{"P.OSP", kelvdata::BuildOsp(f)}, Texture("RED.TEX", 255)});
  Panel p;
  ASSERT_TRUE(p.Load("DATA\\UI\\P.OSP"));
  EXPECT_FLOAT_EQ(10.0f, p.vertices[0].x);
  EXPECT_FLOAT_EQ(74.0f, p.vertices[1].x);  // 74.03 snapped
  // Texture coordinates in the texture's scale (32 texels: 256 for the long side).
  EXPECT_FLOAT_EQ(0.5f * g_TextureManager.sScale[p.texture], p.vertices[1].s);
  EXPECT_FLOAT_EQ(0.25f * g_TextureManager.tScale[p.texture], p.vertices[2].t);
  EXPECT_FLOAT_EQ(0.5f, p.GetU(1));
  p.SetPosition(10.03f, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(10.03f, p.vertices[0].x);
}

TEST_F(PanelTest, PracticeAndQualifyingSwapTheRacePlateTexture) {
  kelvdata::PanelFile f;
  f.texture = "data\\track\\_ostxt4.tex";
  OpenArchives({{"P.OSP", kelvdata::BuildOsp(f)}},
               {Texture("_OSTXT4.TEX", 40), Texture("_OSTXT41.TEX", 200)});
  const struct {
    std::uint8_t raceType;
    const char* loaded;
  } cases[] = {{0, "DATA\\TRACK\\_OSTXT4.TEX"}, {1, "DATA\\TRACK\\_OSTXT41.TEX"},
               {2, "DATA\\TRACK\\_OSTXT41.TEX"}, {3, "DATA\\TRACK\\_OSTXT4.TEX"},
               {6, "DATA\\TRACK\\_OSTXT4.TEX"}};
  for (const auto& c : cases) {
    g_RaceType = c.raceType;
    Panel p;
    ASSERT_TRUE(p.Load("DATA\\UI\\P.OSP")) << int(c.raceType);
    EXPECT_STREQ(c.loaded, g_TextureManager.name[p.texture]) << int(c.raceType);
  }
  // A long-lived panel keeps its override until it is cleared.
  g_RaceType = 1;
  Panel kept;
  ASSERT_TRUE(kept.Load("DATA\\UI\\P.OSP"));
  g_RaceType = 3;
  ASSERT_TRUE(kept.Load("DATA\\UI\\P.OSP"));
  EXPECT_STREQ("DATA\\TRACK\\_OSTXT41.TEX", g_TextureManager.name[kept.texture]);
  kept.SetTextureName("");
  ASSERT_TRUE(kept.Load("DATA\\UI\\P.OSP"));
  EXPECT_STREQ("DATA\\TRACK\\_OSTXT4.TEX", g_TextureManager.name[kept.texture]);
}

TEST_F(PanelTest, FadeStopsWhenTheTimeIsUpWhateverTheAlpha) {
  Panel p;
  p.SetAlpha(0.0f);
  EXPECT_EQ(1, p.blend);
  p.StartFade(1.0f, 100, CountCallback);
  p.Update(40, 0);
  EXPECT_NEAR(0.4f, p.alpha, 1e-6f);
  // Glide: the colour is scaled by the alpha too.
  // 0.4 x 255 = 102, give or take the rounding of the step.
  for (int shift : {24, 16, 8, 0}) EXPECT_NEAR(102, static_cast<int>((p.vertices[0].colour >> shift) & 0xFF), 1);
  EXPECT_TRUE(p.IsFading());
  p.Update(40, 0);
  p.Update(40, 0);
  EXPECT_FALSE(p.IsFading());
  EXPECT_NEAR(0.8f, p.alpha, 1e-6f);
  EXPECT_EQ(1, callbacks_);
  p.Update(40, 0);
  EXPECT_EQ(1, callbacks_);
}

TEST_F(PanelTest, DamagedFilesAreThePanelError) {
  kelvdata::PanelFile good;
  struct Case {
    const char* name;
    kelvdata::Bytes bytes;
  };
  std::vector<Case> cases;
  kelvdata::PanelFile zero = good;
  zero.texture.length = 0;
  cases.push_back({"texture length 0", kelvdata::BuildOsp(zero)});
  kelvdata::PanelFile longName = good;
  longName.texture = std::string(260, 'T');
  cases.push_back({"texture name longer than 260", kelvdata::BuildOsp(longName)});
  kelvdata::PanelFile pastEnd = good;
  pastEnd.texture.length = 0x7FFFFFFF;
  cases.push_back({"texture name past the end", kelvdata::BuildOsp(pastEnd)});
  kelvdata::Bytes cut = kelvdata::BuildOsp(good);
  cut.resize(cut.size() - 3);
  cases.push_back({"corners cut short", cut});
  for (const Case& c : cases) {
    OpenArchives({{"BAD.OSP", c.bytes}});
    platform::ClearRecordedMessageBoxes();
    Panel p;
    EXPECT_FALSE(p.Load("DATA\\UI\\BAD.OSP")) << c.name;
    EXPECT_EQ(std::vector<std::string>{kPanelError}, Boxes()) << c.name;
  }
  platform::ClearRecordedMessageBoxes();
  Panel p;
  EXPECT_FALSE(p.Load("DATA\\UI\\NONE.OSP"));
  EXPECT_EQ(std::vector<std::string>{kPanelError}, Boxes());
}

TEST_F(PanelTest, DrawSetsTheBlendFlagAndDrawsSixVertices) {
  Panel p;
  p.SetScale(10.0f, 10.0f, 1.0f);
  p.UpdateVertices();
  platform::ClearGlideRecords();
  EXPECT_TRUE(p.Draw());
  ASSERT_EQ(1u, platform::RecordedGlideDraws().size());
  EXPECT_EQ(6u, platform::RecordedGlideDraws()[0].vertices.size());
  EXPECT_EQ(0, g_Renderer.cache.alphaBlendEnable);
  p.SetAlpha(0.5f);
  p.Draw();
  EXPECT_EQ(1, g_Renderer.cache.alphaBlendEnable);
}

}  // namespace
