#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/ui_fixture.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace {

constexpr float kQuarterPi = 0.785398163f;

// A clear of the board: its clip rectangle.
struct Clear {
  int x0, y0, x1, y1;
  bool operator==(const Clear&) const = default;
};

class BackdropTest : public kelvtest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    savedCamera_ = g_Camera;
    savedView_ = g_ViewRect;
    savedViewWidth_ = g_ViewWidth;
    g_ViewRect = {0.0f, 640.0f, 0.0f, 480.0f};
    g_ViewWidth = 640.0f;
    // Blue sky rows, red ground rows: 256 x 256, so both scales are 256.
    OpenArchives({{"HORIZON.TEX", kelvdata::BuildTex(256, 256, [](int, int y) {
                     return y < 200 ? kelvdata::Rgb{0, 0, 255} : kelvdata::Rgb{255, 0, 0};
                   })}});
    // A camera at the origin looking along +z (heading 0), tan(fov) = 1:
    // 320 pixels per unit of height over depth.
    g_Camera = Camera();
    g_Camera.SetFov(kQuarterPi);
    g_Camera.position = Vector3(0.0f, 0.0f, 0.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 10.0f));
  }
  void TearDown() override {
    g_Camera = savedCamera_;
    g_ViewRect = savedView_;
    g_ViewWidth = savedViewWidth_;
    UiTest::TearDown();
  }

  // A backdrop 1000 ahead with the given heights.
  void Load(Backdrop* b, float low, float high, float distance = 1000.0f) {
    kelvdata::BackdropFile f;
    f.texture = "DATA\\UI\\HORIZON.TEX";
    f.distanceAhead = distance;
    f.lowHeight = low;
    f.highHeight = high;
    OpenArchives({{"HORIZON.TEX", kelvdata::BuildTex(256, 256,
                                                     [](int, int y) {
                                                       return y < 200 ? kelvdata::Rgb{0, 0, 255}
                                                                      : kelvdata::Rgb{255, 0, 0};
                                                     })},
                  {"H.BKD", kelvdata::BuildBackdrop(f)}});
    ASSERT_TRUE(b->Load("DATA\\UI\\H.BKD"));
  }

  // The clears of one Draw, as their clip rectangles.
  static std::vector<Clear> Clears() {
    std::vector<Clear> out;
    std::vector<double> clip;
    for (const platform::GlideCall& c : platform::RecordedGlideCalls()) {
      if (c.function == "grClipWindow") clip = c.args;
      if (c.function == "grBufferClear")
        out.push_back({int(clip[0]), int(clip[1]), int(clip[2]), int(clip[3])});
    }
    return out;
  }

  Camera savedCamera_;
  ViewRect savedView_;
  float savedViewWidth_ = 0.0f;
};

// A full channel as the board keeps it: 5 bits.
constexpr float kFull = 248.0f / 255.0f;

TEST_F(BackdropTest, ALevelCameraClearsSkyAboveAndGroundBelowTheHorizon) {
  Backdrop b;
  Load(&b, -500.0f, 500.0f);
  EXPECT_FLOAT_EQ(0.0f, b.skyR);
  EXPECT_FLOAT_EQ(kFull, b.skyB);
  EXPECT_FLOAT_EQ(kFull, b.groundR);
  b.Update(0, 0);
  // lowY = 240 + 500 x 320 / 1000, highY = 240 - 160.
  EXPECT_NEAR(80.0f, b.vertices[0].y, 1e-3f);
  EXPECT_NEAR(400.0f, b.vertices[2].y, 1e-3f);
  EXPECT_NEAR(240.0f, b.horizonY, 1e-3f);
  EXPECT_NEAR(BACKDROP_BAND_TOP_V * 256.0f, b.vertices[0].t, 1e-3f);
  EXPECT_NEAR(BACKDROP_BAND_BOTTOM_V * 256.0f, b.vertices[5].t, 1e-3f);
  // The sky quad reaches one pixel into the band.
  EXPECT_NEAR(81.0f, b.skyQuad[2].y, 1e-3f);

  platform::ClearGlideRecords();
  ASSERT_TRUE(b.Draw());
  EXPECT_EQ((std::vector<Clear>{{0, 0, 640, 240}, {0, 240, 640, 480}}), Clears());
  // The sky quad and the band.
  EXPECT_EQ(2u, platform::RecordedGlideDraws().size());
  EXPECT_EQ(0, g_Renderer.cache.zEnable);
  EXPECT_EQ(0, g_Renderer.cache.zWriteEnable);
}

