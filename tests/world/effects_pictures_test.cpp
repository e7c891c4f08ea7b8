// The weather and effects drawn over the synthetic course on the virtual
// board's OpenGL backend (offscreen), compared with reference images in
// tests/references/: clouds, stars, rain with drops on the lens, a column of
// smoke puffs with dirt, and the lens flare. Each also checks a pixel worked
// out from the effects texture and the vertex colour. Frames after the load
// allocate nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tests/world/allocation_counter.h"
#include "tools/effect_files.h"
#include "tools/track_course.h"
#include "world/dirt_particle.h"
#include "world/lens_flare.h"
#include "world/rain.h"
#include "world/sky.h"
#include "world/smoke_puff.h"
#include "world/track.h"

namespace {

using kelvtest::PixelAt;

class EffectsPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    savedFrameTime_ = g_FrameTime;
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_OptionSkyEnable = 0;
    g_RainPreviousCamera = Vector3(0.0f, 0.0f, 0.0f);
    g_RainPreviousViewWidth = 0.0f;
    crt::srand(11);
  }
  void TearDown() override {
    g_TrackArchive.Close();
    g_Camera = savedCamera_;
    g_FrameTime = savedFrameTime_;
    g_LightDirection = savedLight_;
    g_GeometryPipeline.objectMatrix = nullptr;
    PictureTest::TearDown();
  }

  // The screen, the course with the sky file and the effect textures.
  void OpenCourse(Track* track) {
    ASSERT_TRUE(OpenScreen()) << "no OpenGL window here";
    g_Renderer.AssignTextureSizeClasses(2);
    std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
    members.push_back({"COURSE.SKY", kelvdata::BuildSkyFile({kelvdata::COURSE_CLOUDS, 900.0f, std::nullopt})});
    members.push_back({"CLOUDS.TEX", kelvdata::CloudTex()});
    members.push_back({"EFFECTS.TEX", kelvdata::EffectsTex()});
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(track->Load(kelvdata::COURSE_TRACK));
    track->SetVisibleWindow(-2, 30, 0);
  }

  // At rider height on the start line, looking along the course.
  static void LookAlongTheCourse(float up) {
    float x = 0.0f, z = 0.0f, ax = 0.0f, az = 0.0f;
    kelvdata::CoursePoint(0.0f, &x, &z);
    kelvdata::CoursePoint(3.0f, &ax, &az);
    g_Camera = Camera();
    g_Camera.position = Vector3(x, 1.5f, z);
    g_Camera.LookAt(Vector3(ax, 1.5f + up, az));
    g_GeometryPipeline.SetupProjection();
  }

  static void Clear(float r, float g, float b) {
    g_Renderer.clearRed = r;
    g_Renderer.clearGreen = g;
    g_Renderer.clearBlue = b;
    g_Renderer.ClearRect(0, 0, 639, 479, true);
  }

  // The passes of the race: blending by addition, no depth test.
  static void Additive() {
    g_Renderer.SetAlphaBlendEnable(true);
    g_Renderer.SetSrcBlend(BLEND_ONE);
    g_Renderer.SetDestBlend(BLEND_ONE);
    g_Renderer.SetZEnable(false);
    g_Renderer.SetZWriteEnable(false);
  }
  static void Solid() {
    g_Renderer.SetAlphaBlendEnable(false);
    g_Renderer.SetZEnable(true);
    g_Renderer.SetZWriteEnable(true);
  }

  Camera savedCamera_;
  float savedFrameTime_ = 0.0f;
  Vector3 savedLight_ = g_LightDirection;
};

// A channel of the effects texture as the board shows it: five bits,
// widened again.
int Board(int channel) { return ((channel >> 3) * 255 + 15) / 31; }

// The background plus a texel times a vertex grey, per channel (additive).
unsigned Added(unsigned background, int r, int g, int b, unsigned grey) {
  auto add = [&](int shift, int texel) {
    const int v = static_cast<int>(background >> shift & 0xFF) + Board(texel) * static_cast<int>(grey) / 255;
    return static_cast<unsigned>(v > 255 ? 255 : v) << shift;
  };
  return add(16, r) | add(8, g) | add(0, b);
}

