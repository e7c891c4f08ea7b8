// Track data built from shapes: strips of triangles between cross lines,
// turned into section meshes and land-piece meshes with the corner order and
// planes the game expects, and the synthetic data set's course.
#pragma once

#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/tex.h"
#include "tools/track_files.h"

namespace kelvdata {

// One point of a cross line, with its texture coordinates and a grey shade
// (0..1) for the vertex colour.
struct StripPoint {
  float x, y, z;
  float u, v;
  float shade = 1.0f;
};

using CrossLine = std::vector<StripPoint>;

// The triangles between consecutive cross lines (each of the same number of
// points), column by column: two per quad, each wound clockwise seen from above (x right, z
// up), written with its indices in falling order so that every corner keeps
// its colour and coordinates. The plane of each triangle is its own, the
// normal points up, the kind is `kind`. The edge points lie `edgeInset`
// inside the first line's ends and the direction runs from the first line's
// middle to the last line's. Each border runs along the chord between its
// side's first and last end points, its normal across it towards the other
// side, moved in far enough that no end point on that side is inside it, and
// `borderInset` further: a point that the borders keep in is over the strip.
SectionMesh StripSectionMesh(const std::vector<CrossLine>& lines, std::uint8_t kind, float borderInset = 0.0f,
                             float edgeInset = 0.0f);

// The same triangles as an unindexed lit-mesh record (no box), for land
// pieces.
LitMeshRecord StripLitMesh(const std::vector<CrossLine>& lines);

// A small track and the files it names, for tests and seeds: members
// "SAMPLE.TRK", "SAMPLE.HFD", "SAMPLE.TOB", one member per land piece named
// as in the track file (without its folder) and the texture named "NULL"
// (no file). Change any part before building the members.
struct TrackSet {
  TrackFile track;
  std::vector<LandPieceFile> pieces;  // in the track file's order
  HeightFieldFile field;
  TrackObjectFile objects;
};
inline constexpr const char* SAMPLE_TRACK = "DATA\\TRACK\\SAMPLE.TRK";

// A straight, flat course along +z: `sections` sections of 4 m, each 4 m
// wide (x from -2 to 2) with cross lines every 2 m and four quads across,
// so sixteen triangles a section (ground height 0, kind 1); one solid land
// piece DATA\TRACK\PIECE.LND with one mesh per section; a 5 x 5 field
// of 10 m cells from (-20, -20) at height -1; no emitters.
TrackSet StraightTrackSet(int sections);
std::vector<BbfMember> TrackSetMembers(const TrackSet& set);

// The synthetic course: a closed loop of COURSE_SECTIONS sections (sixteen
// triangles each, 8 m wide, 25 m at the start for the grid) around a
// rounded triangle whose sides bend inwards, so it turns both ways; a hill,
// and a kicker whose lip drops sharply; banks of dirt and fields of grass at
// both sides; a height field under the whole area; a looping sound tied to a
// section and a random one.
constexpr int COURSE_SECTIONS = 100;
inline constexpr const char* COURSE_TRACK = "DATA\\TRACK\\COURSE.TRK";
// Sections of the hill's top and of the kicker's lip.
constexpr int COURSE_HILL_TOP = 20;
constexpr int COURSE_KICKER_LIP = 62;

// The centre of the course at `s` sections along it (0..COURSE_SECTIONS),
// the height of the ground there and the half width of the ridden strip.
void CoursePoint(float s, float* x, float* z);
float CourseHeight(float s);
float CourseHalfWidth(float s);

// The members the course adds to DATA\TRACK.BBF.
std::vector<BbfMember> CourseMembers();

// Any course built the same way: a closed centre line, the ground height
// along it and the half width of the ridden strip (banks of 3 m and fields
// of 20 m beyond it), all at `s` sections along the course (0..sections).
struct CourseShape {
  int sections;
  void (*point)(float s, float* x, float* z);
  float (*height)(float s);
  float (*halfWidth)(float s);
};

// The member names of a course: STEM.TRK, STEM.HFD and STEM.TOB, its two
// land pieces, and the data paths of the textures they name.
struct CourseFiles {
  std::string stem;
  std::string grassPiece;
  std::string bankPiece;
  std::string groundTexture;
  std::string grassTexture;
  std::string bankTexture;
};

// The track file and land pieces of a shape; the height field and the
// emitters are the caller's to fill.
struct CourseTrack {
  TrackFile track;
  LandPieceFile grass;
  LandPieceFile banks;
  HeightFieldFile field;
  TrackObjectFile sounds;
};
CourseTrack BuildCourseTrack(const CourseShape& shape, const CourseFiles& files);
std::vector<BbfMember> CourseTrackMembers(const CourseTrack& course, const CourseFiles& files);

// The course textures' speckled look: `base` varied by `spread` (0..1),
// with darker ruts along v when `ruts`.
Bytes CourseNoiseTex(int size, Rgb base, float spread, int seed, bool ruts);

}  // namespace kelvdata
