// The rider HUD over the widget files that tools/ writes: the tachometer
// needle on the screen, and the values that UpdateHud writes into the
// shared widgets and the rider's condition lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "platform/glide/glide.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tests/world/track_fixture.h"
#include "tools/rider_files.h"
#include "tools/tdb.h"
#include "tools/tex.h"

namespace {

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

std::string TextOf(const StaticText& t) { return t.text ? t.text.get() : ""; }

// The needle's tip and bases on the screen after one update and draw.
struct Needle {
  float x[3];
  float y[3];
};

Needle DrawNeedle(Tachometer* t, float value, float top, float bottom) {
  t->value = value;
  t->top = top;
  t->bottom = bottom;
  t->Update(20, 0);
  t->Draw();
  Needle n{};
  for (int i = 0; i < 3; ++i) {
    n.x[i] = t->screen[i].x;
    n.y[i] = t->screen[i].y;
  }
  return n;
}

class TachometerTest : public kelvtest::TrackTest {};

TEST_F(TachometerTest, TheNeedleAcrossTheScaleAt640x480) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_RenderBuild = RENDER_BUILD_GLIDE;
  Tachometer t;
  // Before any update the pivot sits where the needle's panel is placed.
  EXPECT_NEAR(t.matrix.m[12], 640.0f - 47.0f, 1e-3f);
  EXPECT_NEAR(t.matrix.m[13], 480.0f - 47.0f, 1e-3f);
  ASSERT_TRUE(t.Load("unused"));
  EXPECT_EQ(t.screen[0].colour, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(t.screen[0].z, 65535.0f);
  // Pivot (636, 476); the tip 70 pixels from it; every corner snapped to a
  // sixteenth of a pixel, so within 1/16 below the exact value.
  const struct {
    const char* what;
    float value, top, bottom;
    float tipX, tipY;
  } cases[] = {
      // 10 degrees above the horizontal to the left: 70 cos 10, 70 sin 10.
      {"bottom of the scale", 1000.0f, 14000.0f, 1000.0f, 636.0f - 68.936f, 476.0f - 12.155f},
      {"top of the scale", 14000.0f, 14000.0f, 1000.0f, 636.0f, 406.0f},
      {"past the top", 30000.0f, 14000.0f, 1000.0f, 636.0f, 406.0f},
      // 50 degrees: 70 cos 50 = 44.995, 70 sin 50 = 53.623.
      {"top equal to bottom", 2000.0f, 3000.0f, 3000.0f, 636.0f - 44.995f, 476.0f - 53.623f},
  };
  for (const auto& c : cases) {
    const Needle n = DrawNeedle(&t, c.value, c.top, c.bottom);
    EXPECT_NEAR(n.x[0], c.tipX, 0.07f) << c.what;
    EXPECT_NEAR(n.y[0], c.tipY, 0.07f) << c.what;
    EXPECT_EQ(n.x[0] * 16.0f, std::floor(n.x[0] * 16.0f)) << c.what;
  }
}

TEST_F(TachometerTest, ThePivotFollowsTheScreenUnsnappedInTheOtherBuild) {
  ASSERT_TRUE(OpenAt(800, 600));
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  Tachometer t;
  ASSERT_TRUE(t.Load(nullptr));
  EXPECT_FLOAT_EQ(t.screen[0].z, 0.0f);
  const Needle n = DrawNeedle(&t, 14000.0f, 14000.0f, 1000.0f);
  g_RenderBuild = RENDER_BUILD_GLIDE;
  EXPECT_NEAR(n.x[0], 795.0f, 1e-3f);
  EXPECT_NEAR(n.y[0], 595.0f - 70.0f, 1e-3f);
  // A base corner (-4, -2) turned a quarter: (795 + 2, 595 - 4), unsnapped.
  EXPECT_NEAR(n.x[1], 797.0f, 1e-3f);
  EXPECT_NEAR(n.y[1], 591.0f, 1e-3f);
}

class RiderHudTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    // The race scene's fonts, loaded before the riders: the HUD's texts need them.
    g_Fonts = fonts_;
    g_FontCount = 4;
    saved_ = {g_RaceType, g_OptionMPH, g_FrameTime};
    g_RaceType = 3;
    g_FrameTime = 0.1f;
    std::vector<std::string> texts(79);
    texts[36] = "KMH";
    texts[37] = "MPH";
    texts[74] = "SUSPENSION";
    texts[77] = "BRAKES";
    const auto tex = kelvdata::BuildTex(32, 32, [](int, int) { return kelvdata::Rgb{200, 200, 200}; });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    std::vector<kelvdata::BbfMember> members = {
        {"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider("DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX",
                                                                        "DATA\\TRACK\\R.BNK"))},
        {"R.TEX", tex},
        {"R.BNK", kelvdata::BuildSoundBank(bank)},
        {"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())},
        {"HUD.TDB", kelvdata::BuildTdb(texts)}};
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) members.push_back(std::move(hud));
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) members.push_back(std::move(extra));
    OpenTrackArchive(members);
    ASSERT_TRUE(g_TextDatabase.Load("DATA\\TRACK\\HUD.TDB"));
    rider_.effectsTexture = "DATA\\TRACK\\R.TEX";
    rider_.SetIndex(4);
    ASSERT_TRUE(rider_.Load("DATA\\TRACK\\RIDER.RDR")) << (Boxes().empty() ? "" : Boxes()[0]);
    rider_.lap = 1;
    rider_.racePosition = 1;
  }
  void TearDown() override {
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_TextDatabase.Release();
    for (float* c : {g_ConditionSuspension, g_ConditionWheels, g_ConditionEngine, g_ConditionBrakes,
                     g_ConditionGearbox}) {
      c[4] = 1.0f;
    }
    for (float& t : g_HudBlinkTimers) t = 0.0f;
    g_RaceType = saved_.raceType;
    g_OptionMPH = saved_.mph;
    g_FrameTime = saved_.frameTime;
    TrackTest::TearDown();
  }

  struct Saved {
    std::uint8_t raceType;
    std::uint8_t mph;
    float frameTime;
  } saved_{};
  Font fonts_[4];
  TestRider rider_;
};

