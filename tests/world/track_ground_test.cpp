// The ground queries: the triangle search and its order, the near and full
// passes with their debugger lines, the height field's cells, surfaces over
// the field, the side boundaries, and boxes against the nodes.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "tests/world/track_fixture.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

// A section of `count` triangles in memory: those in `covering` hold the
// square around the origin, the others lie far away.
void FillSection(TrackSection* s, int count, const std::set<int>& covering) {
  s->positions.clear();
  s->indices.clear();
  s->surfaces.assign(count, TrackSurface{});
  for (int t = 0; t < count; ++t) {
    const float off = covering.count(t) ? 0.0f : 1000.0f;
    // Clockwise seen from above, as the inside test wants.
    s->positions.push_back(Vector3(-5.0f + off, 0.0f, -5.0f));
    s->positions.push_back(Vector3(-5.0f + off, 0.0f, 10.0f));
    s->positions.push_back(Vector3(10.0f + off, 0.0f, -5.0f));
    for (int k = 0; k < 3; ++k) s->indices.push_back(static_cast<std::uint16_t>(3 * t + k));
    s->surfaces[t].c = static_cast<float>(t);
  }
  s->vertexCount = static_cast<std::uint16_t>(s->positions.size());
  s->indexCount = static_cast<std::uint16_t>(s->indices.size());
}

// A track of `count` sections in memory, each of 10 triangles of which
// none holds the origin, and a 2 x 2 field.
void FillTrack(Track* track, int count) {
  track->sectionCount = static_cast<std::uint16_t>(count);
  track->sections = std::make_unique<TrackSection[]>(count);
  for (int s = 0; s < count; ++s) FillSection(&track->sections[s], 10, {});
  track->fieldWidth = 2;
  track->fieldHeight = 2;
  track->fieldOrigin = Vector3(0.0f, 0.0f, 0.0f);
  track->fieldCell = 1.0f;
  track->fieldHeights = {0.0f, 1.0f, 2.0f, 10.0f};
}

const Vector3 kOrigin(0.0f, 0.0f, 0.0f);

TEST(FindTriangle, TriesCandidatesOutwardWithoutWrapping) {
  struct Case {
    std::uint16_t hint;
    std::uint16_t radius;
    std::set<int> covering;
    int found;  // -1: none
  };
  // Ten triangles.
  const Case cases[] = {
      {0, 4, {0, 1}, 0},     {0, 4, {1, 2}, 1},    {0, 4, {2, 3}, 2},  {0, 4, {5}, 5},  // h + b + 1
      {0, 4, {6}, -1},       {5, 4, {4, 6}, 6},    {5, 4, {3, 4}, 4},  {5, 4, {0, 9}, 9},
      {5, 4, {0}, -1},       {9, 4, {5}, 5},       {9, 4, {4}, -1},    {9, 4, {8, 0}, 8},
      {9, 20, {0}, 0},       {3, 0, {4}, 4},       {3, 0, {2}, -1},    {50, 4, {9}, -1},
  };
  for (const Case& c : cases) {
    TrackSection s;
    FillSection(&s, 10, c.covering);
    std::uint16_t triangle = c.hint;
    const bool found = s.FindTriangle(&kOrigin, c.radius, &triangle);
    EXPECT_EQ(found, c.found >= 0) << "hint " << c.hint << " radius " << c.radius;
    EXPECT_EQ(triangle, found ? c.found : c.hint) << "hint " << c.hint;
  }
}

TEST(FindTriangle, CountsEdgesAsInside) {
  TrackSection s;
  FillSection(&s, 2, {0, 1});
  const Vector3 corner(-5.0f, 0.0f, -5.0f);
  const Vector3 onEdge(2.5f, 0.0f, 2.5f);
  const Vector3 outside(2.6f, 0.0f, 2.6f);
  std::uint16_t t = 1;
  EXPECT_TRUE(s.FindTriangle(&corner, 4, &t));
  EXPECT_EQ(t, 1);
  EXPECT_TRUE(s.FindTriangle(&onEdge, 4, &t));
  EXPECT_FALSE(s.FindTriangle(&outside, 4, &t));
}

