// The synthetic rider drawn by the board's OpenGL backend, compared with
// reference images, and twenty riders' frames without an allocation.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tests/world/allocation_counter.h"
#include "tools/rider_files.h"
#include "tools/tdb.h"
#include "tools/ui_files.h"
#include "tools/ui_samples.h"
#include "tools/tex.h"

namespace {

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    // The race scene's fonts, loaded before the riders: the HUD's texts need them.
    g_Fonts = fonts_;
    g_FontCount = 4;
    savedCamera_ = g_Camera;
    savedFrameTime_ = g_FrameTime;
    savedLight_ = g_LightDirection;
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_FrameTime = 0.02f;
    // The sun that a race's load sets: from above, ahead and to the right.
    g_LightDirection = Vector3(-0.4f, -0.8f, 0.45f);
  }
  void TearDown() override {
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_TrackArchive.Close();
    g_Camera = savedCamera_;
    g_FrameTime = savedFrameTime_;
    g_LightDirection = savedLight_;
    g_GeometryPipeline.objectMatrix = nullptr;
    PictureTest::TearDown();
  }

  // The screen and an archive with the synthetic rider in flat colours.
  bool OpenRider() {
    if (!OpenScreen()) return false;
    g_Renderer.AssignTextureSizeClasses(2);
    const auto tex = kelvdata::BuildTex(32, 32, [](int, int) { return kelvdata::Rgb{255, 255, 255}; });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    std::vector<kelvdata::BbfMember> members = {
        {"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider("DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX",
                                                                        "DATA\\TRACK\\R.BNK"))},
        {"R.TEX", tex},
        {"R.BNK", kelvdata::BuildSoundBank(bank)},
        {"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())}};
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) members.push_back(std::move(hud));
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) members.push_back(std::move(extra));
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
    if (!g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
    g_Camera = Camera();
    g_Camera.position = Vector3(3.0f, 1.5f, -3.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.8f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    return true;
  }

  static void Clear() {
    g_Renderer.clearRed = 0.25f;
    g_Renderer.clearGreen = 0.5f;
    g_Renderer.clearBlue = 0.75f;
    g_Renderer.ClearRect(0, 0, 639, 479, true);
  }

  Font fonts_[4];
  Camera savedCamera_;
  float savedFrameTime_ = 0.0f;
  Vector3 savedLight_;
};

TEST_F(RiderPictureTest, RidingAndCelebratingNearAndFar) {
  KELV_OPEN_PICTURE(OpenRider());
  TestRider rider;
  rider.effectsTexture = "DATA\\TRACK\\R.TEX";
  ASSERT_TRUE(rider.Load("DATA\\TRACK\\RIDER.RDR"));
  rider.followed = 1;
  rider.state = RIDER_RACING;
  rider.UpdatePartMatrices();
  struct Case {
    const char* name;
    std::uint8_t lod;
    bool celebrating;
  };
  const Case cases[] = {{"rider_riding_near.png", 0, false},
                        {"rider_celebrating_near.png", 0, true},
                        {"rider_riding_far.png", 2, false}};
  for (const Case& c : cases) {
    if (c.celebrating) {
      rider.upperPoseGroup = rider.lowerPoseGroup = 3;  // already celebrating
      rider.timeSinceFinish = 1.0f;
      rider.racePosition = 1;
      g_RaceType = 3;
      for (int i = 0; i < 100; ++i) rider.UpdatePose();
      g_RaceType = 0;
    } else {
      rider.UpdatePose();
    }
    rider.lod = c.lod;
    Clear();
    rider.Draw();
    const platform::Picture p = Presented();
    // The corner is far from the rider: the clear colour, as the board's
    // five and six bits show it.
    EXPECT_TRUE(kelvtest::PixelNear(p, 5, 5, 0x4282BD, 3)) << c.name;
    EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(c.name))) << c.name;
  }
}

