#include "tools/object_files.h"

#include <algorithm>

namespace kelvdata {

void WriteActString(ByteWriter* w, const ActString& s) {
  std::uint32_t length = s.length ? *s.length : static_cast<std::uint32_t>(s.text.size() + 1);
  w->U32(length);
  w->Raw(s.text.data(), s.text.size());
  w->U8(s.terminated ? 0 : 'X');
}

void WriteMatrix(ByteWriter* w, const Matrix& m) {
  for (float f : m) w->F32(f);
}

void WriteNodeTables(ByteWriter* w, const std::vector<SkinnedNode>& nodes) {
  for (const SkinnedNode& n : nodes) {
    w->U16(static_cast<std::uint16_t>(n.groups.size()));
    for (const PoseGroupRecord& g : n.groups) {
      w->U16(static_cast<std::uint16_t>(g.parameters.size()));
      for (const PoseParameter& p : g.parameters) {
        w->U16(p.gridSize);
        w->F32(p.value);
      }
      for (std::uint16_t pose : g.poses) w->U16(pose);
    }
  }
  for (const SkinnedNode& n : nodes) w->S32(n.parent);
  for (const SkinnedNode& n : nodes) w->U16(n.vertexCount);
}

void WriteNodePoses(ByteWriter* w, const std::vector<SkinnedNode>& nodes) {
  for (const SkinnedNode& n : nodes) {
    w->U16(static_cast<std::uint16_t>(n.poses.size()));
    for (const Matrix& m : n.poses) WriteMatrix(w, m);
  }
}

namespace {

void WriteSequences(ByteWriter* w, const std::vector<AnimationSequence>& sequences) {
  for (const AnimationSequence& s : sequences) {
    w->U16(s.keys);
    w->U16(s.durationMs);
    w->U8(s.loop);
  }
}

std::uint16_t KeysOf(const std::vector<AnimationSequence>& sequences) {
  std::uint32_t keys = 0;
  for (const AnimationSequence& s : sequences) keys += s.keys;
  return static_cast<std::uint16_t>(keys);
}

}  // namespace

LitMeshRecord MakeLitMesh(const std::vector<LitMeshVertex>& vertices, bool withBox,
                          const std::vector<std::uint16_t>& indices) {
  LitMeshRecord m;
  m.vertices = vertices;
  if (indices.empty()) {
    for (std::size_t i = 0; i < vertices.size(); ++i) m.indices.push_back(static_cast<std::uint16_t>(i));
  } else {
    m.indices = indices;
  }
  m.vertexCount = static_cast<std::uint16_t>(vertices.size());
  m.indexCount = static_cast<std::uint16_t>(m.indices.size());
  if (withBox && !vertices.empty()) {
    float lo[3] = {vertices[0].x, vertices[0].y, vertices[0].z};
    float hi[3] = {lo[0], lo[1], lo[2]};
    for (const LitMeshVertex& v : vertices) {
      const float p[3] = {v.x, v.y, v.z};
      for (int a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], p[a]);
        hi[a] = std::max(hi[a], p[a]);
      }
    }
    Box box;
    for (int c = 0; c < 8; ++c) {
      for (int a = 0; a < 3; ++a) box[c * 3 + a] = (c >> a & 1) ? hi[a] : lo[a];
    }
    m.box = box;
  }
  return m;
}

void WriteLitMesh(ByteWriter* w, const LitMeshRecord& mesh) {
  w->U16(mesh.vertexCount);
  w->U16(mesh.indexCount);
  w->U8(0);
  for (const LitMeshVertex& v : mesh.vertices) {
    for (float f : {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.u, v.v}) w->F32(f);
  }
  w->U8(0);
  for (std::uint16_t i : mesh.indices) w->U16(i);
  if (mesh.box) {
    for (float f : *mesh.box) w->F32(f);
  }
}

Bytes BuildPlainObjectFile(const PlainObjectFile& file) {
  ByteWriter w;
  w.U8(file.kind);
  w.U16(file.meshCount ? *file.meshCount : static_cast<std::uint16_t>(file.meshes.size()));
  WriteActString(&w, file.texture);
  w.U8(file.hasMeshAnimation);
  w.U8(file.hasUvAnimation);
  w.U8(file.additive);
  for (const LitMeshRecord& m : file.meshes) {
    w.U16(0);
    WriteLitMesh(&w, m);
  }
  if (file.hasMeshAnimation) {
    w.U8(0);
    WriteActString(&w, file.meshAnimation);
  }
  if (file.hasUvAnimation) {
    w.U8(0);
    WriteActString(&w, file.uvAnimation);
  }
  return w.Take();
}

Matrix IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix TranslationMatrix(float x, float y, float z) {
  Matrix m = IdentityMatrix();
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

Bytes BuildSkinnedObjectFile(const SkinnedObjectFile& file) {
  ByteWriter w;
  w.U8('X');
  if (file.textureTerminated) {
    w.FixedString(file.texture.substr(0, 255), 256);
  } else {
    std::string filled = file.texture.substr(0, 256);
    filled.resize(256, 'X');
    w.Raw(filled.data(), filled.size());
  }
  w.U16(static_cast<std::uint16_t>(file.nodes.size()));
  WriteNodeTables(&w, file.nodes);
  WriteLitMesh(&w, file.mesh);
  WriteNodePoses(&w, file.nodes);
  return w.Take();
}

SkinnedObjectFile SkinnedChain(const std::string& texture, std::uint16_t depth) {
  SkinnedObjectFile f;
  f.texture = texture;
  f.mesh = MakeLitMesh({{0, 0, 0, 1, 1, 1, 1, 0, 0}, {1, 0, 0, 1, 1, 1, 1, 1, 0}, {0, -1, 0, 1, 1, 1, 1, 0, 1}}, false);
  const std::size_t count = depth == 0 ? 2 : 2u * depth;
  f.nodes.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    SkinnedNode& n = f.nodes[i];
    n.parent = i >= 1 && i <= depth ? static_cast<std::int32_t>(i - 1) : -1;
    n.groups = {{{{1, 1.0f}}, {0}}};
    n.poses = {IdentityMatrix()};
  }
  f.nodes[0].vertexCount = 3;
  return f;
}

Bytes BuildMeshAnimationFile(const MeshAnimationFile& file) {
  ByteWriter w;
  w.U16(file.nodeCount ? *file.nodeCount : static_cast<std::uint16_t>(file.nodeKeys.size()));
  w.U16(file.keyCount ? *file.keyCount : KeysOf(file.sequences));
  w.U16(static_cast<std::uint16_t>(file.sequences.size()));
  WriteSequences(&w, file.sequences);
  for (const std::vector<Matrix>& keys : file.nodeKeys) {
    w.U16(0);
    w.U16(0);
    w.U8(0);
    for (const Matrix& m : keys) WriteMatrix(&w, m);
  }
  return w.Take();
}

Bytes BuildUvAnimationFile(const UvAnimationFile& file) {
  ByteWriter w;
  w.U16(file.meshCount ? *file.meshCount : static_cast<std::uint16_t>(file.meshKeys.size()));
  w.U16(file.keyCount ? *file.keyCount : KeysOf(file.sequences));
  w.U16(static_cast<std::uint16_t>(file.sequences.size()));
  WriteSequences(&w, file.sequences);
  for (const std::vector<std::array<float, 2>>& keys : file.meshKeys) {
    w.U16(0);
    w.U8(0);
    for (const auto& uv : keys) {
      w.F32(uv[0]);
      w.F32(uv[1]);
    }
  }
  return w.Take();
}

}  // namespace kelvdata