// Two triangles of a course's ground that share an edge from (65.84, 1.53)
// to (71.26, 4.65), clockwise from above: every point on that edge lies in
// one of them, however the rounding of its edge values falls.
TEST(FindTriangle, NoPointOnASharedEdgeFallsBetweenItsTriangles) {
  TrackSection s;
  const Vector3 a(65.8425674f, 0.0f, 1.52939868f);
  const Vector3 b(71.2600327f, 0.0f, 4.64606476f);
  s.positions = {Vector3(66.7109833f, 0.0f, 0.0f), a, b, Vector3(70.3651276f, 0.0f, 6.18529034f)};
  s.indices = {0, 1, 2, 2, 1, 3};
  s.surfaces.assign(2, TrackSurface{});
  s.vertexCount = 4;
  s.indexCount = 6;
  // The point a rider's wheel stood on, then a walk along the edge.
  std::vector<Vector3> points = {Vector3(66.1459732f, 0.0f, 1.7039479f)};
  for (int k = 0; k <= 2000; ++k) {
    const float f = static_cast<float>(k) / 2000.0f;
    points.push_back(Vector3(a.x + f * (b.x - a.x), 0.0f, a.z + f * (b.z - a.z)));
  }
  int missed = 0;
  for (const Vector3& p : points) {
    std::uint16_t t = 0;
    if (!s.FindTriangle(&p, 4, &t)) ++missed;
  }
  EXPECT_EQ(missed, 0);
}

TEST(GroundQueries, NearPassFromTheLastSectionWrapsBothWays) {
  // From section hint S - 1 = 9 the near pass tries 9, 0, 8, 1, 7: each case
  // leaves out the sections tried before the one that must answer.
  const struct {
    std::set<int> holding;
    int found;
  } cases[] = {{{9, 0, 8, 1, 7}, 9}, {{0, 8, 1, 7}, 0}, {{8, 1, 7}, 8}, {{1, 7}, 1}, {{7}, 7}};
  for (const auto& c : cases) {
    Track track;
    FillTrack(&track, 10);
    for (int s : c.holding) FillSection(&track.sections[s], 10, {3});
    std::uint16_t section = 9;
    std::uint16_t triangle = 2;
    float height = -1.0f;
    ASSERT_TRUE(track.getheight(&kOrigin, &section, &triangle, &height, true));
    EXPECT_EQ(section, c.found);
    EXPECT_EQ(triangle, 3);
    EXPECT_EQ(height, 3.0f);
  }
}

class GroundPassTest : public kelvtest::TrackTest {};

TEST_F(GroundPassTest, FullPassAfterAFailedNearPassWritesItsLines) {
  Track track;
  FillTrack(&track, 10);
  // Section 5 is past the near pass from 0, and triangle 9 past radius 4.
  FillSection(&track.sections[5], 10, {9});
  std::uint16_t section = 0;
  std::uint16_t triangle = 0;
  float height = -1.0f;
  ASSERT_TRUE(track.getheight(&kOrigin, &section, &triangle, &height, true));
  EXPECT_EQ(section, 5);
  EXPECT_EQ(triangle, 9);
  EXPECT_EQ(height, 9.0f);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"Fallita getheight parziale!\n"});

  platform::ClearRecordedDebugOutput();
  const Vector3 away(500.0f, 0.0f, 500.0f);
  EXPECT_FALSE(track.getheight(&away, &section, &triangle, &height, true));
  EXPECT_EQ(section, 5);
  EXPECT_EQ(triangle, 9);
  EXPECT_EQ(height, 9.0f);
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"Fallita getheight parziale!\n", "Fallita getheight totale!\n"}));

  // Off the sections the field answers, with no debugger line.
  FillSection(&track.sections[5], 10, {});
  platform::ClearRecordedDebugOutput();
  const Vector3 inField(0.25f, 0.0f, 0.25f);
  EXPECT_FALSE(track.GetHeightOrField(&inField, &section, &triangle, &height));
  EXPECT_FLOAT_EQ(height, 0.75f);
  EXPECT_TRUE(DebugLines().empty());
}

TEST(GroundQueries, HeightOrFieldSearchesHalfTheTriangles) {
  Track track;
  FillTrack(&track, 10);
  FillSection(&track.sections[1], 10, {5});
  std::uint16_t section = 0;
  std::uint16_t triangle = 0;
  float height = 0.0f;
  // Radius 5 from triangle 0 reaches 5 (h + b) in section 1 of the near pass.
  EXPECT_TRUE(track.GetHeightOrField(&kOrigin, &section, &triangle, &height));
  EXPECT_EQ(section, 1);
  EXPECT_EQ(triangle, 5);
  FillSection(&track.sections[1], 10, {7});
  section = 0;
  triangle = 0;
  EXPECT_FALSE(track.GetHeightOrField(&kOrigin, &section, &triangle, &height));
  EXPECT_EQ(section, 0);
}

