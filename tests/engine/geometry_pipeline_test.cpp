#include "engine/geometry_pipeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/camera.h"
#include "engine/display.h"

namespace {

// A 200 x 100 view; the camera at the origin looking down +z with unit
// projection factors, so a point (X, Y, w) lands at x = 100 + 100 X / w,
// y = 50 - 100 Y / w. Near 1 and far 257 make the depth scale 65535 / 256.
class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedCamera_ = g_Camera;
    savedRect_ = g_ViewRect;
    savedWidth_ = g_ViewWidth;
    savedHeight_ = g_ViewHeight;
    savedLight_ = g_LightDirection;
    g_ViewRect = {0.0f, 200.0f, 0.0f, 100.0f};
    g_ViewWidth = 200.0f;
    g_ViewHeight = 100.0f;
    g_Camera.nearPlane = 1.0f;
    g_Camera.farPlane = 257.0f;
    g_Camera.view = g_IdentityMatrix;
    std::memset(&g_Camera.projection, 0, sizeof(Matrix4));
    g_Camera.projection.m[0] = 1.0f;
    g_Camera.projection.m[5] = 1.0f;
    g_Camera.projection.m[10] = 1.0f;
    g_Camera.projection.m[11] = 1.0f;
    pipe().objectMatrix = nullptr;
    pipe().fogOn = 0;
    pipe().SetupProjection();
  }
  void TearDown() override {
    g_Camera = savedCamera_;
    g_ViewRect = savedRect_;
    g_ViewWidth = savedWidth_;
    g_ViewHeight = savedHeight_;
    g_LightDirection = savedLight_;
    pipe().objectMatrix = nullptr;
    pipe().fogOn = 0;
  }

  static GeometryPipeline& pipe() { return g_GeometryPipeline; }

  // The object-space point that projects to screen (x, y) at distance w.
  static Vector3 Screen(float x, float y, float w) { return Vector3((x - 100.0f) * w / 100.0f, (50.0f - y) * w / 100.0f, w); }

  static float Depth(float w) { return (257.0f - w) * (65535.0f / 256.0f); }

  // Draws one part of positions with one corner per index (identity index
  // list when `indices` is empty).
  std::vector<ScreenVertex> Draw(const std::vector<Vector3>& positions, std::vector<std::uint16_t> indices = {},
                                 std::vector<VertexAttribute> attributes = {}, VertexLight* lights = nullptr,
                                 Vector3 lightColour = Vector3(1.0f, 1.0f, 1.0f)) {
    if (indices.empty()) {
      for (std::size_t i = 0; i < positions.size(); ++i) indices.push_back(static_cast<std::uint16_t>(i));
    }
    attributes.resize(indices.size(), VertexAttribute{0xFFFFFFFFu, 0.0f, 0.0f});
    std::uint16_t size = static_cast<std::uint16_t>(positions.size());
    ScreenVertex* out = nullptr;
    std::uint16_t count = 0xFFFF;
    int result = pipe().TransformMesh(1, positions.data(), &size, attributes.data(), indices.data(),
                                      static_cast<std::uint16_t>(indices.size()), &out, &count, lights, lightColour);
    EXPECT_EQ(pipe().output, out);
    EXPECT_EQ(result, count);
    EXPECT_EQ(0, count % 3);
    return std::vector<ScreenVertex>(out, out + count);
  }

  static std::uint8_t CodeOf(int position) { return static_cast<std::uint8_t>(pipe().transformed[position].colour); }

 private:
  Camera savedCamera_;
  ViewRect savedRect_;
  float savedWidth_ = 0.0f;
  float savedHeight_ = 0.0f;
  Vector3 savedLight_;
};

