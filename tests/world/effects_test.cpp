// The world's effects on the recording board: the sky's clouds and stars,
// the rain's lens drops and thunder, smoke puffs, dirt clods and the lens
// flare.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/dsound/dsound.h"
#include "platform/glide/glide.h"
#include "platform/win32/crt.h"
#include "platform/win32/msgbox.h"
#include "tests/world/track_fixture.h"
#include "tools/effect_files.h"
#include "world/dirt_particle.h"
#include "world/lens_flare.h"
#include "world/rain.h"
#include "world/sky.h"
#include "world/smoke_puff.h"

namespace {

class EffectsTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    savedFrameTime_ = g_FrameTime;
    ASSERT_TRUE(OpenAt(640, 480));
    g_Renderer.SetDefaultStates();
    crt::srand(7);
    g_OptionSkyEnable = 0;
    g_RainPreviousCamera = Vector3(0.0f, 0.0f, 0.0f);
    g_RainPreviousViewWidth = 0.0f;
    g_RainAttenuation = 0;
    Look(Vector3(0.0f, 2.0f, 0.0f), Vector3(0.0f, 2.0f, 10.0f));
  }
  void TearDown() override {
    g_FrameTime = savedFrameTime_;
    g_OptionSkyEnable = 0;
    g_LightDirection = savedLight_;
    TrackTest::TearDown();
  }
  static void Look(const Vector3& from, const Vector3& at) {
    g_Camera.position = from;
    g_Camera.LookAt(at);
    g_GeometryPipeline.SetupProjection();
  }
  static std::size_t Draws() { return platform::RecordedGlideDraws().size(); }

  float savedFrameTime_ = 0.0f;
  Vector3 savedLight_ = g_LightDirection;
};

// ---- Sky ------------------------------------------------------------------

TEST_F(EffectsTest, WithTheSkyOptionOffSixCloudsShareThreeAzimuths) {
  OpenTrackArchive({{"COURSE.SKY", kelvdata::BuildSkyFile({"NULL", 1000.0f, std::nullopt})}});
  Sky sky;
  ASSERT_TRUE(sky.Load(kelvdata::COURSE_SKY));
  EXPECT_EQ(sky.cloudCount, 6);
  std::map<int, int> azimuths;
  for (int i = 0; i < 6; ++i) {
    const Vector3* c = &sky.positions[3 * i];
    const float s = c[1].x - c[0].x;
    const float x = c[0].x + s / 4.0f, z = c[0].z + s / 4.0f;
    const int degrees = static_cast<int>(std::lround(std::atan2(z, x) * 57.29578f) + 360) % 360;
    ++azimuths[degrees];
    EXPECT_GE(s, 700.0f);
    const float elevation = std::asin(c[0].y / 1000.0f);
    EXPECT_GE(elevation, 0.17453f);
    EXPECT_LE(elevation, 1.2217305f);
    EXPECT_EQ(sky.attributes[3 * i].colour >> 24, 0x3Fu);
  }
  EXPECT_EQ(azimuths, (std::map<int, int>{{0, 2}, {120, 2}, {240, 2}}));

  g_OptionSkyEnable = 1;
  Sky big;
  ASSERT_TRUE(big.Load(kelvdata::COURSE_SKY));
  EXPECT_EQ(big.cloudCount, 36);
}

TEST_F(EffectsTest, SkyFileFaultsAreReported) {
  const char* message = "File error opening sky data.\nPlease reinstall Kelvarro.";
  const struct {
    const char* name;
    kelvdata::SkyFile file;
  } cases[] = {
      {"name longer than the file", {"NULL", 900.0f, 5000u}},
      {"empty name", {"NULL", 900.0f, 0u}},
      {"radius not positive", {"NULL", 0.0f, std::nullopt}},
  };
  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    OpenTrackArchive({{"COURSE.SKY", kelvdata::BuildSkyFile(c.file)}});
    Sky sky;
    EXPECT_FALSE(sky.Load(kelvdata::COURSE_SKY)) << c.name;
    EXPECT_EQ(Boxes(), std::vector<std::string>{message}) << c.name;
  }
  platform::ClearRecordedMessageBoxes();
  Sky missing;
  EXPECT_FALSE(missing.Load("DATA\\TRACK\\NONE.SKY"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{message});
}

