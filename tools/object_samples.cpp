#include "tools/object_samples.h"

#include <cmath>

#include "tools/tex.h"

namespace kelvdata {

namespace {

struct V3 {
  float x, y, z;
};

V3 Add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 Scale(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

LitMeshVertex Corner(V3 p, const float rgb[3], float u, float v) {
  return {p.x, p.y, p.z, rgb[0], rgb[1], rgb[2], 1.0f, u, v};
}

// One square face: centre c, outward normal n, up axis u, half size h, cut
// into cells x cells quads, each two triangles facing out.
void AddFace(std::vector<LitMeshVertex>* out, V3 c, V3 n, V3 up, float h, int cells, const float rgb[3]) {
  const V3 right = Cross(n, up);  // so that right x up points inward and the corners run outward
  const float step = 2.0f * h / static_cast<float>(cells);
  for (int row = 0; row < cells; ++row) {
    for (int col = 0; col < cells; ++col) {
      const float x0 = -h + step * static_cast<float>(col);
      const float y0 = h - step * static_cast<float>(row);
      const auto at = [&](float x, float y) { return Add(c, Add(Scale(right, x), Scale(up, y))); };
      const float u0 = static_cast<float>(col) / static_cast<float>(cells);
      const float v0 = static_cast<float>(row) / static_cast<float>(cells);
      const float du = 1.0f / static_cast<float>(cells);
      const LitMeshVertex tl = Corner(at(x0, y0), rgb, u0, v0);
      const LitMeshVertex tr = Corner(at(x0 + step, y0), rgb, u0 + du, v0);
      const LitMeshVertex bl = Corner(at(x0, y0 - step), rgb, u0, v0 + du);
      const LitMeshVertex br = Corner(at(x0 + step, y0 - step), rgb, u0 + du, v0 + du);
      for (const LitMeshVertex& v : FileTriangle(tl, tr, bl)) out->push_back(v);
      for (const LitMeshVertex& v : FileTriangle(tr, br, bl)) out->push_back(v);
    }
  }
}

Matrix TurnY(float angle) {
  Matrix m = IdentityMatrix();
  m[0] = std::cos(angle);
  m[2] = -std::sin(angle);
  m[8] = std::sin(angle);
  m[10] = std::cos(angle);
  return m;
}

}  // namespace

std::vector<LitMeshVertex> FileTriangle(const LitMeshVertex& c0, const LitMeshVertex& c1, const LitMeshVertex& c2) {
  LitMeshVertex first = c0;
  LitMeshVertex last = c2;
  for (float LitMeshVertex::*f : {&LitMeshVertex::r, &LitMeshVertex::g, &LitMeshVertex::b, &LitMeshVertex::a,
                                  &LitMeshVertex::u, &LitMeshVertex::v}) {
    first.*f = c2.*f;
    last.*f = c0.*f;
  }
  return {first, c1, last};
}

LitMeshRecord SampleBox(float half, float cx, float cy, float cz, bool withBox) {
  static const float kColours[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}};
  const V3 normals[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
  const V3 ups[6] = {{0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
  const V3 centre = {cx, cy, cz};
  std::vector<LitMeshVertex> vertices;
  for (int f = 0; f < 6; ++f) AddFace(&vertices, Add(centre, Scale(normals[f], half)), normals[f], ups[f], half, 1, kColours[f]);
  return MakeLitMesh(vertices, withBox);
}

LitMeshRecord SamplePlane(float half, float z, int cells, bool withBox) {
  static const float kWhite[3] = {1, 1, 1};
  std::vector<LitMeshVertex> vertices;
  AddFace(&vertices, {0, 0, z}, {0, 0, -1}, {0, 1, 0}, half, cells, kWhite);
  return MakeLitMesh(vertices, withBox);
}

MeshAnimationFile SampleSpin(int nodes, int keys) {
  MeshAnimationFile f;
  f.sequences = {{static_cast<std::uint16_t>(keys), 1000, 1}, {4, 500, 1}, {2, 500, 0}};
  for (int n = 0; n < nodes; ++n) {
    std::vector<Matrix> k;
    for (int i = 0; i < keys; ++i) k.push_back(TurnY(6.2831853f * static_cast<float>(i) / static_cast<float>(keys)));
    for (float y : {0.0f, 0.25f, 0.0f, -0.25f}) k.push_back(TranslationMatrix(0.0f, y, 0.0f));
    for (float y : {0.0f, 1.0f}) k.push_back(TranslationMatrix(0.0f, y, 0.0f));
    f.nodeKeys.push_back(k);
  }
  return f;
}

UvAnimationFile SampleScroll(int meshes) {
  UvAnimationFile f;
  f.sequences = {{4, 1000, 1}};
  for (int m = 0; m < meshes; ++m) f.meshKeys.push_back({{0.0f, 0.0f}, {0.25f, 0.0f}, {0.5f, 0.0f}, {0.75f, 0.0f}});
  return f;
}

SkinnedObjectFile SampleSkinned(const std::string& texture) {
  SkinnedObjectFile f;
  f.texture = texture;
  f.mesh = SampleBox(1.0f, 0.0f, 0.0f, 0.0f, false);
  SkinnedNode root;
  root.parent = -1;
  root.vertexCount = 18;
  root.groups = {{{{3, 1.0f}}, {0, 1, 2}}, {{{2, 0.5f}, {2, 0.0f}}, {0, 1, 1, 0}}, {{}, {2}}};
  root.poses = {TranslationMatrix(0, 0, 0), TranslationMatrix(0, 1, 0), TranslationMatrix(0, 2, 0)};
  SkinnedNode child;
  child.parent = 0;
  child.vertexCount = 18;
  child.groups = {{{{2, 2.0f}}, {1, 0}}};
  child.poses = {TranslationMatrix(1, 0, 0), TranslationMatrix(-1, 0, 0)};
  f.nodes = {root, child};
  return f;
}

Bytes SampleCheckerTexture() {
  return BuildTex(64, 64, [](int x, int y) {
    return ((x / 8) + (y / 8)) % 2 ? Rgb{230, 200, 60} : Rgb{40, 90, 160};
  });
}

std::vector<BbfMember> DataSetObjectMembers() {
  PlainObjectFile box;
  box.texture = "NULL";
  box.meshes = {SampleBox(1.0f, 0.0f, 0.0f, 0.0f, true)};

  PlainObjectFile plane;
  plane.texture = "DATA\\UI\\OBJPLANE.TEX";
  plane.meshes = {SamplePlane(1.0f, 0.0f, 4, true)};

  PlainObjectFile spin;
  spin.texture = "DATA\\UI\\OBJPLANE.TEX";
  spin.meshes = {SampleBox(0.5f, 0.0f, 0.0f, 0.0f, true), SamplePlane(1.0f, 1.5f, 2, true)};
  spin.hasMeshAnimation = 1;
  spin.meshAnimation = "DATA\\UI\\SPIN.ANM";
  spin.hasUvAnimation = 1;
  spin.uvAnimation = "DATA\\UI\\SCROLL.UVA";

  return {{"BOX.ACT", BuildPlainObjectFile(box)},
          {"PLANE.ACT", BuildPlainObjectFile(plane)},
          {"OBJPLANE.TEX", SampleCheckerTexture()},
          {"SPIN.ACT", BuildPlainObjectFile(spin)},
          {"SPIN.ANM", BuildMeshAnimationFile(SampleSpin(2, 16))},
          {"SCROLL.UVA", BuildUvAnimationFile(SampleScroll(2))}};
}

}  // namespace kelvdata