TEST_F(EffectsPictureTest, CloudsOverTheCourse) {
  Track track;
  OpenCourse(&track);
  Sky sky;
  ASSERT_TRUE(sky.Load(kelvdata::COURSE_SKY));
  LookAlongTheCourse(4.0f);
  g_FrameTime = 0.02f;
  sky.Update(20, 0);
  Clear(0.4f, 0.6f, 0.9f);
  Additive();
  sky.Draw();
  Solid();
  track.Draw();
  const platform::Picture p = Presented();
  // Clouds lie at least 10 degrees above the horizon, some 67 pixels
  // (320 x 1.19 x tan 10 degrees) above the far edge of the grass on the
  // right (row 355): the sky between is cloudless, 0.4, 0.6, 0.9 of 255.
  EXPECT_TRUE(kelvtest::PixelNear(p, 620, 320, 0x6699E5u, 2)) << std::hex << PixelAt(p, 620, 320);
  bool brighter = false;
  for (int y = 0; y < 240 && !brighter; y += 4)
    for (int x = 0; x < 640 && !brighter; x += 4) brighter = (PixelAt(p, x, y) & 0xFF) > 0xE5 + 4;
  EXPECT_TRUE(brighter) << "no cloud in the sky";
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("effects_clouds.png")));
}

TEST_F(EffectsPictureTest, StarsOverTheCourse) {
  Track track;
  OpenCourse(&track);
  Sky sky;
  sky.starMode = 1;
  ASSERT_TRUE(sky.Load(kelvdata::COURSE_SKY));
  LookAlongTheCourse(40.0f);
  sky.Update(20, 0);
  ASSERT_GT(sky.starCount, 0);
  Clear(0.0f, 0.0f, 0.02f);
  sky.Draw();
  track.Draw();
  const platform::Picture p = Presented();
  // Each star is one pixel of its own grey.
  const ScreenVertex& s = sky.stars[0];
  const unsigned grey = s.colour & 0xFFFFFFu;
  EXPECT_TRUE(kelvtest::PixelNear(p, static_cast<int>(s.x), static_cast<int>(s.y), grey, 2))
      << std::hex << PixelAt(p, static_cast<int>(s.x), static_cast<int>(s.y)) << " " << grey;
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("effects_stars.png")));
}

TEST_F(EffectsPictureTest, RainWithDropsOnTheLens) {
  Track track;
  OpenCourse(&track);
  RainEffect rain;
  ASSERT_TRUE(rain.LoadAssets(kelvdata::COURSE_EFFECTS));
  LookAlongTheCourse(0.0f);
  g_FrameTime = 0.05f;
  for (int k = 0; k < 30; ++k) rain.Update(50, 0);
  ASSERT_GT(rain.dropCount, 0);
  auto frame = [&](bool drops) {
    Clear(0.3f, 0.35f, 0.4f);
    Solid();
    track.Draw();
    Additive();
    const std::uint16_t count = rain.dropCount;
    if (!drops) rain.dropCount = 0;
    rain.Draw();
    rain.dropCount = count;
    return Presented();
  };
  const platform::Picture streaks = frame(false);
  const platform::Picture p = frame(true);
  // A drop no other drop overlaps: on its ring (radius 12 - frame texels of
  // the 31-texel frame) the picture gains the ring's colour times grey 127.
  bool checked = false;
  for (int i = 0, k = rain.oldestDrop; i < rain.dropCount && !checked; ++i, k = (k + 1) % RAIN_DROP_RING) {
    const LensDrop& d = rain.drops[k];
    const float radius = (12.0f - static_cast<float>(d.frame)) * 2.0f * d.halfSize / 31.0f;
    const int x = static_cast<int>(d.x - d.halfSize + 15.5f * 2.0f * d.halfSize / 31.0f + radius);
    const int y = static_cast<int>(d.y);
    bool alone = x < 639 && y < 479;
    for (int j = 0; j < RAIN_DROP_RING && alone; ++j) {
      const LensDrop& o = rain.drops[j];
      if (&o == &d) continue;
      alone = std::fabs(o.x - static_cast<float>(x)) > o.halfSize + 1.0f ||
              std::fabs(o.y - static_cast<float>(y)) > o.halfSize + 1.0f;
    }
    if (!alone) continue;
    const float fade = 1.0f - 0.1f * static_cast<float>(d.frame);
    const unsigned want = Added(PixelAt(streaks, x, y), static_cast<int>(150.0f * fade),
                                static_cast<int>(170.0f * fade), static_cast<int>(210.0f * fade), 127);
    EXPECT_TRUE(kelvtest::PixelNear(p, x, y, want, 8)) << std::hex << PixelAt(p, x, y) << " " << want;
    checked = true;
  }
  EXPECT_TRUE(checked) << "every drop overlaps another";
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("effects_rain.png")));
}

