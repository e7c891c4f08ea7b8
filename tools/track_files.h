// Writers of the track formats: the track file ("QTRK0100") with its
// section meshes, land-piece files ("QLND0100"), height-field files (.hfd)
// and track-object files of sound emitters. All little-endian; every field
// is written as given, so damaged files can be built as easily as good ones.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/bytes.h"
#include "tools/object_files.h"

namespace kelvdata {

// A string field: u32 length (with the NUL), then the bytes (ActString's
// overrides make damaged ones).
using TrackString = ActString;

// ---- Section mesh (inside each section entry of the track file) -----------
//
//   u16 V, u16 I, u8 (ignored), V x 52-byte vertex, u8 (ignored),
//   I/3 x 31-byte triangle, u8 (ignored), side point 1, edge point 1,
//   side point 2, edge point 2 (x, z f32 each), u8 (ignored), side normal 1,
//   side normal 2 (x, z), u8 (ignored), direction (x, z).

struct SectionVertex {
  float x, y, z;
  float r, g, b, a;        // 0..1
  float unused[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float u, v;
};

struct SectionTriangle {
  std::uint16_t i0, i1, i2;
  float a, b, c;     // height plane y = a x + b z + c
  float nx, ny, nz;  // normal
  std::uint8_t kind;
};

struct PointXZ {
  float x = 0.0f;
  float z = 0.0f;
};

struct SectionMesh {
  std::optional<std::uint16_t> vertexCount;  // default: vertices.size()
  std::optional<std::uint16_t> indexCount;   // default: 3 x triangles.size()
  std::vector<SectionVertex> vertices;
  std::vector<SectionTriangle> triangles;
  PointXZ sidePoint1, edgePoint1, sidePoint2, edgePoint2;
  PointXZ sideNormal1, sideNormal2;
  PointXZ direction;
};

void WriteSectionMesh(ByteWriter* w, const SectionMesh& mesh);

// ---- Track file ------------------------------------------------------------
//
//   str "QTRK0100", u16 L, L x str land-piece file, u16 S, str ground texture,
//   S x (u16 ignored, section mesh, u8 ignored, per land piece: u8 visible and,
//   when not 0, u16 mesh index), u8 ignored, str track-object file,
//   str alternative track-object file.

struct LandPieceUse {
  std::uint8_t visible = 0;
  std::uint16_t mesh = 0;  // written only when visible is not 0
};

struct TrackSectionEntry {
  SectionMesh mesh;
  std::vector<LandPieceUse> pieces;  // one per land piece
};

struct TrackFile {
  TrackString magic = "QTRK0100";
  std::optional<std::uint16_t> landPieceCount;  // default: landPieces.size()
  std::vector<TrackString> landPieces;
  std::optional<std::uint16_t> sectionCount;    // default: sections.size()
  TrackString groundTexture;
  std::vector<TrackSectionEntry> sections;
  TrackString trackObjects;
  TrackString alternativeTrackObjects;
};

Bytes BuildTrackFile(const TrackFile& file);

// ---- Land-piece file -------------------------------------------------------
//
//   str "QLND0100", u16 m, str texture, m x (u16 ignored, lit-mesh record
//   without box).

struct LandPieceFile {
  TrackString magic = "QLND0100";
  std::optional<std::uint16_t> meshCount;  // default: meshes.size()
  TrackString texture;
  std::vector<LitMeshRecord> meshes;
};

Bytes BuildLandPieceFile(const LandPieceFile& file);

// ---- Height-field file -----------------------------------------------------
//
//   u32 W, u32 H, f32 origin x, f32 origin z, f32 cell, then H rows of W f32
//   heights, row 0 first.

struct HeightFieldFile {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  float originX = 0.0f;
  float originZ = 0.0f;
  float cell = 1.0f;
  std::vector<float> heights;  // written as given
};

Bytes BuildHeightFieldFile(const HeightFieldFile& file);

// ---- Track-object file (sound emitters) ------------------------------------
//
//   u8 E, u8 ignored, E x (u8 slot, str sound file, u8 k, k x u16 code).

struct SoundEmitterEntry {
  std::uint8_t slot = 0;
  TrackString sound;
  std::optional<std::uint8_t> codeCount;  // default: codes.size()
  std::vector<std::uint16_t> codes;
};

struct TrackObjectFile {
  std::optional<std::uint8_t> emitterCount;  // default: emitters.size()
  std::vector<SoundEmitterEntry> emitters;
};

Bytes BuildTrackObjectFile(const TrackObjectFile& file);

}  // namespace kelvdata