TEST_F(PipelineTest, ClipCodesOnAndBeyondEachPlane) {
  // Left and top edges belong to the view, right and bottom ones do not; the
  // near and far distances themselves are inside.
  const struct {
    Vector3 p;
    std::uint8_t code;
  } cases[] = {
      {{0.0f, 0.0f, 8.0f}, 0},
      {{-8.0f, 0.0f, 8.0f}, 0},                    // x = left
      {{-8.01f, 0.0f, 8.0f}, CLIP_LEFT},           //
      {{8.0f, 0.0f, 8.0f}, CLIP_RIGHT},            // x = right
      {{7.99f, 0.0f, 8.0f}, 0},                    //
      {{0.0f, 4.0f, 8.0f}, 0},                     // y = top
      {{0.0f, 4.01f, 8.0f}, CLIP_TOP},             //
      {{0.0f, -4.0f, 8.0f}, CLIP_BOTTOM},          // y = bottom
      {{-9.0f, 5.0f, 8.0f}, CLIP_LEFT | CLIP_TOP},  //
      {{0.0f, 0.0f, 1.0f}, 0},                     // w = near
      {{0.0f, 0.0f, 0.99f}, CLIP_NEAR},            //
      {{50.0f, 0.0f, -3.0f}, CLIP_NEAR},           // behind the eye: only the near bit
      {{0.0f, 0.0f, 257.0f}, 0},                   // w = far
      {{0.0f, 0.0f, 257.5f}, CLIP_FAR},
  };
  std::vector<Vector3> positions;
  for (const auto& c : cases) positions.push_back(c.p);
  Draw(positions, {0, 0, 0});
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].code, CodeOf(static_cast<int>(i))) << i;
}

TEST_F(PipelineTest, DepthAndQOfAVisibleTriangle) {
  std::vector<ScreenVertex> out =
      Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)}, {},
           {{0x00123456u, 0.5f, 0.25f}, {0x80FFFFFFu, 1.0f, 0.0f}, {0x00000000u, 0.0f, 1.0f}});
  ASSERT_EQ(3u, out.size());
  EXPECT_FLOAT_EQ(10.0f, out[0].x);
  EXPECT_FLOAT_EQ(10.0f, out[0].y);
  EXPECT_FLOAT_EQ(60.0f, out[1].x);
  EXPECT_FLOAT_EQ(60.0f, out[2].y);
  for (const ScreenVertex& v : out) {
    EXPECT_FLOAT_EQ(Depth(8.0f), v.z);
    EXPECT_FLOAT_EQ(0.125f, v.q);
  }
  // Alpha forced to 255; texture coordinates multiplied by q.
  EXPECT_EQ(0xFF123456u, out[0].colour);
  EXPECT_EQ(0xFFFFFFFFu, out[1].colour);
  EXPECT_EQ(0xFF000000u, out[2].colour);
  EXPECT_FLOAT_EQ(0.0625f, out[0].s);
  EXPECT_FLOAT_EQ(0.03125f, out[0].t);
  EXPECT_FLOAT_EQ(0.125f, out[2].t);
  // The nearest and farthest distances map to the ends of the depth range.
  Draw({Screen(10.0f, 10.0f, 1.0f), Screen(60.0f, 10.0f, 1.0f), Screen(10.0f, 60.0f, 257.0f)});
  EXPECT_FLOAT_EQ(65535.0f, pipe().transformed[0].z);
  EXPECT_FLOAT_EQ(0.0f, pipe().transformed[2].z);
}

TEST_F(PipelineTest, BackFacesAreDropped) {
  const Vector3 a = Screen(0.0f, 0.0f, 8.0f), b = Screen(10.0f, 0.0f, 8.0f), c = Screen(0.0f, 10.0f, 8.0f);
  EXPECT_EQ(3u, Draw({a, b, c}).size());
  EXPECT_EQ(0u, Draw({a, c, b}).size());
}

