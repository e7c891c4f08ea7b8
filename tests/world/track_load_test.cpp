// Loading a track from its files: land pieces and their types, the section
// entries' visible flags, the section meshes as the queries see them, and
// the damaged files that are refused with one message and nothing kept.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "tests/world/track_fixture.h"
#include "tools/course_set.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

using kelvdata::TrackSet;

const char kTrackError[] = "Error loading track.\nPlease reinstall Kelvarro.";
const char kTrackFileError[] = "File error opening track data.\nPlease reinstall Kelvarro.";
const char kFieldFileError[] = "File error opening height field data.\nPlease reinstall Kelvarro.";

class TrackLoadTest : public kelvtest::TrackTest {};

TEST(LandPieceType, ComesFromTheFileNameWithT1First) {
  const struct {
    const char* name;
    LandPieceType type;
  } cases[] = {{"XT1T2", LAND_PIECE_BLENDED}, {"T2", LAND_PIECE_ADDITIVE}, {"t1", LAND_PIECE_SOLID},
               {"DATA\\TRACK\\ROCKS.LND", LAND_PIECE_SOLID}};
  for (const auto& c : cases) EXPECT_EQ(LandPieceTypeFromName(c.name), c.type) << c.name;
}

TEST_F(TrackLoadTest, LoadsEveryPartOfTheStraightTrack) {
  Track track;
  ASSERT_TRUE(LoadSet(&track, kelvdata::StraightTrackSet(4)));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(track.sectionCount, 4);
  EXPECT_EQ(track.landPieceCount, 1);
  EXPECT_EQ(track.meshCounts[0], 4);
  EXPECT_EQ(track.landPieceTypes[0], LAND_PIECE_SOLID);
  EXPECT_EQ(track.fieldWidth, 5u);
  EXPECT_FLOAT_EQ(track.fieldCell, 10.0f);
  const TrackSection& s = track.sections[2];
  EXPECT_EQ(s.TriangleCount(), 16);
  // Welding keeps each of the 15 grid points once.
  EXPECT_EQ(s.vertexCount, 15);
  EXPECT_EQ(s.pieceVisible[0], 1);
  EXPECT_EQ(s.pieceMesh[0], 2);
  // The first side at x = 2, its normal pointing across to x = -2.
  EXPECT_FLOAT_EQ(s.sidePoint1.x, 2.0f);
  EXPECT_FLOAT_EQ(s.sideNormal1.x, -1.0f);
  EXPECT_FLOAT_EQ(s.direction.z, 1.0f);
  // Nodes: the middle of the first cross line.
  EXPECT_FLOAT_EQ(track.nodes[2].centre.z, 8.0f);
  EXPECT_FLOAT_EQ(track.nodes[2].halfWidth, 2.0f);
  EXPECT_FLOAT_EQ(track.nodes[2].across.x, 1.0f);
}

// Each file triangle's centre is found in that triangle after the loader has
// reversed the indices and swapped the records: a mistake in either, or in
// the one-winding inside test, loses it.
TEST_F(TrackLoadTest, FindsEveryFileTriangleAtItsCentre) {
  const TrackSet set = kelvdata::StraightTrackSet(2);
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  for (int s = 0; s < 2; ++s) {
    const kelvdata::SectionMesh& mesh = set.track.sections[s].mesh;
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
      const kelvdata::SectionTriangle& tri = mesh.triangles[t];
      Vector3 p(0.0f, 0.0f, 0.0f);
      for (std::uint16_t i : {tri.i0, tri.i1, tri.i2}) {
        p.x += mesh.vertices[i].x / 3.0f;
        p.z += mesh.vertices[i].z / 3.0f;
      }
      std::uint16_t triangle = 0;
      EXPECT_TRUE(track.sections[s].FindTriangle(&p, 16, &triangle)) << s << " " << t;
      EXPECT_EQ(triangle, t);
    }
  }
}

