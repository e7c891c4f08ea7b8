// The synthetic rider on the synthetic course with its shadow in each of the
// four modes, drawn by the board's OpenGL backend and compared with
// reference images; each mode's darkening checked at a pixel whose factor
// follows from the shadow's colours.
#include <gtest/gtest.h>

#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/rider_files.h"
#include "tools/tex.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class ShadowPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    savedFrameTime_ = g_FrameTime;
    savedLight_ = g_LightDirection;
    savedOption_ = g_OptionShadows;
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_FrameTime = 0.02f;
    // The race scene's fonts, loaded before the riders: the HUD's texts need them.
    g_Fonts = fonts_;
    g_FontCount = 4;
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
    g_OptionShadows = savedOption_;
    g_GeometryPipeline.objectMatrix = nullptr;
    PictureTest::TearDown();
  }

  // Where a world point lands on the screen.
  static void ScreenOf(const Vector3& p, int* x, int* y) {
    g_GeometryPipeline.objectMatrix = nullptr;
    const std::uint16_t one = 1;
    const VertexAttribute corner[3] = {};
    const std::uint16_t indices[3] = {0, 0, 0};
    ScreenVertex* out = nullptr;
    std::uint16_t count = 0;
    g_GeometryPipeline.TransformMesh(1, &p, &one, corner, indices, 3, &out, &count, nullptr,
                                     Vector3(1.0f, 1.0f, 1.0f));
    *x = static_cast<int>(g_GeometryPipeline.transformed[0].x);
    *y = static_cast<int>(g_GeometryPipeline.transformed[0].y);
  }

  Font fonts_[4];
  Camera savedCamera_;
  float savedFrameTime_ = 0.0f;
  Vector3 savedLight_;
  std::uint8_t savedOption_ = 0;
};

// Each channel of `ground` darkened by `factor` (the board keeps 5, 6 and 5
// bits).
unsigned Darkened(unsigned ground, float factor) {
  unsigned out = 0;
  for (int shift : {16, 8, 0}) {
    const float c = static_cast<float>(ground >> shift & 0xFF) * factor;
    out |= static_cast<unsigned>(c) << shift;
  }
  return out;
}