TEST_F(RiderHudTest, LoadLaysTheWidgetsOutOnceWithTheirFirstTexts) {
  EXPECT_EQ(g_HudLoaded, 1);
  EXPECT_EQ(TextOf(g_HudSpeedValue), "000 KMH");
  EXPECT_EQ(TextOf(g_HudRevsValue), "00000");
  EXPECT_EQ(TextOf(g_HudGearValue), "N");
  EXPECT_FLOAT_EQ(g_HudSpeedPanel.w, 78.0f);
  EXPECT_FLOAT_EQ(g_HudSpeedPanel.y, 43.0f);
  EXPECT_FLOAT_EQ(g_HudRevsLabel.originX, 595.0f);
  EXPECT_FLOAT_EQ(rider_.conditionLines[3].originY, 145.0f);
  // A second rider finds the widgets laid out and keeps their texts.
  g_HudSpeedValue.SetText("123 KMH");
  TestRider second;
  second.effectsTexture = "DATA\\TRACK\\R.TEX";
  ASSERT_TRUE(second.Load("DATA\\TRACK\\RIDER.RDR"));
  EXPECT_EQ(TextOf(g_HudSpeedValue), "123 KMH");
}

TEST_F(RiderHudTest, SpeedGearAndRevsReadouts) {
  const struct {
    const char* what;
    float forwardSpeed;
    std::uint8_t mph;
    std::int16_t gear;
    float revs;  // rad/s
    const char* speed;
    const char* gearText;
    float red, green;
  } cases[] = {
      {"neutral standing", 0.0f, 0, 0, 0.0f, "000 KMH", "N", 0.0f, 1.0f},
      {"100 km/h in miles", 100.0f / 3.6f + 0.001f, 1, 3, 7543.5f / 9.55414f, "063 MPH", "3", 1.0f, 0.0f},
      {"reversing", -4.0f, 0, 1, 123456.5f / 9.55414f, "000 KMH", "1", 1.0f, 0.0f},
  };
  const char* revs[] = {"0", "7543", "23456"};
  int i = 0;
  for (const auto& c : cases) {
    g_OptionMPH = c.mph;
    rider_.physics.forwardSpeed = c.forwardSpeed;
    rider_.physics.gear = c.gear;
    rider_.physics.revs = c.revs;
    rider_.UpdateHud(2, 20);
    EXPECT_EQ(TextOf(g_HudSpeedValue), c.speed) << c.what;
    EXPECT_EQ(TextOf(g_HudGearValue), c.gearText) << c.what;
    EXPECT_FLOAT_EQ(g_HudGearValue.colourR, c.red) << c.what;
    EXPECT_FLOAT_EQ(g_HudGearValue.colourG, c.green) << c.what;
    EXPECT_EQ(TextOf(g_HudRevsValue), revs[i++]) << c.what;
  }
  EXPECT_FLOAT_EQ(rider_.tachometer.top, 14000.0f);
  EXPECT_FLOAT_EQ(rider_.tachometer.bottom, 1000.0f);
}