TEST_F(TrackLoadTest, CornersKeepTheirOwnColourAndCoordinates) {
  TrackSet set = kelvdata::StraightTrackSet(1);
  // Mark the file vertex of one corner by its colour.
  kelvdata::SectionMesh& mesh = set.track.sections[0].mesh;
  const std::uint16_t marked = mesh.triangles[3].i0;
  mesh.vertices[marked].r = 0.5f;
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  const TrackSection& s = track.sections[0];
  // Corner 0 of triangle 3 is the file's i0, with its position and colour.
  const Vector3& p = s.positions[s.indices[9]];
  EXPECT_EQ(p.x, mesh.vertices[marked].x);
  EXPECT_EQ(p.z, mesh.vertices[marked].z);
  EXPECT_EQ(s.attributes[9].colour, 0xFF7FFFFFu);
}

TEST_F(TrackLoadTest, AnAbsentPieceHasNoMeshIndexInTheFile) {
  TrackSet set = kelvdata::StraightTrackSet(3);
  set.track.landPieces = {"DATA\\TRACK\\A.LND", "DATA\\TRACK\\BT1.LND", "DATA\\TRACK\\CT2.LND"};
  set.pieces = {set.pieces[0], set.pieces[0], set.pieces[0]};
  for (auto& s : set.track.sections) s.pieces = {{0, 0}, {1, 2}, {0, 0}};
  set.track.sections[1].pieces = {{1, 1}, {0, 0}, {1, 0}};
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  EXPECT_EQ(track.landPieceTypes[1], LAND_PIECE_BLENDED);
  EXPECT_EQ(track.landPieceTypes[2], LAND_PIECE_ADDITIVE);
  for (int s : {0, 2}) {
    EXPECT_EQ(track.sections[s].pieceVisible[0], 0);
    EXPECT_EQ(track.sections[s].pieceVisible[1], 1);
    EXPECT_EQ(track.sections[s].pieceMesh[1], 2);
    EXPECT_EQ(track.sections[s].pieceVisible[2], 0);
  }
  EXPECT_EQ(track.sections[1].pieceMesh[0], 1);
  EXPECT_EQ(track.sections[1].pieceVisible[1], 0);
  EXPECT_EQ(track.sections[1].pieceVisible[2], 1);
}

TEST_F(TrackLoadTest, RefusesDamagedFilesWithOneMessage) {
  struct Case {
    const char* what;
    std::function<void(TrackSet*)> damage;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"wrong track magic", [](TrackSet* s) { s->track.magic = "QTRK0200"; }, kTrackError},
      {"more than ten land pieces", [](TrackSet* s) { s->track.landPieceCount = 11; }, kTrackError},
      {"no sections", [](TrackSet* s) { s->track.sections.clear(); }, kTrackError},
      {"more sections than bytes", [](TrackSet* s) { s->track.sectionCount = 4000; }, kTrackError},
      {"a mesh index past the piece's meshes", [](TrackSet* s) { s->track.sections[1].pieces[0].mesh = 3; },
       kTrackError},
      {"an index count not a multiple of 3",
       [](TrackSet* s) {
         s->track.sections[0].mesh.indexCount = 47;
         s->track.sections[0].mesh.vertexCount = 47;
       },
       kTrackError},
      {"vertex and index counts apart", [](TrackSet* s) { s->track.sections[0].mesh.vertexCount = 45; }, kTrackError},
      {"an index past the vertices", [](TrackSet* s) { s->track.sections[2].mesh.triangles[5].i1 = 48; },
       kTrackError},
      {"a NaN in a plane", [](TrackSet* s) { s->track.sections[0].mesh.triangles[0].a = NAN; }, kTrackError},
      {"a string without its NUL", [](TrackSet* s) { s->track.groundTexture.terminated = false; }, kTrackError},
      {"a string longer than the file", [](TrackSet* s) { s->track.alternativeTrackObjects.length = 100000; },
       kTrackError},
      {"a missing land piece", [](TrackSet* s) { s->pieces.clear(); }, kTrackError},
      {"wrong land-piece magic", [](TrackSet* s) { s->pieces[0].magic = "QLND0101"; }, kTrackError},
      {"more meshes than bytes", [](TrackSet* s) { s->pieces[0].meshCount = 60000; }, kTrackError},
      {"a missing track-object file", [](TrackSet* s) { s->track.trackObjects = "DATA\\TRACK\\NONE.TOB"; },
       kTrackError},
      {"an emitter's codes past the end", [](TrackSet* s) { s->objects.emitterCount = 1; }, kTrackError},
      {"a field one point wide", [](TrackSet* s) { s->field.width = 1; }, kTrackError},
      {"a field one point high", [](TrackSet* s) { s->field.height = 1; }, kTrackError},
      {"a field shorter than its grid", [](TrackSet* s) { s->field.heights.resize(24); }, kTrackError},
      {"a field with a NaN", [](TrackSet* s) { s->field.heights[7] = NAN; }, kTrackError},
      {"nothing damaged", [](TrackSet*) {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackSet set = kelvdata::StraightTrackSet(3);
    c.damage(&set);
    platform::ClearRecordedMessageBoxes();
    Track track;
    const bool loaded = LoadSet(&track, set);
    if (c.message == nullptr) {
      EXPECT_TRUE(loaded);
      continue;
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Boxes(), std::vector<std::string>{c.message});
  }
}

TEST_F(TrackLoadTest, MissingFilesAreNamedByKind) {
  OpenTrackArchive(kelvdata::TrackSetMembers(kelvdata::StraightTrackSet(2)));
  Track missing;
  EXPECT_FALSE(missing.Load("DATA\\TRACK\\OTHER.TRK"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kTrackFileError});

  platform::ClearRecordedMessageBoxes();
  std::vector<kelvdata::BbfMember> members = kelvdata::TrackSetMembers(kelvdata::StraightTrackSet(2));
  members.erase(members.begin() + 1);  // the height field
  OpenTrackArchive(members);
  Track noField;
  EXPECT_FALSE(noField.Load(kelvdata::SAMPLE_TRACK));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kFieldFileError});
}