TEST_F(ShadowPictureTest, TheRiderOnTheCourseWithItsShadowInEachMode) {
  KELV_OPEN_PICTURE(OpenScreen());
  g_Renderer.AssignTextureSizeClasses(2);
  std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
  const auto tex = kelvdata::BuildTex(32, 32, [](int, int) { return kelvdata::Rgb{255, 255, 255}; });
  kelvdata::SoundBankSpec bank;
  bank.count = 33;
  members.push_back({"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider(
                                      "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.BNK"))});
  members.push_back({"R.TEX", tex});
  members.push_back({"R.BNK", kelvdata::BuildSoundBank(bank)});
  members.push_back({"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())});
  for (kelvdata::BbfMember& m : kelvdata::RiderShadowMembers()) members.push_back(std::move(m));
  for (kelvdata::BbfMember& m : kelvdata::HudMembers()) members.push_back(std::move(m));
  Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  Track track;
  ASSERT_TRUE(track.Load(kelvdata::COURSE_TRACK));
  TestRider rider;
  rider.effectsTexture = "DATA\\TRACK\\R.TEX";
  ASSERT_TRUE(rider.Load("DATA\\TRACK\\RIDER.RDR"));
  rider.SetTrack(&track);

  // The rider upright on the start line, heading along the course (+z),
  // seen from its right and above; the light falls towards the camera.
  float x = 0.0f, z = 0.0f;
  kelvdata::CoursePoint(0.0f, &x, &z);
  z += 3.0f;
  std::uint16_t section = 0, triangle = 6;
  float ground = 0.0f;
  const Vector3 at(x, 0.0f, z);
  track.GetHeightOrField(&at, &section, &triangle, &ground);
  rider.matrix = g_IdentityMatrix;
  rider.matrix.m[12] = x;
  rider.matrix.m[13] = ground;
  rider.matrix.m[14] = z;
  rider.followed = 1;
  rider.state = RIDER_RACING;
  rider.lod = 0;
  rider.UpdatePartMatrices();
  rider.UpdatePose();
  g_LightDirection = Vector3(1.0f, -1.0f, 0.0f);
  g_Renderer.clearRed = 0.4f;
  g_Renderer.clearGreen = 0.6f;
  g_Renderer.clearBlue = 0.9f;
  g_Camera = Camera();
  g_Camera.position = Vector3(x + 4.0f, ground + 4.5f, z - 1.0f);
  g_Camera.LookAt(Vector3(x + 0.6f, ground + 0.4f, z));
  g_GeometryPipeline.SetupProjection();
  track.SetVisibleWindow(-2, 30, 0);

  Shadow& s = rider.shadow;
  s.front = Vector3(x, ground, z + 0.75f);
  s.rear = Vector3(x, ground, z - 1.1f);
  s.right = Vector3(1.0f, 0.0f, 0.0f);
  s.up = Vector3(0.0f, 1.0f, 0.0f);
  s.forward = Vector3(0.0f, 0.0f, 1.0f);
  track.GetSurface(&s.bikePlane, &at, section, triangle, true);
  s.bodyPlane = s.bikePlane;
  s.bodyHeight = ground;
  s.bikeHints[0] = s.bodyHints[0] = section;
  s.bikeHints[1] = s.bodyHints[1] = triangle;
  s.partsFlag = 1;

  auto frame = [&](std::uint8_t mode) {
    g_OptionShadows = mode;
    s.Update(0, 0);
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    track.Draw();
    // The race's shadow blend on this board: the ground times one minus the
    // shadow's colour.
    g_Renderer.SetAlphaBlendEnable(true);
    g_Renderer.SetSrcBlend(BLEND_ZERO);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
    rider.DrawShadow();
    g_Renderer.SetAlphaBlendEnable(false);
    g_Renderer.SetTextureBlend(TEXBLEND_MODULATE);
    rider.Draw();
    return Presented();
  };

  // Checked points on the ground: halfway from the blob's centre to its
  // right rim (the centre's 204 of 255 halved: 1 - 102/255 = 0.6 left), the
  // frame's shadow (its centre 0.75 up slides 0.75 / tan 50 deg = 0.63 m
  // towards +x; colour 127: 1 - 127/255 left) and the head's (1.55 up:
  // 1.30 m).
  int bx = 0, by = 0, fx = 0, fy = 0, hx = 0, hy = 0;
  s.lean = 0.0f;
  g_OptionShadows = 1;
  s.Update(0, 0);
  ScreenOf((s.blob[3] + s.blob[4]) / 2.0f, &bx, &by);
  ScreenOf(Vector3(x + 0.6293f, ground, z), &fx, &fy);
  ScreenOf(Vector3(x + 1.3006f, ground, z + 0.05f), &hx, &hy);

  const platform::Picture none = frame(0);
  const unsigned groundBlob = kelvtest::PixelAt(none, bx, by);
  const unsigned groundFrame = kelvtest::PixelAt(none, fx, fy);
  const unsigned groundHead = kelvtest::PixelAt(none, hx, hy);
  EXPECT_TRUE(kelvtest::MatchesReference(none, Reference("rider_shadow_none.png")));

  const float mesh = 1.0f - 127.0f / 255.0f;
  const platform::Picture blob = frame(1);
  EXPECT_TRUE(kelvtest::PixelNear(blob, bx, by, Darkened(groundBlob, 0.6f), 10));
  EXPECT_TRUE(kelvtest::PixelNear(blob, fx, fy, groundFrame, 6));
  EXPECT_TRUE(kelvtest::MatchesReference(blob, Reference("rider_shadow_blob.png")));

  const platform::Picture bike = frame(2);
  EXPECT_TRUE(kelvtest::PixelNear(bike, fx, fy, Darkened(groundFrame, mesh), 10));
  EXPECT_TRUE(kelvtest::PixelNear(bike, hx, hy, groundHead, 6));
  EXPECT_TRUE(kelvtest::MatchesReference(bike, Reference("rider_shadow_bike.png")));

  const platform::Picture body = frame(3);
  EXPECT_TRUE(kelvtest::PixelNear(body, fx, fy, Darkened(groundFrame, mesh), 10));
  EXPECT_TRUE(kelvtest::PixelNear(body, hx, hy, Darkened(groundHead, mesh), 10));
  EXPECT_TRUE(kelvtest::MatchesReference(body, Reference("rider_shadow_body.png")));
}

}  // namespace
