// A rider's shadow: the blob's shape by lean, the projection onto the ground
// with its flat fallback and smoothing, the depth biases of the near draw,
// the shadow file through the rider-file reader, and the reflection
// overlay's texture offset.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/glide/glide.h"
#include "riders/reflection_overlay.h"
#include "riders/shadow.h"
#include "tests/world/track_fixture.h"
#include "tools/rider_files.h"

namespace {

const char kShadowError[] = "File error opening shadow data.\nPlease reinstall Kelvarro.";

TEST(ShadowBlobTest, OffsetsFollowTheLean) {
  struct Case {
    float lean, a, b;
  };
  const Case cases[] = {
      {0.0f, -0.05f, 0.05f},
      {0.3f, -0.55f, -0.15f},
      {-0.3f, 0.15f, 0.55f},
      // Past 0.3 the edges move a seventh as fast: 0.2 further lean, 0.0571.
      {0.5f, -0.6071429f, -0.2071429f},
      {-0.5f, 0.2071429f, 0.6071429f},
  };
  for (const Case& c : cases) {
    float a = 0.0f, b = 0.0f;
    ShadowBlobOffsets(c.lean, &a, &b);
    EXPECT_NEAR(a, c.a, 1e-5f) << c.lean;
    EXPECT_NEAR(b, c.b, 1e-5f) << c.lean;
  }
}

class ShadowTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    savedOption_ = g_OptionShadows;
    savedLight_ = g_LightDirection;
    savedFrameTime_ = g_FrameTime;
    g_FrameTime = 0.02f;
  }
  void TearDown() override {
    g_OptionShadows = savedOption_;
    g_LightDirection = savedLight_;
    g_FrameTime = savedFrameTime_;
    g_GeometryPipeline.objectMatrix = nullptr;
    TrackTest::TearDown();
  }

  // An upright bike along z with its tyres at z = 1 and z = -1.
  static void Upright(Shadow* s, float lean) {
    s->front = Vector3(0.0f, 0.0f, 1.0f);
    s->rear = Vector3(0.0f, 0.0f, -1.0f);
    s->right = Vector3(1.0f, 0.0f, 0.0f);
    s->up = Vector3(0.0f, 1.0f, 0.0f);
    s->forward = Vector3(0.0f, 0.0f, 1.0f);
    s->lean = lean;
  }

  std::uint8_t savedOption_ = 0;
  Vector3 savedLight_;
  float savedFrameTime_ = 0.0f;
};

TEST_F(ShadowTest, TheBlobLiesOnTheBikePlaneAroundTheTyres) {
  g_OptionShadows = 1;
  Shadow s;
  Upright(&s, 0.0f);
  s.bikePlane.a = 0.1f;  // y = 0.1 x + 0.5
  s.bikePlane.c = 0.5f;
  s.Update(0, 0);
  // Each wheel end is 0.1 wide, the middle 1.0, and the ends reach 0.3 past
  // the tyres.
  const float expected[7][2] = {{-0.05f, 1.3f}, {0.05f, 1.3f}, {-0.5f, 0.0f}, {0.0f, 0.0f},
                                {0.5f, 0.0f},   {-0.05f, -1.3f}, {0.05f, -1.3f}};
  for (int i = 0; i < 7; ++i) {
    EXPECT_NEAR(s.blob[i].x, expected[i][0], 1e-6f) << i;
    EXPECT_NEAR(s.blob[i].z, expected[i][1], 1e-6f) << i;
    EXPECT_NEAR(s.blob[i].y, 0.1f * expected[i][0] + 0.5f, 1e-6f) << i;
  }
  // Leaning right (0.3) skews the ends: the front's left point moves ahead
  // by 0.4 x 0.3 and the whole shape moves left.
  Upright(&s, 0.3f);
  s.Update(0, 0);
  EXPECT_NEAR(s.blob[0].x, -0.55f, 1e-6f);
  EXPECT_NEAR(s.blob[0].z, 1.42f, 1e-6f);
  EXPECT_NEAR(s.blob[1].x, -0.15f, 1e-6f);
  EXPECT_NEAR(s.blob[1].z, 1.18f, 1e-6f);
}