TEST_F(TrackLoadTest, LoadsTheSyntheticCourse) {
  OpenTrackArchive(kelvdata::CourseMembers());
  Track track;
  ASSERT_TRUE(track.Load(kelvdata::COURSE_TRACK));
  EXPECT_EQ(track.sectionCount, kelvdata::COURSE_SECTIONS);
  for (int s = 0; s < track.sectionCount; ++s) EXPECT_GE(track.sections[s].TriangleCount(), 7);
  EXPECT_EQ(track.landPieceCount, 2);
  EXPECT_NE(track.landPieceTextures[0], 0);
  EXPECT_NE(track.texture, 0);
  EXPECT_EQ(track.sounds.size(), 2u);
  // Every node and marker corner lies over the ground mesh: no query of the
  // load had to give up.
  for (const std::string& line : DebugLines()) EXPECT_EQ(line, "Fallita getheight parziale!\n");
  // Riders start on triangle hint 6 at node 10: the ground is found there
  // from the first query, at the course's height.
  platform::ClearRecordedDebugOutput();
  for (int s = 0; s < track.sectionCount; ++s) {
    std::uint16_t section = static_cast<std::uint16_t>(s);
    std::uint16_t triangle = 6;
    float height = -100.0f;
    ASSERT_TRUE(track.getheight(&track.nodes[s].centre, &section, &triangle, &height, true)) << s;
    EXPECT_NEAR(height, kelvdata::CourseHeight(static_cast<float>(s)), 0.01f) << s;
  }
  EXPECT_TRUE(DebugLines().empty());

  // Borders at both sides: inside on the centre line, outside a metre past
  // either edge, pushed back towards the centre. The straight borders lie
  // a little inside an edge that bows out and slant where the course
  // narrows.
  int left = 0;
  int right = 0;
  for (int s = 0; s < track.sectionCount; ++s) {
    const TrackNode& n = track.nodes[s];
    const Vector3 across = n.across / std::sqrt(LengthSquared(n.across));
    Vector3 normal;
    float depth = 0.0f;
    EXPECT_TRUE(track.TestBorders(static_cast<std::uint16_t>(s), &normal, n.centre, &depth)) << s;
    const float edge = kelvdata::CourseHalfWidth(static_cast<float>(s)) + 1.0f;
    for (float side : {edge, -edge}) {
      const Vector3 out = n.centre + side * across;
      EXPECT_FALSE(track.TestBorders(static_cast<std::uint16_t>(s), &normal, out, &depth)) << s << " " << side;
      EXPECT_LT(Dot(normal, side * across), 0.0f) << s << " " << side;
      EXPECT_GE(depth, 0.8f) << s << " " << side;
      EXPECT_LE(depth, 1.6f) << s << " " << side;
    }
    // Which way the course turns from this section to the next.
    const Vector3& d0 = track.sections[s].direction;
    const Vector3& d1 = track.sections[(s + 1) % track.sectionCount].direction;
    const float turn = d0.x * d1.z - d0.z * d1.x;
    left += turn > 0.01f ? 1 : 0;
    right += turn < -0.01f ? 1 : 0;
  }
  EXPECT_GT(left, 10);
  EXPECT_GT(right, 10);
}