TEST_F(PipelineTest, TriangleClippedByTheLeftAndTopEdges) {
  // Corner A lies beyond both edges; the rest of the triangle is the
  // pentagon (0,0) (30,0) (80,20) (20,80) (0,30), emitted as four triangles
  // in the clipping order (left edge first, each cut fanned from its first
  // point).
  std::vector<ScreenVertex> out =
      Draw({Screen(-20.0f, -20.0f, 8.0f), Screen(80.0f, 20.0f, 8.0f), Screen(20.0f, 80.0f, 8.0f)});
  const float k = 20.0f * 12.0f / 92.0f;  // where C-A crosses y = 0
  const float expected[12][2] = {
      {30.0f, 0.0f}, {80.0f, 20.0f}, {20.0f, 80.0f},  //
      {30.0f, 0.0f}, {20.0f, 80.0f}, {k, 0.0f},       //
      {k, 0.0f},     {20.0f, 80.0f}, {0.0f, 30.0f},   //
      {k, 0.0f},     {0.0f, 30.0f},  {0.0f, 0.0f},
  };
  ASSERT_EQ(12u, out.size());
  for (int i = 0; i < 12; ++i) {
    EXPECT_NEAR(expected[i][0], out[i].x, 1e-3f) << i;
    EXPECT_NEAR(expected[i][1], out[i].y, 1e-3f) << i;
    EXPECT_NEAR(Depth(8.0f), out[i].z, 0.02f) << i;
    EXPECT_NEAR(0.125f, out[i].q, 1e-6f) << i;
  }
  // Points made on an edge sit exactly on it.
  EXPECT_EQ(0.0f, out[10].x);
  EXPECT_EQ(0.0f, out[11].y);
  EXPECT_EQ(0.0f, out[0].y);
}

TEST_F(PipelineTest, ClipPointInterpolatesColourAndTexture) {
  // The edge from A (outside left) to B crosses the left edge at t = 1/3;
  // the edge from C to A at t = 0.5.
  std::vector<ScreenVertex> out =
      Draw({Screen(-25.0f, 40.0f, 8.0f), Screen(50.0f, 20.0f, 8.0f), Screen(25.0f, 90.0f, 8.0f)}, {},
           {{0xFFFF0000u, 0.0f, 0.0f}, {0xFF00FF00u, 1.0f, 0.0f}, {0xFF0000FFu, 0.0f, 1.0f}});
  ASSERT_EQ(6u, out.size());
  // First triangle: (A-B point, B, C); second: (A-B point, C, C-A point).
  EXPECT_EQ(0.0f, out[0].x);
  EXPECT_NEAR(40.0f - 20.0f / 3.0f, out[0].y, 1e-4f);
  // f = trunc(256 / 3) = 85: red (171 x 255) >> 8, green (85 x 255) >> 8.
  EXPECT_EQ(0xFFAA5400u, out[0].colour);
  EXPECT_NEAR(0.125f / 3.0f, out[0].s, 1e-6f);
  EXPECT_NEAR(0.0f, out[0].t, 1e-6f);
  EXPECT_EQ(0.0f, out[5].x);
  EXPECT_NEAR(65.0f, out[5].y, 1e-4f);
  // From C to A at t = 0.5: f = 128.
  EXPECT_EQ(0xFF7F007Fu, out[5].colour);
  EXPECT_NEAR(0.5f * 0.125f, out[5].t, 1e-6f);
}

TEST_F(PipelineTest, CornerBehindTheNearPlaneGivesTwoTrianglesOnIt) {
  // A at w = 0.5 (behind near = 1), B and C at w = 3.
  const Vector3 a(0.0f, 0.5f, 0.5f), b(-1.0f, -0.5f, 3.0f), c(1.0f, -0.5f, 3.0f);
  std::vector<ScreenVertex> out = Draw({a, c, b});
  ASSERT_EQ(6u, out.size());
  // (A-C point, C, B) and (A-C point, B, B-A point): the new corners have the
  // nearest depth and q = 1 / near.
  const int onNear[] = {0, 3, 5};
  for (int i : onNear) {
    EXPECT_FLOAT_EQ(65535.0f, out[i].z) << i;
    EXPECT_FLOAT_EQ(1.0f, out[i].q) << i;
  }
  // A-C at t = 0.2: X = 0.2, Y = 0.3 at w = 1.
  EXPECT_NEAR(100.0f + 20.0f, out[0].x, 1e-3f);
  EXPECT_NEAR(50.0f - 30.0f, out[0].y, 1e-3f);
  EXPECT_NEAR(100.0f - 20.0f, out[5].x, 1e-3f);
  EXPECT_FLOAT_EQ(1.0f / 3.0f, out[1].q);
}

