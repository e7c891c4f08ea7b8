// One slice of the ridden ground in course order: a textured, vertex-coloured
// triangle mesh with a height plane per triangle, the side boundaries and
// direction of the slice, which land-piece meshes belong to it, and the
// arrow that marks it when section markers are shown.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/geometry_pipeline.h"
#include "engine/maths.h"
#include "engine/scene_object.h"

class DataReader;

// The most land pieces a section can name.
constexpr int TRACK_MAX_LAND_PIECES = 10;

// One ground triangle's height plane y = a x + b z + c, its normal and the
// surface kind the rider physics reads.
struct TrackSurface {
  float a = 0.0f;
  float b = 0.0f;
  float c = 0.0f;
  float nx = 0.0f;
  float ny = 0.0f;
  float nz = 0.0f;
  std::uint8_t kind = 0;
};

// A quad of two triangles laid flat in the world, drawn in vertex colour
// only; the base of the section arrows and the tyre marks.
class SectionMarker : public SceneObject {
 public:
  SectionMarker();
  bool Load(const char* path) override;
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Copies the corners and makes the quad opaque red.
  void SetCorners(const Vector3 newCorners[4]);

  Vector3 corners[4];
  VertexAttribute attributes[6];
  ScreenVertex* output = nullptr;  // the pipeline's buffer after a draw
  std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
  std::uint16_t emittedCount = 0;
};

class TrackSection {
 public:
  TrackSection() = default;
  TrackSection(const TrackSection&) = delete;
  TrackSection& operator=(const TrackSection&) = delete;

  // Reads the section mesh at the reader's position. False (without a
  // message: the track reports it) for a damaged or truncated record.
  bool Load(DataReader* r);
  // The triangle whose x/z projection holds the point, tried outward from
  // *triangle up to `radius` steps each way; *triangle is replaced by it, or
  // left as it was when none holds the point.
  bool FindTriangle(const Vector3* point, std::uint16_t radius, std::uint16_t* triangle) const {
    return FindTriangleFrom(point, radius, triangle, false);
  }
  // The same, skipping the first candidate when the caller has just found
  // that it does not hold the point.
  bool FindTriangleFrom(const Vector3* point, std::uint16_t radius, std::uint16_t* triangle, bool hintTested) const;
  // The ground mesh with the caller's object matrix, texture and states.
  bool Draw();
  void SetCentre(float x, float y, float z);
  void SetMarkerCorners(const Vector3 corners[4]);
  bool DrawMarker();

  std::uint16_t TriangleCount() const { return static_cast<std::uint16_t>(surfaces.size()); }
  // Whether triangle c (below the count) holds the point in x and z: all
  // three edge values >= 0, so points on an edge count as inside. Only one
  // winding passes.
  bool Holds(int c, float px, float pz) const {
    const Vector3& q0 = positions[indices[3 * c]];
    const Vector3& q1 = positions[indices[3 * c + 1]];
    const Vector3& q2 = positions[indices[3 * c + 2]];
    return EdgeValue(q2, q1, px, pz) >= 0.0f && EdgeValue(q1, q0, px, pz) >= 0.0f &&
           EdgeValue(q0, q2, px, pz) >= 0.0f;
  }
  // (P - a) x (b - a) in x and z. Worked out from the same end of the edge
  // whichever way the triangle runs along it, so that the two triangles
  // sharing an edge get exactly opposite values: rounded from different
  // ends, a point on the edge could come out a hair outside both.
  static float EdgeValue(const Vector3& a, const Vector3& b, float px, float pz) {
    if (b.x < a.x || (b.x == a.x && b.z < a.z)) return -EdgeCross(b, a, px, pz);
    return EdgeCross(a, b, px, pz);
  }
  static float EdgeCross(const Vector3& a, const Vector3& b, float px, float pz) {
    return (pz - a.z) * (b.x - a.x) - (b.z - a.z) * (px - a.x);
  }

  std::vector<TrackSurface> surfaces;  // one per triangle
  SectionMarker marker;
  Vector3 centre = Vector3(0.0f, 0.0f, 0.0f);     // smoothed, set by the track
  std::vector<Vector3> positions;                 // welded
  std::vector<VertexAttribute> attributes;        // one per corner
  ScreenVertex* output = nullptr;                 // the pipeline's buffer after a draw
  std::vector<std::uint16_t> indices;             // three per triangle
  std::uint16_t vertexCount = 0;
  std::uint16_t emittedCount = 0;
  std::uint16_t indexCount = 0;
  // Side boundaries, cross line and direction, all with y = 0. The side
  // normals point into the course.
  Vector3 sideNormal1 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 sideNormal2 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 sidePoint1 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 edgePoint1 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 sidePoint2 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 edgePoint2 = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 direction = Vector3(0.0f, 0.0f, 0.0f);
  // Per land piece: whether the section owns a mesh of it, and which.
  std::uint8_t pieceVisible[TRACK_MAX_LAND_PIECES] = {};
  std::uint16_t pieceMesh[TRACK_MAX_LAND_PIECES] = {};
  // The ground texture's scales, applied to u and v as they are read.
  float sScale = 1.0f;
  float tScale = 1.0f;
};