TEST_F(EffectsTest, CloudsTurnWithTimeAndFollowTheCamera) {
  OpenTrackArchive({{"COURSE.SKY", kelvdata::BuildSkyFile({"NULL", 1000.0f, std::nullopt})}});
  Sky sky;
  ASSERT_TRUE(sky.Load(kelvdata::COURSE_SKY));
  g_FrameTime = 0.05f;
  Look(Vector3(12.0f, 7.0f, -4.0f), Vector3(12.0f, 7.0f, 10.0f));
  for (int k = 0; k < 20; ++k) sky.Update(50, 0);
  // 1.2 degrees a second for one second.
  EXPECT_NEAR(sky.angle, 0.020943951f, 1e-6f);
  EXPECT_EQ(sky.matrix.m[12], 12.0f);
  EXPECT_EQ(sky.matrix.m[13], 0.0f);
  EXPECT_EQ(sky.matrix.m[14], -4.0f);
  platform::ClearGlideRecords();
  EXPECT_TRUE(sky.Draw());
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(g_Camera.farPlane, 500.0f);

  sky.enabled = 0;
  const float angle = sky.angle;
  platform::ClearGlideRecords();
  sky.Update(50, 0);
  EXPECT_TRUE(sky.Draw());
  EXPECT_EQ(sky.angle, angle);
  EXPECT_EQ(Draws(), 0u);
}

TEST_F(EffectsTest, StarsOnTheLastColumnOrRowAreDroppedAndTheFarPlaneIsRestored) {
  Sky sky;
  sky.starMode = 1;
  sky.radius = 1000.0f;
  sky.cloudCount = 36;
  // One star straight ahead, at the screen centre (320, 240): kept unless
  // that is the view's last column or row.
  for (Vector3& p : sky.positions) p = Vector3(0.0f, -5000.0f, 0.0f);
  sky.positions[0] = Vector3(0.0f, 2.0f, 900.0f);
  sky.attributes[0].colour = 0x3FFFFFFFu;
  const struct {
    ViewRect rect;
    int stars;
  } cases[] = {
      {{0.0f, 639.0f, 0.0f, 479.0f}, 1},
      {{0.0f, 321.0f, 0.0f, 479.0f}, 1},
      {{0.0f, 320.0f, 0.0f, 479.0f}, 0},
      {{0.0f, 639.0f, 0.0f, 240.0f}, 0},
      {{321.0f, 639.0f, 0.0f, 479.0f}, 0},
  };
  const ViewRect saved = g_ViewRect;
  for (const auto& c : cases) {
    g_ViewRect = c.rect;
    sky.UpdateStars();
    EXPECT_EQ(sky.starCount, c.stars) << c.rect.right << " " << c.rect.bottom;
    EXPECT_EQ(g_Camera.farPlane, 500.0f);
    EXPECT_NEAR(g_Camera.projection.m[10], 1.0002f, 1e-6f);
  }
  g_ViewRect = saved;
  sky.UpdateStars();
  ASSERT_EQ(sky.starCount, 1);
  EXPECT_EQ(sky.stars[0].x, 320.0f);
  EXPECT_EQ(sky.stars[0].y, 240.0f);
  // Depth against the temporary far plane of 5000.
  EXPECT_NEAR(sky.stars[0].z, (5000.0f - 900.0f) * 65535.0f / 4999.9f, 0.5f);
  platform::ClearGlideRecords();
  EXPECT_TRUE(sky.Draw());
  ASSERT_EQ(Draws(), 1u);
  EXPECT_EQ(platform::RecordedGlideDraws()[0].mode, GR_POINTS);
}

// ---- Rain -----------------------------------------------------------------