TEST_F(PipelineTest, DroppedWholeMeshesAndTriangles) {
  // Every position left of the view: nothing.
  EXPECT_EQ(0u, Draw({Screen(-50.0f, 10.0f, 8.0f), Screen(-10.0f, 10.0f, 8.0f), Screen(-50.0f, 60.0f, 8.0f)}).size());
  // A corner beyond the far plane drops its triangle, the other one stays.
  const Vector3 far = Screen(30.0f, 30.0f, 300.0f);
  EXPECT_EQ(3u, Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f), far},
                     {3, 1, 2, 0, 1, 2})
                    .size());
  // Entirely behind the eye: nothing.
  EXPECT_EQ(0u, Draw({Vector3(0.0f, 0.0f, -2.0f), Vector3(1.0f, 0.0f, -2.0f), Vector3(0.0f, 1.0f, -2.0f)}).size());
  // Indices outside the positions are skipped.
  EXPECT_EQ(3u, Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)},
                     {0, 1, 7, 0, 1, 2})
                    .size());
}

TEST_F(PipelineTest, MeshCrossingBehindTheEyeIsNotRejected) {
  // Both front corners lie left of the view and the rear corner behind the
  // eye on the right; the triangle still crosses the view in front.
  std::vector<ScreenVertex> out =
      Draw({Vector3(-11.0f, 1.0f, 10.0f), Vector3(5.0f, 0.0f, -1.0f), Vector3(-11.0f, -1.0f, 10.0f)});
  EXPECT_FALSE(out.empty());
  for (const ScreenVertex& v : out) {
    EXPECT_GE(v.x, -1e-3f);
    EXPECT_LE(v.x, 200.001f);
    EXPECT_GE(v.q, 0.0f);
  }
}

TEST_F(PipelineTest, LightingClampsAndScalesTheColour) {
  // Normal facing the eye; light along +z hits it head on (d = 1).
  const struct {
    Vector3 light;
    bool fog;
    float intensity;
  } cases[] = {
      {{0.0f, 0.0f, 1.0f}, false, 1.0f},  // 0.3 + 0.7 / 0.9 clamped to 1.0
      {{0.0f, 0.0f, 1.0f}, true, 0.8f},   // 0.3 + 0.5 / 0.7 clamped to 0.8
      {{0.0f, std::sqrt(0.75f), 0.5f}, false, 0.3f + 0.7f * 0.5f / 0.9f},
      {{0.0f, std::sqrt(0.75f), 0.5f}, true, 0.3f + 0.5f * 0.5f / 0.7f},
      {{0.0f, 1.0f, 0.0f}, false, 0.3f},  // d = 0
      {{0.0f, 0.0f, -1.0f}, false, 0.3f},  // lit from behind
  };
  for (const auto& c : cases) {
    g_LightDirection = c.light;
    pipe().fogOn = c.fog ? 1 : 0;
    VertexLight lights[3];
    for (VertexLight& l : lights) l = {-5.0f, Vector3(0.0f, 0.0f, -1.0f)};
    std::vector<ScreenVertex> out =
        Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)}, {},
             {{0x00FF8040u, 0, 0}, {0x00FF8040u, 0, 0}, {0x00FF8040u, 0, 0}}, lights, Vector3(1.0f, 0.5f, 1.0f));
    ASSERT_EQ(3u, out.size());
    EXPECT_NEAR(c.intensity, lights[0].intensity, 1e-6f);
    const std::uint32_t f = static_cast<std::uint32_t>(lights[0].intensity * 256.0f);
    const std::uint32_t fg = static_cast<std::uint32_t>(lights[0].intensity * 0.5f * 256.0f);
    EXPECT_EQ(0xFF000000u | ((255u * f) >> 8) << 16 | ((0x80u * fg) >> 8) << 8 | ((0x40u * f) >> 8), out[0].colour);
  }
}