TEST_F(RiderHudTest, ClutchLightAndRaceClocks) {
  rider_.physics.clutchIn = 1;
  rider_.raceTime.Add(3723450);  // 1 h 2 min 3.45 s: the hours are not shown
  rider_.lapTime.Add(61230);
  rider_.UpdateHud(2, 20);
  EXPECT_FLOAT_EQ(g_HudFrictionPanel.GetU(0), 221.0f / 255.0f);
  EXPECT_FLOAT_EQ(g_HudFrictionPanel.GetV(2), 232.0f / 255.0f);
  EXPECT_EQ(TextOf(g_HudRaceTimeValue), "02'03\"45");
  EXPECT_EQ(TextOf(g_HudLapTimeValue), "01'01\"23");
  rider_.physics.clutchIn = 0;
  rider_.UpdateHud(2, 20);
  EXPECT_FLOAT_EQ(g_HudFrictionPanel.GetU(1), 253.0f / 255.0f);
}

TEST_F(RiderHudTest, PositionAndLapsRewriteOnChangeOrWhenTheCameraComesBack) {
  rider_.UpdateHud(2, 20);
  EXPECT_EQ(TextOf(g_HudLapsValue), "00");  // lap 1: none completed
  EXPECT_EQ(TextOf(g_HudPositionValue), "01");
  rider_.lap = 3;
  rider_.racePosition = 12;
  rider_.UpdateHud(2, 20);
  EXPECT_EQ(TextOf(g_HudLapsValue), "02");
  EXPECT_EQ(TextOf(g_HudPositionValue), "12");

  // Another rider wrote the shared texts meanwhile; unchanged values are
  // not written again until the camera leaves and comes back.
  g_HudLapsValue.SetText("07");
  g_HudPositionValue.SetText("05");
  rider_.UpdateHud(2, 20);
  EXPECT_EQ(TextOf(g_HudLapsValue), "07");
  rider_.ClearFollowed();
  rider_.UpdateHud(2, 20);
  EXPECT_EQ(TextOf(g_HudLapsValue), "02");
  EXPECT_EQ(TextOf(g_HudPositionValue), "12");
  EXPECT_EQ(rider_.hudRefresh, 0);

  // Outside the motos the position is left alone.
  g_RaceType = 1;
  rider_.racePosition = 7;
  rider_.UpdateHud(2, 20);
  EXPECT_EQ(TextOf(g_HudPositionValue), "12");
}

TEST_F(RiderHudTest, ConditionLinesBlinkOrGreyOut) {
  g_ConditionSuspension[4] = 0.2f;  // blinking
  g_ConditionBrakes[4] = 0.0f;      // broken
  g_ConditionEngine[4] = 0.5f;      // steady
  StaticText& blinking = rider_.conditionLines[0];
  StaticText& broken = rider_.conditionLines[3];
  // Frames of 166 ms: the fade's last step lands within 0.01 of its
  // target, where the text counts as no longer fading.
  rider_.UpdateHud(2, 166);
  // The blink starts with a fade out; the clock runs by the frame time.
  EXPECT_FLOAT_EQ(blinking.fadeTarget, 0.0f);
  EXPECT_FLOAT_EQ(g_HudBlinkTimers[0], 0.1f);
  EXPECT_FLOAT_EQ(broken.alpha, 0.5f);
  EXPECT_FLOAT_EQ(broken.colourR, 0.9f);
  EXPECT_FLOAT_EQ(g_HudBlinkTimers[3], 0.0f);  // a broken part's clock is left alone
  EXPECT_FLOAT_EQ(g_HudBlinkTimers[2], 0.0f);
  // Past 1 s with the fade out over: red, fading back in.
  for (int i = 0; i < 11; ++i) rider_.UpdateHud(2, 166);
  EXPECT_FLOAT_EQ(blinking.fadeTarget, 1.0f);
  EXPECT_FLOAT_EQ(blinking.colourG, 0.046875f);
  // The clock wraps after 2.5 s.
  for (int i = 0; i < 15; ++i) rider_.UpdateHud(2, 166);
  EXPECT_LT(g_HudBlinkTimers[0], 0.5f);

  ASSERT_TRUE(rider_.DrawHud());
  EXPECT_EQ(TextOf(rider_.conditionLines[0]), "SUSPENSION : 20%");
  EXPECT_EQ(TextOf(broken), "BRAKES : 0%");
}