TEST_F(EffectsTest, LensDropsStartEveryTickLiveAndGoOldestFirst) {
  RainEffect rain;
  g_FrameTime = 0.03125f;  // a tick every fourth update
  rain.Update(31, 0);
  // The first update of a run clears the drops placed at construction.
  EXPECT_EQ(rain.dropCount, 0);
  int updates = 1;
  for (; updates < 4; ++updates) rain.Update(31, 0);
  EXPECT_EQ(rain.dropCount, 1);
  EXPECT_EQ(rain.oldestDrop, 0);
  EXPECT_EQ(rain.nextDrop, 1);
  // The first drop (started at update 4, aged from then) goes at 0.8 s.
  while (rain.oldestDrop == 0 && updates < 100) {
    rain.Update(31, 0);
    ++updates;
  }
  EXPECT_EQ(updates, 4 + 25);
  EXPECT_EQ(rain.oldestDrop, 1);
  // A still camera: one drop each 0.125 s, each living 0.8 s.
  for (int k = 0; k < 40; ++k) rain.Update(31, 0);
  EXPECT_GE(rain.dropCount, 6);
  EXPECT_LE(rain.dropCount, 7);
  const LensDrop& d = rain.drops[rain.oldestDrop];
  EXPECT_EQ(rain.quads[0].x, d.x - d.halfSize);
  EXPECT_EQ(rain.quads[2].y, d.y + d.halfSize);
  EXPECT_EQ(d.frame, static_cast<std::uint32_t>(d.age * 10.0f));
}

TEST_F(EffectsTest, AFastCameraStartsSeveralDropsButNeverMoreThan24) {
  RainEffect rain;
  g_FrameTime = 0.11f;
  rain.Update(110, 0);
  const std::uint16_t before = rain.dropCount;
  Look(g_Camera.position + Vector3(0.0f, 0.0f, 2.0f), Vector3(0.0f, 2.0f, 50.0f));
  rain.Update(110, 0);
  // m = 1.67: 1 + trunc(1.7964072 x 1.67) in single precision.
  const int n = 1 + static_cast<int>(1.7964072f * 1.67f);
  EXPECT_EQ(rain.dropCount, before + n);
  for (int k = 0; k < 20; ++k) {
    Look(g_Camera.position + Vector3(0.0f, 0.0f, 2.0f), g_Camera.position + Vector3(0.0f, 0.0f, 10.0f));
    rain.Update(110, 0);
    EXPECT_LE(rain.dropCount, RAIN_MAX_DROPS);
  }
  EXPECT_EQ(rain.dropCount, RAIN_MAX_DROPS);
}

TEST_F(EffectsTest, AChangedViewWidthClearsTheDrops) {
  RainEffect rain;
  g_FrameTime = 0.11f;
  for (int k = 0; k < 4; ++k) rain.Update(110, 0);
  ASSERT_GT(rain.dropCount, 0);
  g_FrameTime = 0.01f;
  rain.dropTimer = 0.0f;
  const float width = g_ViewWidth;
  g_ViewWidth = 320.0f;
  rain.Update(10, 0);
  EXPECT_EQ(rain.dropCount, 0);
  EXPECT_EQ(rain.oldestDrop, 0);
  EXPECT_EQ(rain.nextDrop, 0);
  g_ViewWidth = width;
}

TEST_F(EffectsTest, StreaksStayFiniteAndInFrontOfTheCamera) {
  RainEffect rain;
  g_FrameTime = 0.02f;
  for (int k = 0; k < 30; ++k) rain.Update(20, 0);
  for (int i = 0; i < RAIN_STREAKS; ++i) {
    const Vector3 head = rain.positions[3 * i + 2] - g_Camera.position;
    ASSERT_TRUE(std::isfinite(head.x) && std::isfinite(head.y) && std::isfinite(head.z)) << i;
    EXPECT_GT(head.z, 0.0f) << i;
    // A streak is at most 0.25 long.
    EXPECT_LE(std::sqrt(LengthSquared(rain.positions[3 * i + 2] - rain.positions[3 * i])), 0.2501f) << i;
  }
  platform::ClearGlideRecords();
  EXPECT_TRUE(rain.Draw());
  EXPECT_EQ(Draws(), 2u) << "the streaks, then the drops";
}

int g_ThunderPlays = 0;