TEST_F(RiderPictureTest, TheHudOverARaceFrameAt640x480And800x600) {
  KELV_OPEN_PICTURE(OpenRider());
  kelvdata::RasterFont sans;
  std::string error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans", 12, &sans, &error)) << error;
  std::vector<std::string> texts(79);
  const std::pair<int, const char*> labels[] = {{36, "KMH"},   {50, "RACE"},  {54, "LAPS"},       {69, "LAP"},
                                                {71, "SPEED"}, {72, "RPM"},   {73, "CLUTCH"},     {74, "SUSPENSION"},
                                                {76, "ENGINE"}, {77, "BRAKES"}};
  for (const auto& [id, text] : labels) texts[static_cast<std::size_t>(id)] = text;
  OpenUiArchive({{"FONT.FNT", kelvdata::FontFileFor(sans, "DATA\\UI\\_FONT.TEX")},
                 {"_FONT.TEX", sans.tex},
                 {"TEXTS.TDB", kelvdata::BuildTdb(texts)}});
  g_ColourKey = {0, 0, 0};
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB"));
  g_ConditionEngine[0] = 0.5f;
  g_ConditionBrakes[0] = 0.0f;
  g_RaceType = 3;

  const struct {
    std::uint32_t width, height;
    const char* name;
    int plateX;    // inside the speed plate, below its label: 70 in from the right edge
    int needleX;   // the pivot, 0.00625 of the width in from the right
    int needleY;   // half-way up the needle standing straight up
  } sizes[] = {{640, 480, "rider_hud_640.png", 570, 636, 440}, {800, 600, "rider_hud_800.png", 730, 795, 560}};
  for (const auto& c : sizes) {
    g_Renderer.Close();
    g_ScreenWidth = c.width;
    g_ScreenHeight = c.height;
    ASSERT_TRUE(g_Renderer.Open());
    g_Renderer.SetDefaultStates();
    g_Renderer.RestoreSurfaces();
    g_GeometryPipeline.SetupProjection();
    // Textures live on the board: the fonts load again once it is open.
    for (Font& f : fonts_) {
      f.FreeTexture();
      ASSERT_TRUE(f.Load("DATA\\UI\\FONT.FNT"));
    }
    {
      TestRider rider;
      rider.effectsTexture = "DATA\\TRACK\\R.TEX";
      ASSERT_TRUE(rider.Load("DATA\\TRACK\\RIDER.RDR")) << c.name;
      rider.state = RIDER_RACING;
      rider.lod = 0;
      rider.lap = 2;
      rider.racePosition = 4;
      rider.raceTime.Add(83450);
      rider.lapTime.Add(21070);
      rider.physics.forwardSpeed = 20.0f;
      rider.physics.gear = 3;
      rider.physics.revs = 1500.0f;  // past the top: the needle stands straight up
      rider.UpdatePartMatrices();
      rider.UpdatePose();
      g_Renderer.clearRed = 0.25f;
      g_Renderer.clearGreen = 0.5f;
      g_Renderer.clearBlue = 0.75f;
      g_Renderer.ClearRect(0, 0, static_cast<int>(c.width) - 1, static_cast<int>(c.height) - 1, true);
      rider.Draw();
      rider.UpdateHud(2, 20);
      ASSERT_TRUE(rider.DrawHud()) << c.name;
      const platform::Picture p = Presented();
      // The speed plate's inside, texel (30, 40, 120) in five and six bits.
      EXPECT_TRUE(kelvtest::PixelNear(p, c.plateX, 60, 0x18287B, 4)) << c.name;
      // The needle: opaque red over the dial.
      EXPECT_TRUE(kelvtest::PixelNear(p, c.needleX, c.needleY, 0xFF0000, 4)) << c.name;
      EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(c.name))) << c.name;
    }
    ReleaseHudWidgets();
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
  }
  g_ConditionEngine[0] = 1.0f;
  g_ConditionBrakes[0] = 1.0f;
  g_RaceType = 0;
  g_TextDatabase.Release();
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
}

TEST_F(RiderPictureTest, ReflectionsShineOnTheNearBikeInDryWeatherOnly) {
  KELV_OPEN_PICTURE(OpenRider());
  TestRider rider;
  rider.effectsTexture = "DATA\\TRACK\\R.TEX";
  ASSERT_TRUE(rider.Load("DATA\\TRACK\\RIDER.RDR"));
  rider.followed = 1;
  rider.state = RIDER_RACING;
  rider.UpdatePartMatrices();
  rider.UpdatePose();
  rider.lod = 0;
  // The frame's right side (0.75 up, 0.12 out) towards its rear, where the
  // frame's shine patch faces the camera clear of the right leg.
  g_GeometryPipeline.objectMatrix = nullptr;
  const Vector3 top(0.125f, 0.75f, -0.1f);
  const std::uint16_t one = 1;
  const VertexAttribute corners[3] = {};
  const std::uint16_t indices[3] = {0, 0, 0};
  ScreenVertex* out = nullptr;
  std::uint16_t count = 0;
  g_GeometryPipeline.TransformMesh(1, &top, &one, corners, indices, 3, &out, &count, nullptr,
                                   Vector3(1.0f, 1.0f, 1.0f));
  const int x = static_cast<int>(g_GeometryPipeline.transformed[0].x);
  const int y = static_cast<int>(g_GeometryPipeline.transformed[0].y);
  auto channels = [](unsigned rgb) { return (rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF); };

  rider.weather = 1;
  Clear();
  rider.Draw();
  const platform::Picture wetFrame = Presented();
  const unsigned wet = kelvtest::PixelAt(wetFrame, x, y);
  rider.weather = 0;
  Clear();
  rider.Draw();
  const platform::Picture dryFrame = Presented();
  const unsigned dry = kelvtest::PixelAt(dryFrame, x, y);
  // The light turns the texture by -0.116 of its width, so the texel there
  // lies 7 texels off the stripe's middle (255 - 35 = 220); added at
  // reflection level 1 it takes the frame's grey to white.
  EXPECT_LT(channels(wet), 3u * 0xE0u) << std::hex << wet;
  EXPECT_TRUE(kelvtest::PixelNear(dryFrame, x, y, 0xFFFFFF, 6)) << std::hex << dry;
  EXPECT_EQ(g_Renderer.depthBias, 0u);
}