TEST_F(EffectsPictureTest, AColumnOfSmokeWithDirt) {
  Track track;
  OpenCourse(&track);
  LookAlongTheCourse(1.5f);
  const Vector3 eye = g_Camera.position, ahead = g_Camera.viewDirection;
  SmokePuff puffs[6];
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(puffs[i].Load(kelvdata::COURSE_EFFECTS));
    const Vector3 at = eye + 8.0f * ahead + Vector3(0.0f, -1.0f + 1.1f * static_cast<float>(i), 0.0f);
    puffs[i].SetPosition(at.x, at.y, at.z);
    puffs[i].SetColour(0.9f, 0.8f, 0.6f);
    puffs[i].SetLifetime(4.0f);
    puffs[i].age = 0.0f;
    puffs[i].frame = static_cast<std::uint32_t>(1 + i);
    puffs[i].UpdateFrame();
    puffs[i].SetMatrix(&g_Camera.view);
  }
  DirtParticle dirt[12];
  for (DirtParticle& d : dirt) {
    ASSERT_TRUE(d.Load(kelvdata::COURSE_EFFECTS));
    d.Spawn(eye + 7.0f * ahead + Vector3(0.0f, -1.2f, 0.0f), Vector3(0.3f, 0.4f, 0.0f));
  }
  g_FrameTime = 0.02f;
  for (int k = 0; k < 10; ++k)
    for (DirtParticle& d : dirt) d.Update(20, 0);
  Clear(0.4f, 0.6f, 0.9f);
  Solid();
  track.Draw();
  const platform::Picture background = Presented();
  auto draw = [&] {
    Clear(0.4f, 0.6f, 0.9f);
    Solid();
    track.Draw();
    for (DirtParticle& d : dirt) d.Draw();
    Additive();
    for (SmokePuff& s : puffs) s.Draw();
    return Presented();
  };
  const platform::Picture p = draw();
  // The top puff's centre: frame 6's centre texel (255 - 18 x 5 = 165 grey)
  // times its colour, added to the sky.
  const Vector3 top = TransformPoint(Vector3(puffs[5].matrix.m[12], puffs[5].matrix.m[13], puffs[5].matrix.m[14]),
                                     g_GeometryPipeline.viewProjection);
  const int x = static_cast<int>(top.x / top.z + g_GeometryPipeline.centreX);
  const int y = static_cast<int>(g_GeometryPipeline.centreY - top.y / top.z);
  const unsigned sky = PixelAt(background, x, y);
  const unsigned colour = puffs[5].corners[0].colour;
  auto channel = [&](int shift) {
    const int v = static_cast<int>(sky >> shift & 0xFF) +
                  Board(165) * static_cast<int>(colour >> shift & 0xFF) / 255;
    return static_cast<unsigned>(v > 255 ? 255 : v) << shift;
  };
  EXPECT_TRUE(kelvtest::PixelNear(p, x, y, channel(16) | channel(8) | channel(0), 8))
      << std::hex << PixelAt(p, x, y) << " at " << std::dec << x << "," << y;
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("effects_smoke_dirt.png")));
}