TEST_F(ShadowTest, BlobColoursByBuildAndWeather) {
  g_OptionShadows = 1;
  Shadow s;
  const RenderBuild saved = g_RenderBuild;
  struct Case {
    RenderBuild build;
    std::uint16_t weather;
    std::uint32_t centre;
  };
  const Case cases[] = {{RENDER_BUILD_GLIDE, 0, 0xFF666666u},  // 255 x 0.5 x 0.8 = 102
                        {RENDER_BUILD_GLIDE, 1, 0xFF262626u},  // 255 x 0.5 x 0.3 = 38.25
                        {RENDER_BUILD_DIRECT3D, 0, 0x59000000u},     // 255 x 0.5 x 0.7 = 89.25
                        {RENDER_BUILD_DIRECT3D, 2, 0x0C000000u}};    // 255 x 0.5 x 0.1 = 12.75
  for (const Case& c : cases) {
    g_RenderBuild = c.build;
    s.weather = c.weather;
    s.SetIntensity(0.5f);
    for (int i = 0; i < 18; ++i) {
      EXPECT_EQ(s.blobCorners[i].colour, s.blobIndices[i] == 3 ? c.centre : 0u) << i;
    }
  }
  g_RenderBuild = saved;
}

TEST_F(ShadowTest, PlanesAlongTheLightFallBackToFlatGround) {
  g_OptionShadows = 2;
  g_LightDirection = Vector3(1.0f, -1.0f, 0.0f);  // L = (cos 50, -sin 50, 0)
  const float c50 = std::cos(0.87266463f), s50 = std::sin(0.87266463f);
  Shadow s;
  Upright(&s, 0.0f);
  s.front.y = 1.0f;
  s.rear.y = 2.0f;
  s.bodyHeight = 4.0f;
  // Bike ground tilted so that its normal is across the light; the body's
  // ground faces it.
  s.bikePlane = TrackSurface{0.5f, 0.0f, 3.0f, s50, c50, 0.0f, 0};
  s.bodyPlane = TrackSurface{0.1f, 0.2f, 0.5f, 0.0f, 1.0f, 0.0f, 0};
  s.lod = 1;
  s.Update(0, 0);
  EXPECT_EQ(s.smoothedBike.a, 0.0f);
  EXPECT_EQ(s.smoothedBike.b, 0.0f);
  EXPECT_EQ(s.smoothedBike.c, 1.5f);  // the mean of the tyre contacts
  EXPECT_EQ(s.smoothedBody.a, 0.1f);
  EXPECT_EQ(s.smoothedBody.c, 0.5f);
  // A point slides along the light onto each plane.
  const Vector3 p(1.0f, 3.0f, 2.0f);
  const Vector3 onBike = TransformPoint(p, s.m1);
  EXPECT_NEAR(onBike.y, 1.5f, 1e-5f);
  EXPECT_NEAR(onBike.z, 2.0f, 1e-5f);
  EXPECT_NEAR((p.x - onBike.x) / (p.y - onBike.y), -c50 / s50, 1e-4f);
  const Vector3 onBody = TransformPoint(p, s.m2);
  EXPECT_NEAR(onBody.y, 0.1f * onBody.x + 0.2f * onBody.z + 0.5f, 1e-5f);

  // At the near level the planes then move a tenth of the way per 0.02 s
  // frame; put back on the track they snap.
  s.lod = 0;
  s.bikePlane = TrackSurface{0.0f, 0.0f, 2.5f, 0.0f, 1.0f, 0.0f, 0};
  s.Update(0, 0);
  EXPECT_NEAR(s.smoothedBike.c, 1.6f, 1e-6f);
  s.replaced = 1;
  s.Update(0, 0);
  EXPECT_EQ(s.smoothedBike.c, 2.5f);
}