TEST_F(RiderHudTest, ConditionLinesBlendByBuildAndHideNearlyNewParts) {
  g_ConditionSuspension[4] = 0.5f;
  g_ConditionBrakes[4] = 0.0f;
  g_ConditionEngine[4] = 0.95f;  // not drawn
  const struct {
    RenderBuild build;
    GrAlphaBlendFnc_t steadySrc, brokenSrc, dst;
  } cases[] = {
      // The Glide build darkens the picture in the shape of a broken part's text.
      {RENDER_BUILD_GLIDE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE_MINUS_SRC_COLOR},
      {RENDER_BUILD_DIRECT3D, GR_BLEND_SRC_ALPHA, GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    rider_.UpdateHud(2, 20);
    platform::ClearGlideRecords();
    const bool drawn = rider_.DrawHud();
    g_RenderBuild = RENDER_BUILD_GLIDE;
    ASSERT_TRUE(drawn);
    const auto& draws = platform::RecordedGlideDraws();
    ASSERT_GE(draws.size(), 4u);
    const std::size_t n = draws.size();
    // Needle, cover, then only the two lines below 0.9.
    EXPECT_EQ(draws[n - 4].vertices.size(), 3u);
    EXPECT_EQ(draws[n - 3].vertices.size(), 6u);
    EXPECT_EQ(draws[n - 2].vertices.size(), 6u * 16u);  // "SUSPENSION : 50%"
    EXPECT_EQ(draws[n - 1].vertices.size(), 6u * 11u);  // "BRAKES : 0%"
    EXPECT_EQ(draws[n - 2].state.rgbSrc, c.steadySrc);
    EXPECT_EQ(draws[n - 1].state.rgbSrc, c.brokenSrc);
    EXPECT_EQ(draws[n - 1].state.rgbDst, c.dst);
  }
}

TEST_F(RiderHudTest, AMissingWidgetFileFailsTheLoadWithItsErrorAndTheNextLoadStartsClean) {
  ReleaseHudWidgets();
  const struct {
    const char* file;
    const char* error;
  } cases[] = {{"POSV.STX", "File error opening static text data.\nPlease reinstall Kelvarro."},
               {"TACHO2.OSP", "File error opening panel data.\nPlease reinstall Kelvarro."},
               {"GEARV.STX", "File error opening static text data.\nPlease reinstall Kelvarro."}};
  for (const auto& c : cases) {
    std::vector<kelvdata::BbfMember> members = {
        {"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider("DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX",
                                                                        "DATA\\TRACK\\R.BNK"))},
        {"R.TEX", kelvdata::BuildTex(8, 8, [](int, int) { return kelvdata::Rgb{9, 9, 9}; })},
        {"R.BNK", kelvdata::BuildSoundBank(kelvdata::SoundBankSpec())},
        {"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())}};
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) {
      if (hud.name != c.file) members.push_back(std::move(hud));
    }
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) members.push_back(std::move(extra));
    OpenTrackArchive(members);
    const std::size_t before = Boxes().size();
    {
      TestRider rider;
      rider.effectsTexture = "DATA\\TRACK\\R.TEX";
      EXPECT_FALSE(rider.Load("DATA\\TRACK\\RIDER.RDR")) << c.file;
    }
    ASSERT_EQ(Boxes().size(), before + 1) << c.file;
    EXPECT_EQ(Boxes().back(), c.error) << c.file;
    EXPECT_EQ(g_HudLoaded, 0) << c.file;
    EXPECT_FALSE(g_HudSpeedValue.text) << c.file;  // let go
  }
}

}  // namespace