TEST_F(RiderPictureTest, TwentyRidersPoseDrawAndThrowEffectsWithoutAllocating) {
  KELV_OPEN_PICTURE(OpenRider());
  std::vector<std::unique_ptr<TestRider>> riders;
  for (int i = 0; i < RIDER_MAX; ++i) {
    auto r = std::make_unique<TestRider>();
    r->SetIndex(static_cast<std::uint8_t>(i));
    r->effectsTexture = "DATA\\TRACK\\R.TEX";
    ASSERT_TRUE(r->Load("DATA\\TRACK\\RIDER.RDR"));
    r->state = RIDER_RACING;
    r->lod = static_cast<std::uint8_t>(i % 3);
    r->followed = i == 0;
    RiderPhysics& p = r->physics;
    p.axes[0][0] = p.axes[1][1] = p.axes[2][2] = 1.0f;
    p.throttle = 1.0f;
    p.gear = 2;
    p.maxRevs = 1000.0f;
    p.revs = 600.0f;
    p.wheelRadius = 0.35f;
    p.rearWheel.spinRate = 60.0f;
    p.forwardSpeed = 10.0f;
    p.chassisPoint.velocity = Vector3(0.0f, 0.0f, 10.0f);
    r->matrix.m[12] = static_cast<float>(i % 5) - 2.0f;
    r->matrix.m[14] = static_cast<float>(i / 5) * 2.0f;
    // The shadow on flat ground under the tyres, as the physics hands it over.
    Shadow& s = r->shadow;
    const Vector3 at(r->matrix.m[12], 0.0f, r->matrix.m[14]);
    s.front = at + Vector3(0.0f, 0.0f, 0.75f);
    s.rear = at - Vector3(0.0f, 0.0f, 1.1f);
    s.right = Vector3(1.0f, 0.0f, 0.0f);
    s.up = Vector3(0.0f, 1.0f, 0.0f);
    s.forward = Vector3(0.0f, 0.0f, 1.0f);
    s.bikePlane.ny = s.bodyPlane.ny = 1.0f;
    riders.push_back(std::move(r));
  }
  g_ConditionEngine[3] = 0.2f;
  const std::uint8_t savedShadows = g_OptionShadows;
  g_OptionShadows = 3;  // the bike's parts and the body: every shadow path
  auto frame = [&]() {
    for (auto& r : riders) {
      r->UpdatePartMatrices();
      r->EmitGroundDust();
      r->EmitEngineSmoke();
      r->EmitExhaustSmoke();
      r->EmitDirt();
      r->UpdatePose();
      r->UpdateSound();
      r->shadow.Update(20, 0);
      for (SmokePuff& puff : r->groundDust) puff.Update(20, 0);
      for (DirtParticle& d : r->dirt) d.Update(20, 0);
    }
    for (auto& r : riders) r->DrawShadow();
    for (auto& r : riders) r->DrawGroundDust();
    for (auto& r : riders) {
      r->Draw();
      r->DrawDirt();
    }
    for (auto& r : riders) r->DrawEngineSmoke();
    for (auto& r : riders) r->DrawExhaustSmoke();
    g_Renderer.Present();
  };
  // The HUD of the followed rider, whose engine blinks its warning.
  riders[3]->SetFollowed();
  auto hud = [&]() {
    riders[3]->UpdateHud(2, 20);
    riders[3]->DrawHud();
  };
  for (int k = 0; k < 3; ++k) {
    frame();
    hud();
  }
  kelvtest::StartCountingAllocations();
  for (int k = 0; k < 30; ++k) {
    frame();
    hud();
  }
  EXPECT_EQ(kelvtest::StopCountingAllocations(), 0);
  g_ConditionEngine[3] = 1.0f;
  g_OptionShadows = savedShadows;
}

}  // namespace