// A shadow file whose seven middle parts are one and the same box, so that
// the near draws differ only by their depth biases.
class ShadowDrawTest : public ShadowTest {
 protected:
  void SetUp() override {
    ShadowTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    g_Renderer.SetDefaultStates();
    kelvdata::RiderFileSpec spec = kelvdata::SyntheticRider("R.TEX", "R.TEX", "R.BNK");
    for (auto& part : spec.middleParts) part = spec.middleParts[5];
    OpenTrackArchive({{"SHADOW.PLR", kelvdata::BuildShadowFile(spec)}});
    ASSERT_TRUE(shadow_.Load("DATA\\TRACK\\SHADOW.PLR"));
    g_Camera = Camera();
    g_Camera.position = Vector3(0.0f, 3.0f, -4.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    g_LightDirection = Vector3(0.3f, -1.0f, 0.2f);
    Upright(&shadow_, 0.0f);
    shadow_.bikePlane = TrackSurface{0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0};
    shadow_.bodyPlane = shadow_.bikePlane;
    for (Matrix4& m : shadow_.partMatrices) m = g_IdentityMatrix;
    nodes_.assign(shadow_.nodeCount, g_IdentityMatrix);
    shadow_.nodeMatrices = nodes_.data();
    shadow_.nodeMatrixCount = shadow_.nodeCount;
  }

  // The depth (1/q) of the first vertex of every draw.
  std::vector<float> Depths() {
    platform::ClearGlideRecords();
    shadow_.Update(0, 0);
    EXPECT_TRUE(shadow_.Draw());
    std::vector<float> w;
    for (const platform::GlideDraw& d : platform::RecordedGlideDraws()) w.push_back(1.0f / d.vertices[0].q);
    return w;
  }

  Shadow shadow_;
  std::vector<Matrix4> nodes_;
};

TEST_F(ShadowDrawTest, NearPartsDrawWithBiasesTenDownToFourAndTheBodyThree) {
  g_OptionShadows = 3;
  shadow_.lod = 0;
  const std::vector<float> w = Depths();
  ASSERT_EQ(w.size(), 8u);  // seven parts and the body
  const float step = 1.0f / g_GeometryPipeline.depthScale;
  // Each part is one step less lifted towards the camera than the one before.
  for (int i = 0; i + 1 < 7; ++i) EXPECT_NEAR(w[i + 1] - w[i], step, step * 0.01f) << i;
  EXPECT_EQ(g_Renderer.depthBias, 0u);

  // All three contact points down: only the body.
  shadow_.partsFlag = 0;
  EXPECT_EQ(Depths().size(), 1u);
  // Option 2 leaves the body out.
  g_OptionShadows = 2;
  EXPECT_EQ(Depths().size(), 0u);
  // The middle level draws the frame and the wheels without bias.
  shadow_.lod = 1;
  const std::vector<float> middle = Depths();
  ASSERT_EQ(middle.size(), 3u);
  EXPECT_EQ(middle[0], middle[1]);
  // Option 0: nothing, still true.
  g_OptionShadows = 0;
  EXPECT_EQ(Depths().size(), 0u);
}

TEST_F(ShadowTest, TheShadowFileGoesThroughTheRiderFileChecks) {
  const char kMeshError[] = "Error loading litmesh data.\nPlease reinstall Kelvarro.";
  struct Case {
    const char* what;
    bool present;
    void (*damage)(kelvdata::RiderFileSpec*);
    std::size_t cut;  // bytes cut off the end
    const char* box;
  };
  const Case cases[] = {
      {"no file", false, [](kelvdata::RiderFileSpec*) {}, 0, kShadowError},
      {"ten nodes", true, [](kelvdata::RiderFileSpec* f) { f->nodes.resize(10); }, 0, kShadowError},
      {"six parts", true, [](kelvdata::RiderFileSpec* f) { f->partCount = 6; }, 0, kShadowError},
      {"a parent at the root count", true, [](kelvdata::RiderFileSpec* f) { f->nodes[3].parent = 10; }, 0,
       kShadowError},
      {"a pose index past the poses", true,
       [](kelvdata::RiderFileSpec* f) { f->nodes[2].groups[3].poses[1] = 2; }, 0, kShadowError},
      {"a texture name past its field", true,
       [](kelvdata::RiderFileSpec* f) { f->bikeTexture = kelvdata::ActString(std::string(300, 'A')); }, 0,
       kShadowError},
      {"a short far mesh", true, [](kelvdata::RiderFileSpec*) {}, 40, kMeshError},
  };
  for (const Case& c : cases) {
    kelvdata::RiderFileSpec spec = kelvdata::SyntheticRider("R.TEX", "R.TEX", "R.BNK");
    c.damage(&spec);
    kelvdata::Bytes bytes = kelvdata::BuildShadowFile(spec);
    bytes.resize(bytes.size() - c.cut);
    OpenTrackArchive(c.present ? std::vector<kelvdata::BbfMember>{{"SHADOW.PLR", bytes}}
                               : std::vector<kelvdata::BbfMember>{});
    const std::size_t before = Boxes().size();
    {
      Shadow s;
      EXPECT_FALSE(s.Load("DATA\\TRACK\\SHADOW.PLR")) << c.what;
    }
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), before + 1) << c.what;
    EXPECT_EQ(boxes.back(), c.box) << c.what;
  }
}

TEST(ReflectionOverlayTest, TheOffsetFollowsTheLightAroundThePart) {
  // Light along row 2 of the part: no offset. A quarter turn about the up
  // axis moves it by a quarter of the texture's width (256 here).
  const Vector3 light(0.0f, 0.0f, 1.0f);
  Matrix4 turned = g_IdentityMatrix;
  turned.m[0] = turned.m[10] = 0.0f;
  turned.m[2] = -1.0f;
  turned.m[8] = 1.0f;
  EXPECT_EQ(ReflectionUOffset(g_IdentityMatrix, light, 256.0f), 0.0f);
  EXPECT_NEAR(ReflectionUOffset(turned, light, 256.0f), -64.0f, 1e-3f);
  EXPECT_NEAR(ReflectionUOffset(turned, light, 1.0f), -0.25f, 1e-6f);
}

}  // namespace
