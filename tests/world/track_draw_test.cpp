// The visible window, what Track::Draw sends to the pipeline, the blends
// of each build, the tyre-mark rings, and frames that allocate nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/camera.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/glide/glide.h"
#include "tests/world/track_fixture.h"
#include "world/track.h"

namespace {

class TrackDrawTest : public kelvtest::TrackTest {
 protected:
  // The renderer open and the camera above the straight track's start,
  // looking along it.
  void OpenAndLook() {
    ASSERT_TRUE(OpenAt(640, 480));
    g_Renderer.SetDefaultStates();
    g_Camera.position = Vector3(0.0f, 8.0f, -6.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 20.0f));
    g_GeometryPipeline.SetupProjection();
  }
  static std::uint32_t TrianglesSent(Track* track) {
    g_GeometryPipeline.trianglesReceived = 0;
    track->Draw();
    return g_GeometryPipeline.trianglesReceived;
  }
};

TEST_F(TrackDrawTest, WindowWrapsPastTheLastSection) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(40)));
  OpenAndLook();
  const struct {
    std::int16_t first, last;
    std::uint16_t wantFirst, wantLast;
    int length;
  } cases[] = {{-1, 5, 39, 5, 7}, {10, 9, 10, 9, 0}, {0, 39, 0, 39, 40}, {-41, 45, 39, 5, 7}, {3, 3, 3, 3, 1}};
  for (const auto& c : cases) {
    track.SetVisibleWindow(c.first, c.last, 17);
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    track.GetVisibleWindow(&first, &last);
    EXPECT_EQ(first, c.wantFirst) << c.first;
    EXPECT_EQ(last, c.wantLast) << c.last;
    EXPECT_EQ(track.WindowLength(), c.length) << c.first << ".." << c.last;
    EXPECT_EQ(track.currentSection, 17);
    // Sixteen ground and sixteen land-piece triangles per section.
    EXPECT_EQ(TrianglesSent(&track), 32u * static_cast<std::uint32_t>(c.length)) << c.first << ".." << c.last;
  }
}

TEST_F(TrackDrawTest, MarkersAreDrawnOnRequest) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(10)));
  OpenAndLook();
  track.SetVisibleWindow(0, 3, 0);
  const std::uint32_t plain = TrianglesSent(&track);
  g_ShowSectionMarkers = 1;
  EXPECT_EQ(TrianglesSent(&track), plain + 4u * 2u);
}

// The blend of each draw, in order, as (source, destination).
std::vector<std::pair<int, int>> DrawBlends() {
  std::vector<std::pair<int, int>> out;
  for (const platform::GlideDraw& d : platform::RecordedGlideDraws()) {
    const std::pair<int, int> b(static_cast<int>(d.state.rgbSrc), static_cast<int>(d.state.rgbDst));
    if (out.empty() || out.back() != b) out.push_back(b);
  }
  return out;
}

TEST_F(TrackDrawTest, LandPiecesBlendByTypeInEachBuild) {
  kelvdata::TrackSet set = kelvdata::StraightTrackSet(4);
  set.track.landPieces = {"DATA\\TRACK\\A.LND", "DATA\\TRACK\\BT2.LND", "DATA\\TRACK\\CT1.LND"};
  set.pieces = {set.pieces[0], set.pieces[0], set.pieces[0]};
  for (auto& s : set.track.sections) s.pieces = {s.pieces[0], s.pieces[0], s.pieces[0]};
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  OpenAndLook();
  track.SetVisibleWindow(0, 3, 0);
  const int one = GR_BLEND_ONE;
  const int zero = GR_BLEND_ZERO;
  const struct {
    RenderBuild build;
    std::uint8_t alphaKeys;
    std::vector<std::pair<int, int>> blends;  // solid, additive, blended, ground
  } cases[] = {
      {RENDER_BUILD_GLIDE, 0, {{one, zero}, {one, one}, {zero, GR_BLEND_ONE_MINUS_SRC_COLOR}, {one, zero}}},
      {RENDER_BUILD_DIRECT3D, 1,
       {{one, zero}, {one, one}, {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA}, {one, zero}}},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    g_AlphaTestForColourKeys = c.alphaKeys;
    platform::ClearGlideRecords();
    EXPECT_TRUE(track.Draw());
    EXPECT_EQ(DrawBlends(), c.blends) << static_cast<int>(c.build);
    // Left as the last piece (blended) set it.
    EXPECT_EQ(g_Renderer.depthBias, 10u);
    // Under Direct3D's colour-key stand-in the ground blends ONE, ZERO with
    // blending on.
    EXPECT_EQ(g_Renderer.cache.alphaBlendEnable, c.alphaKeys);
  }
}

TEST_F(TrackDrawTest, TyreMarksDarkenByColourOrAlpha) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(4)));
  OpenAndLook();
  const struct {
    RenderBuild build;
    std::uint32_t colour;
    int src, dst;
  } cases[] = {{RENDER_BUILD_GLIDE, 0xFF4C4C4Cu, BLEND_ZERO, BLEND_ONE_MINUS_SRC_COLOUR},
               {RENDER_BUILD_DIRECT3D, 0x4C000000u, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA}};
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    track.ResetTyreMarks();
    EXPECT_EQ(track.ringA[7].attributes[3].colour, c.colour);
    EXPECT_EQ(track.ringB[149].attributes[0].colour, c.colour);
    EXPECT_TRUE(track.DrawTyreMarks(false));
    EXPECT_EQ(g_Renderer.cache.srcBlend, c.src);
    EXPECT_EQ(g_Renderer.cache.destBlend, c.dst);
    EXPECT_EQ(g_Renderer.cache.alphaBlendEnable, 0);
  }
}

class TyreMarkTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(LoadSet(&track_, kelvdata::StraightTrackSet(4)));
    g_FrameTime = 0.04f;  // step and join of speed 4: 0.7 and 1.3
  }
  // The rear wheel's contacts at (1, z) and (-1, z) moving along +z.
  TyreMarkInput At(float z, float speed = 4.0f, bool frontInAir = true) {
    TyreMarkInput in{};
    in.velocity = Vector3(0.0f, 0.0f, speed);
    in.rearContact1 = Vector3(1.0f, 5.0f, z);
    in.rearContact2 = Vector3(-1.0f, 5.0f, z);
    in.frontContact1 = Vector3(1.0f, 5.0f, z + 1.5f);
    in.frontContact2 = Vector3(-1.0f, 5.0f, z + 1.5f);
    in.sectionHint = 1;
    in.triangleHint = 2;
    in.frontInAir = frontInAir ? 1 : 0;
    in.useSections = 1;
    return in;
  }
  Track track_;
};

TEST_F(TyreMarkTest, StripsContinueAndRestart) {
  // The first mark after a reset starts a strip 0.264 m long behind it.
  track_.AddTyreMarks(At(5.0f));
  ASSERT_EQ(track_.ringANext, 1u);
  const TyreMark& first = track_.ringA[1];
  EXPECT_EQ(first.section, 1u);
  EXPECT_FLOAT_EQ(first.corners[0].x, 1.0f);
  EXPECT_FLOAT_EQ(first.corners[0].y, 0.0f);  // on the ground, not at the contact
  EXPECT_FLOAT_EQ(first.corners[1].x, -1.0f);
  EXPECT_FLOAT_EQ(first.corners[2].z, 5.0f - 0.264f);
  EXPECT_FLOAT_EQ(first.corners[3].x, 1.0f);

  // Half a step: nothing laid.
  track_.AddTyreMarks(At(5.5f));
  EXPECT_EQ(track_.ringANext, 1u);
  // One metre on (beyond the step, within the join): it continues.
  track_.AddTyreMarks(At(6.0f));
  ASSERT_EQ(track_.ringANext, 2u);
  EXPECT_FLOAT_EQ(track_.ringA[2].corners[2].x, -1.0f);
  EXPECT_FLOAT_EQ(track_.ringA[2].corners[2].z, 5.0f);
  EXPECT_FLOAT_EQ(track_.ringA[2].corners[3].x, 1.0f);
  EXPECT_FLOAT_EQ(track_.ringA[2].corners[3].z, 5.0f);
  // Two metres on, past the join: a new strip.
  track_.AddTyreMarks(At(8.0f));
  EXPECT_FLOAT_EQ(track_.ringA[3].corners[2].z, 8.0f - 0.264f);
  // The front wheel was in the air throughout.
  EXPECT_EQ(track_.ringBNext, 0u);
  for (const TyreMark& m : track_.ringB) EXPECT_EQ(m.section, TyreMark::NEVER_LAID);
}

TEST_F(TyreMarkTest, RingsWrapAndResetKeepsTheirIndices) {
  for (int k = 0; k < 151; ++k) track_.AddTyreMarks(At(static_cast<float>(k), 4.0f, false));
  EXPECT_EQ(track_.ringANext, 1u);  // 149 wrapped to 0, then 1
  EXPECT_EQ(track_.ringBNext, 1u);
  EXPECT_FLOAT_EQ(track_.ringA[0].corners[0].z, 149.0f);
  EXPECT_FLOAT_EQ(track_.ringA[1].corners[0].z, 150.0f);
  EXPECT_FLOAT_EQ(track_.ringB[1].corners[0].z, 151.5f);
  track_.ResetTyreMarks();
  EXPECT_EQ(track_.ringANext, 1u);
  for (const TyreMark& m : track_.ringA) {
    EXPECT_EQ(m.section, TyreMark::NEVER_LAID);
    EXPECT_EQ(m.corners[0].z, 0.0f);
  }
}

TEST_F(TyreMarkTest, StandingStillLeavesNoNaN) {
  track_.AddTyreMarks(At(5.0f, 0.0f));
  const TyreMark& m = track_.ringA[1];
  for (const Vector3& c : m.corners) EXPECT_FALSE(std::isnan(c.x + c.y + c.z));
  EXPECT_FLOAT_EQ(m.corners[2].z, 5.0f);
}

TEST_F(TrackDrawTest, WindowOnlyMarksFollowTheWindow) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(20)));
  OpenAndLook();
  track.ringA[0].section = 2;
  track.ringA[1].section = 12;
  auto sent = [&](std::int16_t first, std::int16_t last) {
    track.SetVisibleWindow(first, last, 0);
    g_GeometryPipeline.trianglesReceived = 0;
    track.DrawTyreMarks(true);
    return g_GeometryPipeline.trianglesReceived / 2;
  };
  // Of the 300 marks, 298 were never laid: they pass only a wrapped window.
  EXPECT_EQ(sent(0, 5), 1u);
  EXPECT_EQ(sent(10, 15), 1u);
  EXPECT_EQ(sent(16, 3), 299u);
  EXPECT_EQ(sent(0, 19), 2u);
}

}  // namespace
