// The starting-grid screen's pictures of a round's course, 3D objects of
// the UI archive seen by the front end's camera from (0, 0, -39.5) down +z:
// DATA\UI\03C01Onn.ACT with nn = round + 1 is the course's map seen from
// above, with the start line in red, in the upper middle of the screen;
// nn = round + 13 is its height along one lap, under the map. The screen
// multiplies them into its background, so the ink is dark.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/course_set.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/tex.h"

namespace kelvdata {

namespace {

constexpr const char* kInkTexture = "DATA\\UI\\03C01INK.TEX";

LitMeshVertex At(float x, float y, float u) { return {x, y, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, u, 0.5f}; }

// Two triangles bl, tl, br and br, tl, tr, each facing the camera when bl,
// tl, br does; u 0.25 takes the ink, 0.75 the red.
void Quad(std::vector<LitMeshVertex>* out, LitMeshVertex bl, LitMeshVertex tl, LitMeshVertex br, LitMeshVertex tr) {
  for (const LitMeshVertex& v : FileTriangle(bl, tl, br)) out->push_back(v);
  for (const LitMeshVertex& v : FileTriangle(br, tl, tr)) out->push_back(v);
}

// The camera-facing winding of a quad whatever the order of its corners:
// (c1 - c0) x (c2 - c0) must point towards -z.
void FacingQuad(std::vector<LitMeshVertex>* out, LitMeshVertex a, LitMeshVertex b, LitMeshVertex c, LitMeshVertex d) {
  // a, b one edge; c, d the other, in the same direction.
  const float z = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (z < 0.0f) {
    Quad(out, a, b, c, d);
  } else {
    Quad(out, b, a, d, c);
  }
}

Bytes MapObject(const DataSetCourse& course) {
  const CourseShape& shape = course.shape;
  const int steps = shape.sections * 2;
  std::vector<float> xs, zs;
  for (int i = 0; i <= steps; ++i) {
    float x = 0.0f, z = 0.0f;
    shape.point(static_cast<float>(i) * 0.5f, &x, &z);
    xs.push_back(x);
    zs.push_back(z);
  }
  const auto [minX, maxX] = std::minmax_element(xs.begin(), xs.end());
  const auto [minZ, maxZ] = std::minmax_element(zs.begin(), zs.end());
  const float scale = std::min(16.0f / (*maxX - *minX), 8.0f / (*maxZ - *minZ));
  const float cx = (*maxX + *minX) * 0.5f;
  const float cz = (*maxZ + *minZ) * 0.5f;
  auto mapX = [&](float x) { return (x - cx) * scale; };
  auto mapY = [&](float z) { return 4.5f + (z - cz) * scale; };
  const float half = 0.18f;
  std::vector<LitMeshVertex> vertices;
  for (int i = 0; i < steps; ++i) {
    const float dx = xs[i + 1] - xs[i];
    const float dz = zs[i + 1] - zs[i];
    const float l = std::sqrt(dx * dx + dz * dz);
    if (l <= 0.0f) continue;
    const float nx = -dz / l * half;
    const float ny = dx / l * half;
    const float x0 = mapX(xs[i]), y0 = mapY(zs[i]), x1 = mapX(xs[i + 1]), y1 = mapY(zs[i + 1]);
    FacingQuad(&vertices, At(x0 + nx, y0 + ny, 0.25f), At(x1 + nx, y1 + ny, 0.25f), At(x0 - nx, y0 - ny, 0.25f),
               At(x1 - nx, y1 - ny, 0.25f));
  }
  // The start line: a red square over the course.
  const float sx = mapX(xs[0]);
  const float sy = mapY(zs[0]);
  FacingQuad(&vertices, At(sx - 0.4f, sy - 0.4f, 0.75f), At(sx - 0.4f, sy + 0.4f, 0.75f), At(sx + 0.4f, sy - 0.4f, 0.75f),
             At(sx + 0.4f, sy + 0.4f, 0.75f));
  PlainObjectFile f;
  f.texture = kInkTexture;
  f.meshes = {MakeLitMesh(vertices, true)};
  return BuildPlainObjectFile(f);
}

Bytes ProfileObject(const DataSetCourse& course) {
  const CourseShape& shape = course.shape;
  const int steps = shape.sections * 2;
  std::vector<LitMeshVertex> vertices;
  const float base = -4.2f;
  auto x = [&](int i) { return -14.0f + 28.0f * static_cast<float>(i) / static_cast<float>(steps); };
  // Half a metre of height to a unit, over a strip of 0.35 units.
  auto y = [&](int i) { return base + 0.35f + 0.5f * shape.height(static_cast<float>(i) * 0.5f); };
  for (int i = 0; i < steps; ++i) {
    FacingQuad(&vertices, At(x(i), base, 0.25f), At(x(i + 1), base, 0.25f), At(x(i), y(i), 0.25f),
               At(x(i + 1), y(i + 1), 0.25f));
  }
  PlainObjectFile f;
  f.texture = kInkTexture;
  f.meshes = {MakeLitMesh(vertices, true)};
  return BuildPlainObjectFile(f);
}

std::string PreviewName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "03C01O%02d.ACT", number);
  return name;
}

}  // namespace

std::vector<BbfMember> CoursePreviewMembers() {
  std::vector<BbfMember> out;
  // The ink on its left half, the red on its right.
  out.push_back({"03C01INK.TEX", BuildTex(32, 32, [](int x, int) { return x < 16 ? Rgb{48, 40, 36} : Rgb{210, 40, 30}; })});
  for (int round = 0; round < DATA_SET_ROUNDS; ++round) {
    const DataSetCourse& course = DataSetCourseOf(DataSetRoundCourse(round));
    out.push_back({PreviewName(round + 1), MapObject(course)});
    out.push_back({PreviewName(round + 13), ProfileObject(course)});
  }
  return out;
}

}  // namespace kelvdata