TEST(GroundQueries, FieldCellsSplitAlongTheirDiagonal) {
  Track track;
  FillTrack(&track, 1);
  // Heights: (0,0) 0, (1,0) 1, (0,1) 2, (1,1) 10. Below the diagonal from
  // (0,1) to (1,0) the plane is x + 2z; above it 8x + 9z - 7.
  const struct {
    float x, z, height;
  } cases[] = {{0.25f, 0.25f, 0.75f}, {0.75f, 0.75f, 5.75f}, {0.1f, 0.8f, 1.7f},   {0.8f, 0.1f, 1.0f},
               {0.5f, 0.5f, 1.5f},    {0.9f, 0.9f, 8.3f},   {0.0f, 0.5f, 0.0f},   {0.99995f, 0.5f, 0.0f},
               {0.5f, 1.0f, 0.0f},    {-3.0f, 9.0f, 0.0f}};
  for (const auto& c : cases) {
    const Vector3 p(c.x, 0.0f, c.z);
    EXPECT_NEAR(track.GetFieldHeight(&p), c.height, 1e-5f) << c.x << ", " << c.z;
  }
}

TEST(GroundQueries, SurfaceOverTheFieldLiesATenthAboveIt) {
  Track track;
  FillTrack(&track, 1);
  TrackSurface s;
  const Vector3 p(0.25f, 0.0f, 0.25f);
  track.GetSurface(&s, &p, 0, 0, false);
  EXPECT_NEAR(s.a * p.x + s.b * p.z + s.c, 0.85f, 1e-5f);
  EXPECT_NEAR(s.a, 1.0f, 1e-5f);
  EXPECT_NEAR(s.b, 2.0f, 1e-5f);
  EXPECT_NEAR(s.nx * s.nx + s.ny * s.ny + s.nz * s.nz, 1.0f, 1e-5f);
  EXPECT_GT(s.ny, 0.0f);
  EXPECT_EQ(s.kind, 1);

  const Vector3 out(5.0f, 0.0f, 0.5f);
  track.GetSurface(&s, &out, 0, 0, false);
  EXPECT_EQ(s.a, 0.0f);
  EXPECT_EQ(s.b, 0.0f);
  EXPECT_EQ(s.c, 0.0f);
  EXPECT_EQ(s.ny, 1.0f);
  EXPECT_EQ(s.kind, 1);
}

TEST(GroundQueries, SurfaceWithSectionsTakesTheHintedTriangleBroughtIntoRange) {
  Track track;
  FillTrack(&track, 4);
  TrackSurface s;
  const Vector3 far(900.0f, 0.0f, 900.0f);
  // Not searched: the named triangle's plane, wherever the point is.
  track.GetSurface(&s, &far, 2, 7, true);
  EXPECT_EQ(s.c, 7.0f);
  // Section 6 of 4 is section 2; triangle 40 of 10 is the last.
  track.GetSurface(&s, &far, 6, 40, true);
  EXPECT_EQ(s.c, 9.0f);
}

TEST(GroundQueries, BordersReportTheFirstBoundaryCrossed) {
  Track track;
  FillTrack(&track, 1);
  TrackSection& s = track.sections[0];
  s.sidePoint1 = Vector3(2.0f, 0.0f, 0.0f);
  s.sideNormal1 = Vector3(-1.0f, 0.0f, 0.0f);
  s.sidePoint2 = Vector3(-2.0f, 0.0f, 0.0f);
  s.sideNormal2 = Vector3(1.0f, 0.0f, 0.0f);
  const struct {
    float x;
    bool inside;
    float normalX;
    float depth;
  } cases[] = {{0.0f, true, 1.0f, 0.0f}, {2.0f, true, 1.0f, 0.0f}, {3.5f, false, -1.0f, 1.5f},
               {-2.5f, false, 1.0f, 0.5f}};
  for (const auto& c : cases) {
    Vector3 normal;
    float depth = -1.0f;
    EXPECT_EQ(track.TestBorders(0, &normal, Vector3(c.x, 0.0f, 0.0f), &depth), c.inside) << c.x;
    EXPECT_EQ(normal.x, c.normalX) << c.x;
    EXPECT_FLOAT_EQ(depth, c.depth) << c.x;
  }
  // Outside both (the boundaries face away from each other here): only the
  // first is reported.
  s.sideNormal2 = Vector3(-1.0f, 0.0f, 0.0f);
  Vector3 normal;
  float depth = 0.0f;
  EXPECT_FALSE(track.TestBorders(0, &normal, Vector3(3.0f, 0.0f, 0.0f), &depth));
  EXPECT_EQ(normal.x, -1.0f);
  EXPECT_FLOAT_EQ(depth, 1.0f);
}

class NodeTest : public kelvtest::TrackTest {};