TEST_F(PipelineTest, LightTurnsWithTheObjectMatrix) {
  // The object is turned a quarter about y: its -z normal faces world -x,
  // which a light shining along +x meets head on.
  Matrix4 turn = g_IdentityMatrix;
  turn.m[0] = 0.0f;
  turn.m[2] = -1.0f;
  turn.m[8] = 1.0f;
  turn.m[10] = 0.0f;
  turn.m[14] = 8.0f;  // and moved in front of the eye
  pipe().objectMatrix = &turn;
  g_LightDirection = Vector3(1.0f, 0.0f, 0.0f);
  VertexLight lights[3];
  for (VertexLight& l : lights) l = {0.0f, Vector3(0.0f, 0.0f, -1.0f)};
  Draw({Vector3(0.0f, 1.0f, -1.0f), Vector3(0.0f, 1.0f, 1.0f), Vector3(0.0f, -1.0f, -1.0f)}, {}, {}, lights);
  EXPECT_FLOAT_EQ(1.0f, lights[0].intensity);
}

TEST_F(PipelineTest, OutputNeverPassesItsBuffer) {
  // 4,998 screen-filling triangles that each get clipped into pieces.
  std::vector<Vector3> positions = {Screen(-300.0f, -300.0f, 8.0f), Screen(500.0f, -300.0f, 8.0f),
                                    Screen(-300.0f, 400.0f, 8.0f)};
  std::vector<std::uint16_t> indices;
  for (int i = 0; i < 4998 * 3; ++i) indices.push_back(static_cast<std::uint16_t>(i % 3));
  std::vector<ScreenVertex> out = Draw(positions, indices);
  EXPECT_LE(out.size(), static_cast<std::size_t>(PIPELINE_MAX_VERTICES));
  EXPECT_GT(out.size(), static_cast<std::size_t>(PIPELINE_MAX_VERTICES - 18));

  // More positions than the transform buffer holds: nothing is drawn.
  std::vector<Vector3> many(PIPELINE_MAX_VERTICES + 1, Screen(10.0f, 10.0f, 8.0f));
  EXPECT_EQ(0u, Draw(many, {0, 1, 2}).size());
}

TEST_F(PipelineTest, PartsUseTheirOwnMatrices) {
  Matrix4 m[2] = {g_IdentityMatrix, g_IdentityMatrix};
  m[1].m[12] = 4.0f;  // part 1 moved right by 4 units (50 pixels at w = 8)
  pipe().objectMatrix = m;
  const Vector3 positions[] = {Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)};
  const std::uint16_t sizes[] = {2, 1};
  const std::uint16_t indices[] = {0, 1, 2};
  const VertexAttribute attributes[3] = {};
  ScreenVertex* out = nullptr;
  std::uint16_t count = 0;
  ASSERT_EQ(3, pipe().TransformMesh(2, positions, sizes, attributes, indices, 3, &out, &count, nullptr,
                                    Vector3(1.0f, 1.0f, 1.0f)));
  EXPECT_FLOAT_EQ(10.0f, out[0].x);
  EXPECT_FLOAT_EQ(60.0f, out[2].x);
}

TEST_F(PipelineTest, SetupProjectionFromACameraLookingAtTheOrigin) {
  Camera camera;
  camera.position = Vector3(0.0f, 0.0f, -10.0f);
  camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  g_Camera = camera;
  g_ViewRect = {0.0f, 639.0f, 0.0f, 479.0f};
  g_ViewWidth = 639.0f;
  g_ViewHeight = 479.0f;
  pipe().SetupProjection();
  EXPECT_FLOAT_EQ(65535.0f / 499.9f, pipe().depthScale);
  // The edge of the field of view at the origin's distance lands on the
  // right edge of the view; screen y is scaled by the half width too.
  const float edge = 10.0f * std::tan(0.6981317f);
  std::vector<ScreenVertex> out =
      Draw({Vector3(0.0f, 0.0f, 0.0f), Vector3(edge * 0.5f, 0.0f, 0.0f), Vector3(0.0f, -edge * 0.5f, 0.0f)});
  ASSERT_EQ(3u, out.size());
  EXPECT_NEAR(319.5f, out[0].x, 1e-3f);
  EXPECT_NEAR(239.5f, out[0].y, 1e-3f);
  EXPECT_NEAR(319.5f + 319.5f * 0.5f, out[1].x, 1e-2f);
  EXPECT_NEAR(239.5f + 319.5f * 0.5f, out[2].y, 1e-2f);
  EXPECT_NEAR((500.0f - 10.0f) * 65535.0f / 499.9f, out[0].z, 0.05f);
}