TEST_F(EffectsTest, ThunderDoesNotRestartWhileAClapIsPlaying) {
  RainEffect rain;
  rain.thunder.playOp = [](SoundSample*, bool) { ++g_ThunderPlays; };
  // A frame long enough that every draw of the generator claps; the double
  // has no buffer, so each clap is over by the next frame.
  g_FrameTime = 16.0f;
  for (float clapLeft : {100.0f, 0.0f}) {
    g_ThunderPlays = 0;
    rain.thunderClap.left = clapLeft;
    for (int k = 0; k < 5; ++k) rain.Update(16, 0);
    EXPECT_EQ(g_ThunderPlays, clapLeft == 0.0f ? 5 : 0) << clapLeft;
  }
}

// ---- Smoke puffs ------------------------------------------------------------

TEST_F(EffectsTest, PuffFramesStepEachEighthOfTheLifetimeUntilDeath) {
  g_RenderBuild = RENDER_BUILD_DIRECT3D;  // texture coordinates as they stand
  SmokePuff puff;
  puff.SetLifetime(2.0f);
  puff.SetColour(0.8f, 0.6f, 0.4f);
  puff.age = 0.0f;
  puff.frame = 1;
  puff.velocity = Vector3(0.0f, 1.0f, 0.0f);
  puff.UpdateFrame();
  EXPECT_EQ(puff.corners[0].colour, 0xFFCC9966u);
  g_FrameTime = 1.0f / 60.0f;
  float firstSeen[10] = {};
  float deathAge = 0.0f;
  for (int k = 0; k < 200 && puff.age < SmokePuff::DEAD; ++k) {
    const float age = puff.age;
    puff.Update(16, 0);
    if (puff.age >= SmokePuff::DEAD) {
      deathAge = age;
    } else if (firstSeen[puff.frame] == 0.0f) {
      firstSeen[puff.frame] = age;
    }
  }
  for (int f = 2; f <= 8; ++f) {
    EXPECT_GT(firstSeen[f], 0.25f * static_cast<float>(f - 1)) << f;
    EXPECT_LE(firstSeen[f], 0.25f * static_cast<float>(f - 1) + 1.0f / 60.0f + 1e-5f) << f;
  }
  EXPECT_GE(deathAge, 2.0f);
  EXPECT_LT(deathAge, 2.0f + 1.0f / 60.0f);
  EXPECT_EQ(puff.frame, 1u);
  EXPECT_EQ(puff.corners[0].u, 0.0f);
  EXPECT_EQ(puff.corners[2].u, 0.125f);
  // It rose for its life and faded to nearly black.
  EXPECT_NEAR(puff.matrix.m[13], 2.0f, 0.02f);
  EXPECT_LE(puff.corners[0].colour & 0xFFu, 1u);
}

TEST_F(EffectsTest, PuffLifetimeAndRowRules) {
  SmokePuff puff;
  EXPECT_EQ(puff.age, SmokePuff::DEAD);
  for (float bad : {0.0f, -3.0f}) {
    puff.SetLifetime(bad);
    EXPECT_EQ(puff.lifetime, 0.01f) << bad;
  }
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  puff.rowFlag = 1;
  puff.age = 0.0f;
  puff.frame = 3;
  puff.UpdateFrame();
  EXPECT_EQ(puff.corners[0].v, 0.125f);
  EXPECT_EQ(puff.corners[1].v, 0.0f);
  EXPECT_EQ(puff.corners[0].u, 0.25f);
  EXPECT_EQ(puff.corners[5].u, 0.375f);
  // Restarted at a non-zero age: the row it had stays.
  puff.rowFlag = 0;
  puff.age = 0.1f;
  puff.frame = 1;
  puff.UpdateFrame();
  EXPECT_EQ(puff.corners[0].v, 0.125f);
  EXPECT_EQ(puff.corners[5].u, 0.125f);
}

TEST_F(EffectsTest, PuffsFaceTheCameraAndOnlyLivingOnesDraw) {
  SmokePuff puff;
  puff.SetPosition(0.0f, 2.0f, 5.0f);
  puff.SetMatrix(&g_Camera.view);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(puff.matrix.m[i * 4 + j], g_Camera.view.m[j * 4 + i]);
  EXPECT_EQ(puff.matrix.m[14], 5.0f);
  platform::ClearGlideRecords();
  EXPECT_TRUE(puff.Draw());
  EXPECT_EQ(Draws(), 0u);
  puff.age = 0.0f;
  puff.SetLifetime(1.0f);
  EXPECT_TRUE(puff.Draw());
  ASSERT_EQ(Draws(), 1u);
  EXPECT_EQ(platform::RecordedGlideDraws()[0].vertices.size(), 6u);
}