TEST_F(BackdropTest, ABandCutByTheViewKeepsItsTextureOnTheScenery) {
  Backdrop b;
  // highY = 240 - 1500 x 0.32 = -240, lowY = 240 + 320 = 560.
  Load(&b, -1000.0f, 1500.0f);
  b.Update(0, 0);
  EXPECT_FLOAT_EQ(0.0f, b.vertices[0].y);
  EXPECT_FLOAT_EQ(480.0f, b.vertices[2].y);
  // v at the top cut: 0.99609375 - (0 - 560) x 0.734375 / (-240 - 560) = 0.482...
  const float vTop = 0.99609375f - 560.0f * 0.734375f / 800.0f;
  EXPECT_NEAR(vTop * 256.0f, b.vertices[0].t, 1e-3f);
  EXPECT_NEAR(vTop * 256.0f, b.vertices[3].t, 1e-3f);
  // v at the bottom cut: a tenth of the band's v span up from its low
  // point, (560 - 480) / (560 + 240).
  const float vBottom = 0.99609375f - 0.1f * 0.734375f;
  EXPECT_NEAR(vBottom * 256.0f, b.vertices[2].t, 1e-3f);
  EXPECT_NEAR(vBottom * 256.0f, b.vertices[5].t, 1e-3f);
  EXPECT_EQ(1, b.drawBand);
}

TEST_F(BackdropTest, TurningByAnEighthMovesTheTextureByOneWidth) {
  Backdrop b;
  Load(&b, -500.0f, 500.0f);
  b.Update(0, 0);
  // Heading 0: u from -fov x 4 / pi = -1 to +1.
  EXPECT_NEAR(-256.0f, b.vertices[0].s, 1e-3f);
  EXPECT_NEAR(256.0f, b.vertices[1].s, 1e-3f);
  const float before = b.vertices[0].s;
  g_Camera.LookAt(Vector3(std::sin(kQuarterPi) * 10.0f, 0.0f, std::cos(kQuarterPi) * 10.0f));
  b.Update(0, 0);
  EXPECT_NEAR(before + 256.0f, b.vertices[0].s, 1e-2f);
  // Turned the other way the heading goes round through 2 pi.
  g_Camera.LookAt(Vector3(-std::sin(kQuarterPi) * 10.0f, 0.0f, std::cos(kQuarterPi) * 10.0f));
  b.Update(0, 0);
  EXPECT_NEAR((7.0f * kQuarterPi - kQuarterPi) * 4.0f / 3.14159265f * 256.0f, b.vertices[0].s, 1e-2f);
}

TEST_F(BackdropTest, ABandAboveTheViewLeavesOnlyTheGround) {
  Backdrop b;
  Load(&b, 2000.0f, 3000.0f);
  b.Update(0, 0);
  EXPECT_EQ(0, b.clearSky);
  EXPECT_EQ(0, b.drawBand);
  EXPECT_EQ(1, b.clearGround);
  platform::ClearGlideRecords();
  b.Draw();
  EXPECT_EQ((std::vector<Clear>{{0, 0, 640, 480}}), Clears());
  EXPECT_TRUE(platform::RecordedGlideDraws().empty());
  EXPECT_FLOAT_EQ(kFull, g_Renderer.clearRed);
}

TEST_F(BackdropTest, ABandAtZeroDepthCountsAsBehindTheCamera) {
  Backdrop b;
  Load(&b, -500.0f, 500.0f, 0.0f);
  b.Update(0, 0);
  EXPECT_EQ(1, b.clearSky);
  EXPECT_EQ(0, b.clearGround);
  EXPECT_EQ(0, b.drawBand);
  EXPECT_FLOAT_EQ(480.0f, b.horizonY);
  for (const ScreenVertex& v : b.vertices) EXPECT_TRUE(std::isfinite(v.y) && std::isfinite(v.t));
}

TEST_F(BackdropTest, DamagedOrMissingFilesAreTheUiError) {
  kelvdata::BackdropFile f;
  f.texture = "DATA\\UI\\HORIZON.TEX";
  kelvdata::Bytes cut = kelvdata::BuildBackdrop(f);
  cut.resize(cut.size() - 1);
  kelvdata::BackdropFile longName = f;
  longName.texture = std::string(300, 'x');
  OpenArchives({{"HORIZON.TEX", kelvdata::BuildTex(8, 8, [](int, int) { return kelvdata::Rgb{1, 2, 3}; })},
                {"CUT.BKD", cut},
                {"LONG.BKD", kelvdata::BuildBackdrop(longName)}});
  for (const char* bad : {"DATA\\UI\\CUT.BKD", "DATA\\UI\\LONG.BKD", "DATA\\UI\\NONE.BKD"}) {
    platform::ClearRecordedMessageBoxes();
    Backdrop b;
    EXPECT_FALSE(b.Load(bad)) << bad;
    EXPECT_EQ(std::vector<std::string>{"File error opening ui data.\nPlease reinstall Kelvarro."}, Boxes()) << bad;
  }
}

}  // namespace
