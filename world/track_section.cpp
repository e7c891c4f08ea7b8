#include "world/track_section.h"

#include <algorithm>
#include <cstring>

#include "engine/data_reader.h"
#include "engine/renderer.h"
#include "engine/texture_manager.h"
#include "world/track_internal.h"

namespace {

constexpr std::uint64_t kVertexBytes = 52;
constexpr std::uint64_t kTriangleBytes = 31;
// The four ignored bytes and the boundary points, normals and direction.
constexpr std::uint64_t kTailBytes = 4 + 7 * 8;

float FloatAt(const std::uint8_t* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

bool ReadPoint(DataReader* r, Vector3* out) {
  float x = 0.0f;
  float z = 0.0f;
  if (!r->F32(&x) || !r->F32(&z)) return false;
  *out = Vector3(x, 0.0f, z);
  return true;
}

// The vertex-colour quad draw shared by the markers and the tyre marks.
void DrawQuad(const Vector3* corners, const VertexAttribute* attributes, const std::uint16_t* indices,
              ScreenVertex** output, std::uint16_t* emitted) {
  g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
  g_Renderer.SetAlphaTest(false);
  g_TextureManager.Select(0);
  g_GeometryPipeline.objectMatrix = nullptr;
  *emitted = 0;
  const std::uint16_t four = 4;
  g_GeometryPipeline.TransformMesh(1, corners, &four, attributes, indices, 6, output, emitted, nullptr,
                                   Vector3(1.0f, 1.0f, 1.0f));
  if (*emitted != 0 && *emitted % 3 == 0) g_Renderer.DrawTriangles(*emitted, *output);
}

}  // namespace

SectionMarker::SectionMarker() {
  for (Vector3& c : corners) c = Vector3(0.0f, 0.0f, 0.0f);
  for (VertexAttribute& a : attributes) a = VertexAttribute{0, 0.0f, 0.0f};
}

bool SectionMarker::Load(const char*) { return true; }

bool SectionMarker::Update(unsigned, int) { return true; }

bool SectionMarker::Draw() {
  DrawQuad(corners, attributes, indices, &output, &emittedCount);
  return true;
}

void SectionMarker::SetCorners(const Vector3 newCorners[4]) {
  for (int i = 0; i < 4; ++i) corners[i] = newCorners[i];
  for (VertexAttribute& a : attributes) a.colour = 0xFFFF0000u;
  const std::uint16_t order[6] = {0, 1, 2, 0, 2, 3};
  std::copy(order, order + 6, indices);
}

bool TrackSection::Load(DataReader* r) {
  std::uint16_t v = 0;
  std::uint16_t count = 0;
  // The mesh is not indexed in the file: one vertex record per corner, so
  // the counts agree and the record swap below stays inside both arrays.
  // An empty section could answer no query, and a larger one than the
  // pipeline takes could never be drawn.
  if (!r->U16(&v) || !r->U16(&count) || count != v || count == 0 || count % 3 != 0 ||
      count > PIPELINE_MAX_VERTICES)
    return false;
  const std::uint16_t t = static_cast<std::uint16_t>(count / 3);
  if (v * kVertexBytes + t * kTriangleBytes + kTailBytes + 1 > r->Remaining()) return false;
  positions.resize(v);
  attributes.resize(count);
  indices.resize(count);
  surfaces.resize(t);
  indexCount = count;
  vertexCount = v;

  if (!r->Skip(1)) return false;
  std::uint8_t raw[kVertexBytes];
  for (std::uint16_t k = 0; k < v; ++k) {
    if (!r->Bytes(raw, kVertexBytes)) return false;
    float f[13];
    for (int i = 0; i < 13; ++i) f[i] = FloatAt(raw + 4 * i);
    // Floats 7..10 are not read.
    for (int i : {0, 1, 2, 3, 4, 5, 6, 11, 12}) {
      if (!SaneFloat(f[i])) return false;
    }
    positions[k] = Vector3(f[0], f[1], f[2]);
    attributes[k].colour = PackColour(f[6], f[3], f[4], f[5]);
    attributes[k].u = f[11] * sScale;
    attributes[k].v = f[12] * tScale;
  }
  if (!r->Skip(1)) return false;
  for (std::uint16_t k = 0; k < t; ++k) {
    std::uint16_t i[3];
    TrackSurface& s = surfaces[k];
    if (!r->U16(&i[0]) || !r->U16(&i[1]) || !r->U16(&i[2]) || i[0] >= v || i[1] >= v || i[2] >= v) return false;
    if (!r->F32(&s.a) || !r->F32(&s.b) || !r->F32(&s.c) || !r->F32(&s.nx) || !r->F32(&s.ny) || !r->F32(&s.nz) ||
        !r->U8(&s.kind))
      return false;
    // Kept as the game does it: the indices reversed, then the first and
    // last vertex records of the triangle exchanged. Data written with each
    // triangle's indices in falling order keeps every corner's colour and
    // texture coordinates with its position.
    const std::size_t base = 3u * k;
    indices[base] = i[2];
    indices[base + 1] = i[1];
    indices[base + 2] = i[0];
    std::swap(positions[base], positions[base + 2]);
    std::swap(attributes[base], attributes[base + 2]);
  }
  if (!WeldVertices(&positions, indices.data(), indices.size())) return false;
  vertexCount = static_cast<std::uint16_t>(positions.size());

  return r->Skip(1) && ReadPoint(r, &sidePoint1) && ReadPoint(r, &edgePoint1) && ReadPoint(r, &sidePoint2) &&
         ReadPoint(r, &edgePoint2) && r->Skip(1) && ReadPoint(r, &sideNormal1) && ReadPoint(r, &sideNormal2) &&
         r->Skip(1) && ReadPoint(r, &direction);
}

bool TrackSection::FindTriangleFrom(const Vector3* point, std::uint16_t radius, std::uint16_t* triangle,
                                    bool hintTested) const {
  const int count = TriangleCount();
  const int b = std::min<int>(radius, count);
  const int h = *triangle;
  const float px = point->x;
  const float pz = point->z;
  auto inside = [&](int c) { return c >= 0 && c < count && Holds(c, px, pz); };
  int found = -1;
  if (!hintTested && inside(h)) {
    found = h;
  } else {
    for (int d = 1; d <= b && found < 0; ++d) {
      if (inside(h + d)) {
        found = h + d;
      } else if (inside(h - d)) {
        found = h - d;
      }
    }
    if (found < 0 && inside(h + b + 1)) found = h + b + 1;
  }
  if (found < 0) return false;
  *triangle = static_cast<std::uint16_t>(found);
  return true;
}

bool TrackSection::Draw() {
  emittedCount = 0;
  if (indexCount == 0) return true;
  const std::uint16_t size = vertexCount;
  g_GeometryPipeline.TransformMesh(1, positions.data(), &size, attributes.data(), indices.data(), indexCount, &output,
                                   &emittedCount, nullptr, Vector3(1.0f, 1.0f, 1.0f));
  if (emittedCount != 0 && emittedCount % 3 == 0) g_Renderer.DrawTriangles(emittedCount, output);
  return true;
}

void TrackSection::SetCentre(float x, float y, float z) { centre = Vector3(x, y, z); }

void TrackSection::SetMarkerCorners(const Vector3 corners[4]) { marker.SetCorners(corners); }

bool TrackSection::DrawMarker() { return marker.Draw(); }

// Shared with the tyre marks.
void DrawVertexColourQuad(const Vector3* corners, const VertexAttribute* attributes, const std::uint16_t* indices,
                          ScreenVertex** output, std::uint16_t* emitted) {
  DrawQuad(corners, attributes, indices, output, emitted);
}