TEST_F(PipelineTest, BoxVisibility) {
  const auto box = [](Vector3 lo, Vector3 hi) {
    std::vector<Vector3> b(8);
    for (int c = 0; c < 8; ++c) b[c] = Vector3((c & 1) ? hi.x : lo.x, (c & 2) ? hi.y : lo.y, (c & 4) ? hi.z : lo.z);
    return b;
  };
  EXPECT_FALSE(pipe().IsBoxVisible(box({-1, -1, 300}, {1, 1, 310}).data()));   // beyond far
  EXPECT_TRUE(pipe().IsBoxVisible(box({-5, -5, -5}, {5, 5, 5}).data()));       // around the eye
  EXPECT_FALSE(pipe().IsBoxVisible(box({-40, -1, 8}, {-20, 1, 9}).data()));    // left of the view
  EXPECT_FALSE(pipe().IsBoxVisible(box({-1, -1, -9}, {1, 1, -8}).data()));     // behind the eye
  EXPECT_TRUE(pipe().IsBoxVisible(box({-40, -1, 8}, {40, 1, 9}).data()));      // spans the view
  Matrix4 away = g_IdentityMatrix;
  away.m[14] = 400.0f;
  pipe().objectMatrix = &away;
  EXPECT_FALSE(pipe().IsBoxVisible(box({-5, -5, -5}, {5, 5, 5}).data()));
}

TEST_F(PipelineTest, DepthBiasMovesTowardTheEye) {
  std::vector<ScreenVertex> out =
      Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)});
  pipe().ApplyDepthBias(3, out.data(), 10);
  for (const ScreenVertex& v : out) {
    EXPECT_FLOAT_EQ(Depth(8.0f) + 10.0f, v.z);
    EXPECT_FLOAT_EQ(1.0f / (8.0f - 10.0f * 256.0f / 65535.0f), v.q);
  }
}

TEST_F(PipelineTest, Direct3DBuildWritesItsOwnDepthAndPlainTextureCoordinates) {
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  pipe().SetupProjection();
  // Depth (w - near) / (far - near), smaller nearer; u and v as they stand.
  std::vector<ScreenVertex> out =
      Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)}, {},
           {{0xFFFFFFFFu, 0.5f, 0.25f}, {0xFFFFFFFFu, 1.0f, 0.0f}, {0xFFFFFFFFu, 0.0f, 1.0f}});
  ASSERT_EQ(3u, out.size());
  EXPECT_FLOAT_EQ(7.0f / 256.0f, out[0].z);
  EXPECT_FLOAT_EQ(0.125f, out[0].q);
  EXPECT_FLOAT_EQ(0.5f, out[0].s);
  EXPECT_FLOAT_EQ(0.25f, out[0].t);
  // A clipped corner interpolates u linearly along the edge (A-B at t = 1/3).
  out = Draw({Screen(-25.0f, 40.0f, 8.0f), Screen(50.0f, 20.0f, 8.0f), Screen(25.0f, 90.0f, 8.0f)}, {},
             {{0xFFFF0000u, 0.0f, 0.0f}, {0xFF00FF00u, 1.0f, 0.0f}, {0xFF0000FFu, 0.0f, 1.0f}});
  ASSERT_EQ(6u, out.size());
  EXPECT_NEAR(1.0f / 3.0f, out[0].s, 1e-6f);
  EXPECT_NEAR(7.0f / 256.0f, out[0].z, 1e-6f);
  // The bias moves towards the eye: depth down by steps / 65536.
  out = Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)});
  pipe().ApplyDepthBias(3, out.data(), 10);
  EXPECT_FLOAT_EQ(7.0f / 256.0f - 10.0f / 65536.0f, out[0].z);
  EXPECT_LT(8.0f - 1.0f / out[0].q, 1.0f);
  EXPECT_GT(out[0].q, 0.125f);
  g_RenderBuild = RENDER_BUILD_GLIDE;
  pipe().SetupProjection();
}