TEST_F(EffectsPictureTest, LensFlareTowardsTheSun) {
  Track track;
  OpenCourse(&track);
  LookAlongTheCourse(0.5f);
  // The sun up and to the left of the view direction.
  const Vector3 f = g_Camera.viewDirection;
  const Vector3 right(g_Camera.view.m[0], g_Camera.view.m[4], g_Camera.view.m[8]);
  Vector3 toSun = f + Vector3(0.0f, 0.35f, 0.0f) - 0.45f * right;
  toSun = toSun / std::sqrt(LengthSquared(toSun));
  g_LightDirection = -1.0f * toSun;
  LensFlareEffect flare;
  ASSERT_TRUE(flare.Load(kelvdata::COURSE_EFFECTS));
  flare.Update(20, 0);
  ASSERT_EQ(flare.visible, 1);
  Clear(0.4f, 0.6f, 0.9f);
  Solid();
  track.Draw();
  const platform::Picture background = Presented();
  Clear(0.4f, 0.6f, 0.9f);
  Solid();
  track.Draw();
  Additive();
  flare.Draw();
  const platform::Picture p = Presented();
  // Quad 6 sits on the screen centre: the bright spot's centre (230, 180,
  // 120) times the reflections' grey, added.
  const unsigned grey = flare.screen[6][0].colour & 0xFF;
  const unsigned want = Added(PixelAt(background, 320, 240), 230, 180, 120, grey);
  EXPECT_TRUE(kelvtest::PixelNear(p, 320, 240, want, 8)) << std::hex << PixelAt(p, 320, 240) << " " << want;
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("effects_lens_flare.png")));
}

TEST_F(EffectsPictureTest, EffectFramesAllocateNothingAfterLoad) {
  Track track;
  OpenCourse(&track);
  Sky clouds;
  ASSERT_TRUE(clouds.Load(kelvdata::COURSE_SKY));
  Sky stars;
  stars.starMode = 1;
  ASSERT_TRUE(stars.Load(kelvdata::COURSE_SKY));
  RainEffect rain;
  ASSERT_TRUE(rain.LoadAssets(kelvdata::COURSE_EFFECTS));
  LensFlareEffect flare;
  ASSERT_TRUE(flare.Load(kelvdata::COURSE_EFFECTS));
  SmokePuff puffs[8];
  DirtParticle dirt[8];
  for (SmokePuff& s : puffs) ASSERT_TRUE(s.Load(kelvdata::COURSE_EFFECTS));
  for (DirtParticle& d : dirt) ASSERT_TRUE(d.Load(kelvdata::COURSE_EFFECTS));
  g_FrameTime = 0.02f;
  auto frame = [&](int k) {
    LookAlongTheCourse(0.2f * static_cast<float>(k % 5));
    g_Camera.position.z = g_Camera.position.z + 0.3f * static_cast<float>(k);
    g_GeometryPipeline.SetupProjection();
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    clouds.Update(20, 0);
    clouds.Draw();
    stars.Update(20, 0);
    stars.Draw();
    rain.Update(20, 0);
    rain.Draw();
    SmokePuff& s = puffs[k % 8];
    s.SetPosition(g_Camera.position.x, 1.0f, g_Camera.position.z + 5.0f);
    s.age = 0.0f;
    s.frame = 1;
    s.UpdateFrame();
    dirt[k % 8].Spawn(Vector3(g_Camera.position.x, 0.5f, g_Camera.position.z + 4.0f), Vector3(0.0f, 1.0f, 0.2f));
    for (SmokePuff& p : puffs) {
      p.SetMatrix(&g_Camera.view);
      p.Update(20, 0);
      p.Draw();
    }
    for (DirtParticle& d : dirt) {
      d.Update(20, 0);
      d.Draw();
    }
    flare.Draw();
    flare.Update(20, 0);
    g_Renderer.Present();
  };
  for (int k = 0; k < 3; ++k) frame(k);
  kelvtest::StartCountingAllocations();
  for (int k = 3; k < 60; ++k) frame(k);
  EXPECT_EQ(kelvtest::StopCountingAllocations(), 0);
}

}  // namespace