// Whatever a section's borders keep in stands over the ridden ground: on
// the outside of a bend, where the straight border line and the mesh's edge
// part, and on the line where a lap ends and the next begins. A point there
// over no triangle leaves the rider on the height it had, frame after frame.
TEST_F(TrackLoadTest, EveryPointInsideACoursesBordersIsOverItsGround) {
  std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
  for (kelvdata::BbfMember& m : kelvdata::ExtraCourseMembers()) members.push_back(std::move(m));
  OpenTrackArchive(members);
  for (int c = 0; c < kelvdata::DATA_SET_COURSE_COUNT; ++c) {
    const kelvdata::DataSetCourse& course = kelvdata::DataSetCourseOf(c);
    Track track;
    ASSERT_TRUE(track.Load(course.track)) << course.name;
    int inside = 0;
    int missed = 0;
    for (int s = 0; s < track.sectionCount; ++s) {
      // Cross lines along the section, from its first line on, reaching a
      // metre past the edges.
      for (int f = 0; f < 5; ++f) {
        const float along = static_cast<float>(s) + 0.2f * static_cast<float>(f);
        float x = 0.0f, z = 0.0f, x1 = 0.0f, z1 = 0.0f;
        course.shape.point(along, &x, &z);
        course.shape.point(along + 0.01f, &x1, &z1);
        const float l = std::sqrt((x1 - x) * (x1 - x) + (z1 - z) * (z1 - z));
        const float reach = course.shape.halfWidth(along) + 1.0f;
        for (float o = -reach; o <= reach; o += 0.1f) {
          const Vector3 p(x + (z1 - z) / l * o, 0.0f, z - (x1 - x) / l * o);
          Vector3 normal;
          float depth = 0.0f;
          if (!track.TestBorders(static_cast<std::uint16_t>(s), &normal, p, &depth)) continue;
          ++inside;
          std::uint16_t section = static_cast<std::uint16_t>(s);
          std::uint16_t triangle = 6;
          float height = 0.0f;
          if (!track.getheight(&p, &section, &triangle, &height, true)) {
            ++missed;
            ADD_FAILURE_AT(__FILE__, __LINE__) << course.name << " section " << s << ": (" << p.x << ", " << p.z
                                               << ") is inside the borders over no ground";
            if (missed > 5) return;
          }
        }
      }
    }
    EXPECT_GT(inside, track.sectionCount * 5 * 50) << course.name;
    // The race stands trackside cameras at a node's edges, a half width
    // along its across vector from its centre: there is ground there too.
    for (int s = 0; s < track.sectionCount; ++s) {
      const TrackNode& n = track.nodes[s];
      for (float side : {n.halfWidth, -n.halfWidth}) {
        const Vector3 p = n.centre + side * n.across;
        std::uint16_t section = static_cast<std::uint16_t>(s);
        std::uint16_t triangle = 0;
        float height = 0.0f;
        EXPECT_TRUE(track.getheight(&p, &section, &triangle, &height, true))
            << course.name << " node " << s << ": its edge (" << p.x << ", " << p.z << ") is over no ground";
      }
    }
  }
}

}  // namespace