TEST_F(NodeTest, SegmentsCrossNodesOfTheWindowsRange) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(20)));
  // Node n stands at (0, 0, 4n); a box around it crosses it.
  auto crosses = [&](int node, bool forward) {
    const float z = 4.0f * static_cast<float>(node);
    Vector3 box[8];
    for (Vector3& c : box) c = Vector3(-1.0f, -0.5f, z - 0.5f);
    box[7] = Vector3(1.0f, 0.5f, z + 0.5f);
    return track.SegmentCrossesNode(box, forward);
  };
  const struct {
    int first, last;
    bool forward;
    std::set<int> crossed;
  } cases[] = {
      {0, 9, true, {5, 6, 7, 8, 9}},
      {0, 9, false, {0, 1, 2, 3, 4}},
      {16, 3, true, {1, 2, 3}},
      {16, 3, false, {16, 17, 18}},
      {0, 4, true, {}},   // first + 5 = last + 1: an empty range
      {0, 4, false, {}},  // (last + S - 4) mod S = first
  };
  for (const auto& c : cases) {
    track.SetVisibleWindow(static_cast<std::int16_t>(c.first), static_cast<std::int16_t>(c.last), 0);
    for (int n = 0; n < 20; ++n)
      EXPECT_EQ(crosses(n, c.forward), c.crossed.count(n) == 1)
          << c.first << ".." << c.last << (c.forward ? " forward" : " backward") << " node " << n;
  }
  // A box beside the node, or wholly above its ground, crosses nothing.
  track.SetVisibleWindow(0, 9, 0);
  Vector3 box[8];
  for (Vector3& c : box) c = Vector3(0.5f, -0.5f, 23.5f);
  box[7] = Vector3(1.0f, 0.5f, 24.5f);
  EXPECT_FALSE(track.SegmentCrossesNode(box, true));
  box[0] = Vector3(-1.0f, 1.5f, 23.5f);
  box[7] = Vector3(1.0f, 3.0f, 24.5f);
  EXPECT_FALSE(track.SegmentCrossesNode(box, true));
}

TEST_F(NodeTest, NodesOverNoTriangleStartFromTheField) {
  kelvdata::TrackSet set = kelvdata::StraightTrackSet(3);
  // Section 1's edge points far off the ground: its node's centre lies over
  // no triangle.
  set.track.sections[1].mesh.edgePoint1 = {300.0f, 0.0f};
  set.track.sections[1].mesh.edgePoint2 = {304.0f, 0.0f};
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  EXPECT_EQ(track.nodes[1].groundHeight, -1.0f);
  EXPECT_EQ(track.nodes[0].groundHeight, 0.0f);
  // Every section centre and marker corner is a number.
  for (int s = 0; s < 3; ++s) {
    for (const Vector3& c : track.sections[s].marker.corners) EXPECT_FALSE(std::isnan(c.x + c.y + c.z));
  }
}

TEST_F(NodeTest, MarkersPointAlongTheCourseAboveTheGround) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(12)));
  // Nine straight nodes 4 m apart: the mean is the middle one.
  EXPECT_FLOAT_EQ(track.sections[6].centre.z, 24.0f);
  const SectionMarker& m = track.sections[6].marker;
  EXPECT_FLOAT_EQ(m.corners[0].x, -0.1f);
  EXPECT_FLOAT_EQ(m.corners[1].z, 25.5f);
  EXPECT_FLOAT_EQ(m.corners[2].x, 0.01f);
  for (const Vector3& c : m.corners) EXPECT_FLOAT_EQ(c.y, 0.1f);
  EXPECT_EQ(m.attributes[0].colour, 0xFFFF0000u);
}

TEST_F(NodeTest, CameraStartsAboveNodeTenEvenOnShortCourses) {
  const struct {
    int sections;
    float z;
  } cases[] = {{12, 40.0f}, {4, 8.0f}};  // node 10, or node 10 mod 4 = 2
  for (const auto& c : cases) {
    kelvdata::TrackSet set = kelvdata::StraightTrackSet(c.sections);
    // Section 10 (or 2) tilted: triangle 6's plane is y = z + 1.
    kelvdata::SectionTriangle& t = set.track.sections[10 % c.sections].mesh.triangles[6];
    t.b = 1.0f;
    t.c = 1.0f;
    Track track;
    ASSERT_TRUE(LoadSet(&track, set));
    Camera camera;
    camera.track = &track;
    camera.sectionHint = 3;
    camera.snap = 1;
    camera.Reset();
    EXPECT_EQ(camera.sectionHint, 10);
    EXPECT_EQ(camera.triangleHint, 6);
    EXPECT_EQ(camera.snap, 0);
    EXPECT_FLOAT_EQ(camera.position.z, c.z) << c.sections;
    EXPECT_FLOAT_EQ(camera.position.y, c.z + 1.0f + 5.0f) << c.sections;
  }
}

}  // namespace
