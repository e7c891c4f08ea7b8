#include "tools/track_files.h"

namespace kelvdata {

namespace {

void WriteString(ByteWriter* w, const TrackString& s) {
  w->U32(s.length ? *s.length : static_cast<std::uint32_t>(s.text.size() + 1));
  w->Raw(s.text.data(), s.text.size());
  w->U8(s.terminated ? 0 : 'X');
}

void WritePoint(ByteWriter* w, const PointXZ& p) {
  w->F32(p.x);
  w->F32(p.z);
}

}  // namespace

void WriteSectionMesh(ByteWriter* w, const SectionMesh& mesh) {
  w->U16(mesh.vertexCount ? *mesh.vertexCount : static_cast<std::uint16_t>(mesh.vertices.size()));
  w->U16(mesh.indexCount ? *mesh.indexCount : static_cast<std::uint16_t>(mesh.triangles.size() * 3));
  w->U8(0);
  for (const SectionVertex& v : mesh.vertices) {
    for (float f : {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.unused[0], v.unused[1], v.unused[2], v.unused[3], v.u, v.v})
      w->F32(f);
  }
  w->U8(0);
  for (const SectionTriangle& t : mesh.triangles) {
    w->U16(t.i0);
    w->U16(t.i1);
    w->U16(t.i2);
    for (float f : {t.a, t.b, t.c, t.nx, t.ny, t.nz}) w->F32(f);
    w->U8(t.kind);
  }
  w->U8(0);
  WritePoint(w, mesh.sidePoint1);
  WritePoint(w, mesh.edgePoint1);
  WritePoint(w, mesh.sidePoint2);
  WritePoint(w, mesh.edgePoint2);
  w->U8(0);
  WritePoint(w, mesh.sideNormal1);
  WritePoint(w, mesh.sideNormal2);
  w->U8(0);
  WritePoint(w, mesh.direction);
}

Bytes BuildTrackFile(const TrackFile& file) {
  ByteWriter w;
  WriteString(&w, file.magic);
  w.U16(file.landPieceCount ? *file.landPieceCount : static_cast<std::uint16_t>(file.landPieces.size()));
  for (const TrackString& name : file.landPieces) WriteString(&w, name);
  w.U16(file.sectionCount ? *file.sectionCount : static_cast<std::uint16_t>(file.sections.size()));
  WriteString(&w, file.groundTexture);
  for (const TrackSectionEntry& s : file.sections) {
    w.U16(0);
    WriteSectionMesh(&w, s.mesh);
    w.U8(0);
    for (const LandPieceUse& p : s.pieces) {
      w.U8(p.visible);
      if (p.visible != 0) w.U16(p.mesh);
    }
  }
  w.U8(0);
  WriteString(&w, file.trackObjects);
  WriteString(&w, file.alternativeTrackObjects);
  return w.Take();
}

Bytes BuildLandPieceFile(const LandPieceFile& file) {
  ByteWriter w;
  WriteString(&w, file.magic);
  w.U16(file.meshCount ? *file.meshCount : static_cast<std::uint16_t>(file.meshes.size()));
  WriteString(&w, file.texture);
  for (const LitMeshRecord& m : file.meshes) {
    w.U16(0);
    WriteLitMesh(&w, m);
  }
  return w.Take();
}

Bytes BuildHeightFieldFile(const HeightFieldFile& file) {
  ByteWriter w;
  w.U32(file.width);
  w.U32(file.height);
  w.F32(file.originX);
  w.F32(file.originZ);
  w.F32(file.cell);
  for (float h : file.heights) w.F32(h);
  return w.Take();
}

Bytes BuildTrackObjectFile(const TrackObjectFile& file) {
  ByteWriter w;
  w.U8(file.emitterCount ? *file.emitterCount : static_cast<std::uint8_t>(file.emitters.size()));
  w.U8(0);
  for (const SoundEmitterEntry& e : file.emitters) {
    w.U8(e.slot);
    WriteString(&w, e.sound);
    w.U8(e.codeCount ? *e.codeCount : static_cast<std::uint8_t>(e.codes.size()));
    for (std::uint16_t code : e.codes) w.U16(code);
  }
  return w.Take();
}

}  // namespace kelvdata
