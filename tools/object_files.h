// Writers of the 3D-object formats: lit-mesh records (embedded in object,
// track, rider and shadow files), object files (.ACT, plain and skinned
// forms), and mesh- and UV-animation files. All little-endian; every field is
// written as given, so damaged files can be built as easily as good ones.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

// ---- Lit-mesh record ---------------------------------------------------------
//
//   u16 vertex count V, u16 index count, u8 (unused),
//   V x (x, y, z, r, g, b, a, u, v: f32; colour channels 0..1),
//   u8 (unused), index count x u16,
//   [only when the owner's format has one] bounding box: 8 corners x (x, y, z) f32.

struct LitMeshVertex {
  float x, y, z;
  float r, g, b, a;
  float u, v;
};

using Box = std::array<float, 24>;  // 8 corners x (x, y, z)

struct LitMeshRecord {
  std::uint16_t vertexCount = 0;
  std::uint16_t indexCount = 0;
  std::vector<LitMeshVertex> vertices;  // written as given, whatever the count says
  std::vector<std::uint16_t> indices;
  std::optional<Box> box;               // written when present
};

// A record of the vertices and indices with matching counts (index count 0
// means one index per vertex, in order) and, when `withBox`, the bounding
// box of the positions: corner c = (c & 1 ? max : min) x, (c & 2 ...) y,
// (c & 4 ...) z, so corner 0 is the minimum and corner 7 the maximum.
LitMeshRecord MakeLitMesh(const std::vector<LitMeshVertex>& vertices, bool withBox,
                          const std::vector<std::uint16_t>& indices = {});

void WriteLitMesh(ByteWriter* w, const LitMeshRecord& mesh);

// ---- Object files (.ACT) -------------------------------------------------------

// A string field of the plain form: u32 length (with the NUL), then the
// bytes. The length and the terminating NUL may be overridden for damaged
// files.
struct ActString {
  std::string text;
  std::optional<std::uint32_t> length;  // default: text size + 1
  bool terminated = true;               // false: the last byte is 'X' instead of the NUL

  ActString() = default;
  ActString(const char* t) : text(t) {}
  ActString(std::string t) : text(std::move(t)) {}
};

//   u8 kind (not 'X'), u16 mesh count M, string texture, u8 has mesh
//   animation, u8 has UV animation, u8 additive,
//   M x (u16 unused, lit-mesh record with box),
//   [has mesh animation] u8 unused, string file name,
//   [has UV animation] u8 unused, string file name.
struct PlainObjectFile {
  std::uint8_t kind = 'A';
  std::optional<std::uint16_t> meshCount;  // default: meshes.size()
  ActString texture;
  std::uint8_t hasMeshAnimation = 0;
  std::uint8_t hasUvAnimation = 0;
  std::uint8_t additive = 0;
  std::vector<LitMeshRecord> meshes;
  ActString meshAnimation;
  ActString uvAnimation;
};

Bytes BuildPlainObjectFile(const PlainObjectFile& file);

using Matrix = std::array<float, 16>;  // row-major, row vector times matrix

Matrix IdentityMatrix();
Matrix TranslationMatrix(float x, float y, float z);

// One parameter of a pose group: grid size and value (the first parameter's
// value is the group's cycle time in seconds).
struct PoseParameter {
  std::uint16_t gridSize;
  float value;
};

struct PoseGroupRecord {
  std::vector<PoseParameter> parameters;
  std::vector<std::uint16_t> poses;  // product of the grid sizes, parameter 0 fastest
};

struct SkinnedNode {
  std::vector<PoseGroupRecord> groups;
  std::int32_t parent = -1;
  std::uint16_t vertexCount = 0;  // positions of the mesh that belong to the node
  std::vector<Matrix> poses;
};

//   u8 'X', char[256] texture (NUL-terminated), u16 node count N,
//   N x node pose table (u16 G; G x (u16 P; P x (u16 grid size, f32 value);
//   product of grid sizes x u16 pose)), N x i32 parent, N x u16 vertex count,
//   lit-mesh record without box, N x (u16 K, K x 64-byte matrix).
struct SkinnedObjectFile {
  std::string texture;  // written into the 256-byte field (cut to fit)
  bool textureTerminated = true;  // false: the field is filled with 'X' to its end
  std::vector<SkinnedNode> nodes;
  LitMeshRecord mesh;
};

Bytes BuildSkinnedObjectFile(const SkinnedObjectFile& file);

// Pieces that the rider file shares with the skinned object file.
void WriteActString(ByteWriter* w, const ActString& s);
void WriteMatrix(ByteWriter* w, const Matrix& m);
// Each node's pose groups, then every parent (s32), then every node's
// skinned-mesh position count (u16).
void WriteNodeTables(ByteWriter* w, const std::vector<SkinnedNode>& nodes);
// Each node's pose count and pose matrices.
void WriteNodePoses(ByteWriter* w, const std::vector<SkinnedNode>& nodes);

// A skinned object whose nodes 0 .. depth form one chain (node i hangs below
// node i - 1), `depth` deep, followed by the further roots that the parents'
// local matrices need (one per root node, and every parent must have one):
// 2 x depth nodes, or 2 when depth is 0. Node 0 owns one triangle; every node
// has one pose (the identity) and one single-point pose group.
SkinnedObjectFile SkinnedChain(const std::string& texture, std::uint16_t depth);

// ---- Animation files -------------------------------------------------------------

struct AnimationSequence {
  std::uint16_t keys;
  std::uint16_t durationMs;
  std::uint8_t loop;
};

//   u16 node count N, u16 key count K, u16 sequence count S,
//   S x (u16 keys, u16 duration ms, u8 loop),
//   N x (u16, u16, u8 unused; K x 64-byte matrix).
struct MeshAnimationFile {
  std::optional<std::uint16_t> nodeCount;  // default: nodeKeys.size()
  std::optional<std::uint16_t> keyCount;   // default: the sequences' keys added
  std::vector<AnimationSequence> sequences;
  std::vector<std::vector<Matrix>> nodeKeys;  // per node, its keys in sequence order
};

Bytes BuildMeshAnimationFile(const MeshAnimationFile& file);

//   u16 mesh count N, u16 key count K, u16 sequence count S,
//   S x (u16 keys, u16 duration ms, u8 loop),
//   N x (u16, u8 unused; K x (f32 u, f32 v)).
struct UvAnimationFile {
  std::optional<std::uint16_t> meshCount;
  std::optional<std::uint16_t> keyCount;
  std::vector<AnimationSequence> sequences;
  std::vector<std::vector<std::array<float, 2>>> meshKeys;  // per mesh, (u, v) per key
};

Bytes BuildUvAnimationFile(const UvAnimationFile& file);

}  // namespace kelvdata