TEST_F(PipelineTest, Direct3DBuildWritesTheVertexFogAmount) {
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  pipe().SetupProjection();
  pipe().SetLinearFog(0.0f, 255.0f);
  // Fog over 0..255 (scale 1): amount 255 - trunc(255 - w) within 0..255.
  // Six positions: four through the four-lane transform, two after it.
  const struct {
    float w;
    std::uint32_t amount;
  } cases[] = {{8.0f, 8}, {50.5f, 51}, {200.0f, 200}, {250.0f, 250}, {16.0f, 16}, {256.0f, 255}};
  std::vector<Vector3> positions;
  for (const auto& c : cases) positions.push_back(Screen(10.0f + c.w * 0.1f, 10.0f, c.w));
  Draw(positions);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].amount, pipe().transformed[i].fogAmount) << cases[i].w;
  }
  // A corner clipped at the near plane (w = 1) gets the fog of its own
  // distance: fog over 0..100, 255 - trunc(99 x 2.55) = 3.
  pipe().SetLinearFog(0.0f, 100.0f);
  const Vector3 a(0.0f, 0.5f, 0.5f), b(-1.0f, -0.5f, 100.0f), c(1.0f, -0.5f, 100.0f);
  const std::vector<ScreenVertex> out = Draw({a, c, b});
  ASSERT_EQ(6u, out.size());
  EXPECT_EQ(3u, out[0].fogAmount);
  EXPECT_EQ(255u, out[1].fogAmount);
  g_RenderBuild = RENDER_BUILD_GLIDE;
  pipe().SetupProjection();
}

TEST_F(PipelineTest, StatisticsCountWork) {
  pipe().positionsTransformed = pipe().trianglesReceived = pipe().verticesEmitted = pipe().trianglesEmitted = 0;
  Draw({Screen(10.0f, 10.0f, 8.0f), Screen(60.0f, 10.0f, 8.0f), Screen(10.0f, 60.0f, 8.0f)}, {0, 1, 2, 0, 2, 1});
  EXPECT_EQ(3u, pipe().positionsTransformed);
  EXPECT_EQ(2u, pipe().trianglesReceived);
  EXPECT_EQ(3u, pipe().verticesEmitted);
  EXPECT_EQ(1u, pipe().trianglesEmitted);
}

TEST(WeldTest, KeepsFirstOfEachPositionAndRemapsIndices) {
  const float nan = std::nanf("");
  std::vector<Vector3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {-0.0f, 0, 0}, {1, 1, 0},
                                    {nan, 0, 0}, {nan, 0, 0}};
  std::uint16_t indices[] = {0, 1, 2, 3, 4, 5, 6, 7};
  ASSERT_TRUE(WeldVertices(&positions, indices, 8));
  ASSERT_EQ(6u, positions.size());  // 0 and -0 are one position; NaNs never match
  const std::uint16_t expected[] = {0, 1, 2, 1, 0, 3, 4, 5};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i], indices[i]) << i;
  EXPECT_EQ(1.0f, positions[3].x);
  EXPECT_EQ(1.0f, positions[3].y);
}

TEST(WeldTest, GroupsMapSharedPositionsToTheEarlierPart) {
  // Part 0: p0, p1, p0 again; part 1: p1 (shared with part 0), p2.
  std::vector<Vector3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 0, 0}};
  std::vector<VertexAttribute> attributes;
  for (std::uint32_t i = 0; i < 6; ++i) attributes.push_back({i, 0.0f, 0.0f});
  std::uint16_t sizes[] = {3, 3};
  std::uint16_t indices[] = {5, 3, 2, 0, 1, 4};
  ASSERT_TRUE(BuildWeldedGroups(&attributes, sizes, 2, indices, 6, &positions));
  ASSERT_EQ(3u, positions.size());
  EXPECT_EQ(2, sizes[0]);
  EXPECT_EQ(1, sizes[1]);
  const std::uint16_t expectedIndices[] = {2, 1, 0, 0, 1, 2};
  const std::uint32_t expectedAttributes[] = {5, 3, 2, 0, 1, 4};  // the old record of each old index
  ASSERT_EQ(6u, attributes.size());
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(expectedIndices[k], indices[k]) << k;
    EXPECT_EQ(expectedAttributes[k], attributes[k].colour) << k;
  }
}

}  // namespace