// ---- Dirt ---------------------------------------------------------------------

TEST_F(EffectsTest, DirtSpawnsOnlyOnceAParticleIsOverASecondOld) {
  DirtParticle dirt;
  dirt.age = 1.0f;
  dirt.Spawn(Vector3(1.0f, 2.0f, 3.0f), Vector3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(dirt.age, 1.0f);
  EXPECT_EQ(dirt.position.x, 0.0f);
  dirt.age = 1.01f;
  dirt.Spawn(Vector3(1.0f, 2.0f, 3.0f), Vector3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(dirt.age, 0.0f);
  EXPECT_EQ(dirt.matrix.m[12], 1.0f);
  EXPECT_EQ(dirt.matrix.m[14], 3.0f);
  // k = 20..40 km/h per unit: 5.6 to 11.1 m/s.
  EXPECT_GE(dirt.velocity.z, 5.5555f);
  EXPECT_LE(dirt.velocity.z, 11.1112f);
  EXPECT_NEAR(std::sqrt(LengthSquared(dirt.spinAxis)), 1.0f, 1e-5f);
}

TEST_F(EffectsTest, DirtFallsUntilItDiesAtTwoSeconds) {
  DirtParticle dirt;
  dirt.Spawn(Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
  const float v = dirt.velocity.y;
  g_FrameTime = 0.001f;
  float peakAge = 0.0f, peak = -1.0f;
  while (dirt.age < DirtParticle::LIFETIME) {
    dirt.Update(1, 0);
    if (dirt.position.y > peak) {
      peak = dirt.position.y;
      peakAge = dirt.age;
    }
  }
  EXPECT_NEAR(peakAge, v / 9.80665f, 0.002f);
  EXPECT_LT(dirt.position.y, 0.0f) << "not stopped by the ground";
  const float last = dirt.position.y;
  dirt.Update(1, 0);
  EXPECT_EQ(dirt.age, DirtParticle::LIFETIME);
  EXPECT_EQ(dirt.position.y, last);
  platform::ClearGlideRecords();
  EXPECT_TRUE(dirt.Draw());
  EXPECT_EQ(Draws(), 0u);
}

TEST_F(EffectsTest, DirtThrownWithoutADirectionStaysFinite) {
  DirtParticle dirt;
  dirt.Spawn(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 0.0f));
  dirt.spin = Vector3(0.0f, 0.0f, 0.0f);
  dirt.halfSpinRate = 0.0f;
  dirt.spinAxis = Vector3(0.0f, 0.0f, 0.0f);
  g_FrameTime = 0.02f;
  for (int k = 0; k < 10; ++k) dirt.Update(20, 0);
  for (float e : dirt.matrix.m) EXPECT_TRUE(std::isfinite(e));
  EXPECT_EQ(dirt.matrix.m[0], 1.0f);
}

// ---- Lens flare -----------------------------------------------------------------

TEST_F(EffectsTest, FlareIsHiddenWithTheSunBehindOrBesideTheCamera) {
  LensFlareEffect flare;
  // Nothing before the first update.
  EXPECT_TRUE(flare.Draw());
  EXPECT_EQ(Draws(), 0u);
  for (Vector3 sun : {Vector3(0.0f, 100.0f, -50000.0f), Vector3(50000.0f, 2.0f, 0.0f),
                      Vector3(-50000.0f, 2.0f, 100.0f)}) {
    flare.sunPosition = sun;
    flare.Update(20, 0);
    EXPECT_EQ(flare.visible, 0) << sun.x << " " << sun.z;
    platform::ClearGlideRecords();
    EXPECT_TRUE(flare.Draw());
    EXPECT_EQ(Draws(), 0u);
  }
  const float width = g_ViewWidth;
  g_ViewWidth = 0.0f;
  flare.sunPosition = Vector3(0.0f, 2.0f, 50000.0f);
  flare.Update(20, 0);
  EXPECT_EQ(flare.visible, 0) << "no view";
  g_ViewWidth = width;
}

TEST_F(EffectsTest, ACentredSunGivesTheBrightestReflections) {
  LensFlareEffect flare;
  g_LightDirection = Vector3(0.0f, 0.0f, -1.0f);
  ASSERT_TRUE(flare.Load("NULL"));
  // The camera at y = 2: the sun straight ahead at the same height.
  flare.sunPosition.y = 2.0f;
  flare.Update(20, 0);
  ASSERT_EQ(flare.visible, 1);
  EXPECT_EQ(flare.fraction, 1.0f);
  EXPECT_EQ(flare.sunX, 320.0f);
  EXPECT_EQ(flare.sunY, 240.0f);
  platform::ClearGlideRecords();
  EXPECT_TRUE(flare.Draw());
  EXPECT_EQ(Draws(), 11u);
  // t = 0.6: trunc(255 x 0.6) = 153.
  EXPECT_EQ(flare.screen[1][0].colour, 0xFF999999u);
  EXPECT_EQ(flare.screen[0][0].colour, 0xFF666666u);
  // Quad 2 on the sun, quad 6 on the screen centre: corner 0 is the
  // bottom-left, half a side from the centre.
  for (int k : {2, 6}) {
    const float half = flare.sizes[k] * 0.5f;
    EXPECT_NEAR(flare.screen[k][0].x, 320.0f - half, 0.0625f) << k;
    EXPECT_NEAR(flare.screen[k][0].y, 240.0f + half, 0.0625f) << k;
  }
}

TEST_F(EffectsTest, ASunHalfOutsideTheViewDimsTheFlareToItsFloor) {
  LensFlareEffect flare;
  // Straight ahead at the view's right edge: o = 1, half the sprite out.
  const float edge = std::tan(g_Camera.fieldOfView) * 50000.0f * (319.0f / 320.0f);
  flare.sunPosition = Vector3(edge, 2.0f, 50000.0f);
  flare.Update(20, 0);
  ASSERT_EQ(flare.visible, 1);
  EXPECT_NEAR(flare.fraction, 0.5f, 0.01f);
  flare.Layout();
  // max(0.1, 0.5 x (0.6 - 0.5 / 1.1)) = 0.1: trunc(25.5) = 25.
  EXPECT_EQ(flare.screen[1][0].colour, 0xFF191919u);
}

TEST_F(EffectsTest, FlareQuadsAreClippedWithTheirTextureCoordinates) {
  LensFlareEffect flare;
  flare.visible = 1;
  flare.fraction = 1.0f;
  flare.sizes[0] = 64.0f;
  // Quad 0 from x 607 to 671 against the right edge 639, and from y 440 to
  // 504 against the bottom edge 479.
  flare.sunX = 639.0f;
  flare.sunY = 472.0f;
  flare.Layout();
  EXPECT_EQ(flare.quadVisible[0], 1);
  const ScreenVertex* q = flare.screen[0];
  for (int c : {2, 4, 5}) {
    EXPECT_EQ(q[c].x, 639.0f) << c;
    EXPECT_FLOAT_EQ(q[c].s, 0.125f) << c;  // half of the cell 0..0.25
  }
  for (int c : {0, 1, 3}) {
    EXPECT_EQ(q[c].x, 607.0f) << c;
    EXPECT_EQ(q[c].s, 0.0f) << c;
  }
  for (int c : {0, 2, 5}) {
    EXPECT_EQ(q[c].y, 479.0f) << c;
    EXPECT_FLOAT_EQ(q[c].t, 0.75f + 0.25f * 39.0f / 64.0f) << c;
  }
  EXPECT_EQ(q[1].t, 0.75f);
  // Quads wholly past an edge are hidden.
  flare.sunX = 800.0f;
  flare.Layout();
  EXPECT_EQ(flare.quadVisible[0], 0);
  flare.sunX = 320.0f;
  flare.sunY = -100.0f;
  flare.Layout();
  EXPECT_EQ(flare.quadVisible[0], 0);
}

}  // namespace
