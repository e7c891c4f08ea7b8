#include "world/track.h"

#include <cstring>
#include <new>
#include <string>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"
#include "world/track_internal.h"

std::uint8_t g_AlphaTestForColourKeys = 0;
std::uint8_t g_ShowSectionMarkers = 0;
std::uint8_t g_SoundFadeOut = 0;

namespace {

const char kTrackFileError[] = "File error opening track data.\nPlease reinstall Kelvarro.";
const char kTrackError[] = "Error loading track.\nPlease reinstall Kelvarro.";

// Longest file name a string field may hold, with its NUL.
constexpr std::uint32_t kNameSize = 260;
// Smallest land-piece mesh: its u16 and a one-triangle lit-mesh record.
constexpr std::uint64_t kMinPieceMeshBytes = 2 + 2 + 2 + 1 + 3 * 36 + 1 + 3 * 2;
// Building the nodes and markers may search every section for each of
// them: a course of hostile length would hold the load for minutes.
constexpr std::uint16_t kMaxSections = 4096;
// Smallest section entry: its u16, a one-triangle section mesh with its
// boundaries, and the ignored u8 (the land-piece flags come on top).
constexpr std::uint64_t kMinSectionBytes = 2 + (2 + 2 + 1 + 3 * 52 + 1 + 31 + 1 + 32 + 1 + 16 + 1 + 8) + 1;

bool ReadMagic(DataReader* r, const char* magic) {
  char text[kNameSize];
  return r->String(text, kNameSize) && std::strcmp(text, magic) == 0;
}

}  // namespace

void ReportTrackError() { ShowMessageBox(kTrackError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

LandPieceType LandPieceTypeFromName(const char* name) {
  if (std::strstr(name, "T1") != nullptr) return LAND_PIECE_BLENDED;
  if (std::strstr(name, "T2") != nullptr) return LAND_PIECE_ADDITIVE;
  return LAND_PIECE_SOLID;
}

Track::Track() = default;

Track::~Track() {
  emitterCodes.clear();
  emitterCodeCounts.clear();
  for (TextureSlot slot : landPieceTextures) g_TextureManager.Free(slot);
  landPieceTextures.clear();
  landPieceTypes.clear();
  landPieceMeshes.clear();
  meshCounts.clear();
  sections.reset();
  nodes.clear();
  fieldHeights.clear();
}

bool Track::Load(const char* path) {
  try {
    if (!LoadTrackFile(path)) return false;
    if (!LoadHeightField(path)) return false;
  } catch (const std::bad_alloc&) {
    ReportTrackError();
    return false;
  }
  if (!BuildNodes()) return false;
  SmoothNodes();
  return true;
}

bool Track::LoadTrackFile(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ShowMessageBox(kTrackFileError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint16_t pieces = 0;
  // The section record has room for ten pieces.
  if (!ReadMagic(&r, "QTRK0100") || !r.U16(&pieces) || pieces > TRACK_MAX_LAND_PIECES) {
    ReportTrackError();
    return false;
  }
  landPieceMeshes.resize(pieces);
  meshCounts.assign(pieces, 0);
  landPieceTextures.assign(pieces, 0);
  landPieceTypes.assign(pieces, LAND_PIECE_SOLID);
  landPieceCount = pieces;
  for (int i = 0; i < pieces; ++i) {
    char name[kNameSize];
    if (!r.String(name, kNameSize)) {
      ReportTrackError();
      return false;
    }
    landPieceTypes[i] = LandPieceTypeFromName(name);
    if (!LoadLandPiece(i, name)) return false;
  }
  if (!LoadSections(&r)) return false;

  char name[kNameSize];
  if (!r.Skip(1) || !r.String(name, kNameSize)) {
    ReportTrackError();
    return false;
  }
  if (!LoadTrackObjects(name)) return false;
  // The alternative track-object file is named and never opened.
  if (!r.String(name, kNameSize)) {
    ReportTrackError();
    return false;
  }
  return true;
}

bool Track::LoadLandPiece(int index, const char* name) {
  ArchiveFile file;
  if (!OpenDataFile(name, &file)) {
    ReportTrackError();
    return false;
  }
  DataReader r(&file);
  std::uint16_t count = 0;
  if (!ReadMagic(&r, "QLND0100") || !r.U16(&count) || count * kMinPieceMeshBytes > r.Remaining()) {
    ReportTrackError();
    return false;
  }
  std::vector<LitMesh>& meshes = landPieceMeshes[index];
  meshes.resize(count);
  meshCounts[index] = count;
  char texture[kNameSize];
  if (!r.String(texture, kNameSize)) {
    ReportTrackError();
    return false;
  }
  if (!g_TextureManager.Load(texture, &landPieceTextures[index], g_TextureSizeClasses[SIZE_CLASS_FIRST_LAND + index]))
    return false;
  const TextureSlot slot = landPieceTextures[index];
  for (LitMesh& mesh : meshes) {
    if (!r.Skip(2)) {
      ReportTrackError();
      return false;
    }
    mesh.sScale = g_TextureManager.sScale[slot];
    mesh.tScale = g_TextureManager.tScale[slot];
    if (!mesh.Load(&file, false, false)) return false;
  }
  return true;
}

bool Track::LoadSections(DataReader* r) {
  std::uint16_t count = 0;
  if (!r->U16(&count) || count == 0 || count > kMaxSections ||
      count * (kMinSectionBytes + landPieceCount) > r->Remaining()) {
    ReportTrackError();
    return false;
  }
  sections = std::make_unique<TrackSection[]>(count);
  sectionCount = count;
  char name[kNameSize];
  if (!r->String(name, kNameSize)) {
    ReportTrackError();
    return false;
  }
  if (!g_TextureManager.Load(name, &texture, g_TextureSizeClasses[SIZE_CLASS_GROUND])) return false;
  for (std::uint16_t s = 0; s < count; ++s) {
    TrackSection& section = sections[s];
    section.sScale = g_TextureManager.sScale[texture];
    section.tScale = g_TextureManager.tScale[texture];
    bool ok = r->Skip(2) && section.Load(r) && r->Skip(1);
    for (int j = 0; ok && j < landPieceCount; ++j) {
      ok = r->U8(&section.pieceVisible[j]);
      // A mesh index past the piece's meshes would be drawn from nowhere.
      if (ok && section.pieceVisible[j] != 0) ok = r->U16(&section.pieceMesh[j]) && section.pieceMesh[j] < meshCounts[j];
    }
    if (!ok) {
      ReportTrackError();
      return false;
    }
  }
  return true;
}

Vector3 Track::GetGroundColour(Vector3 point, std::uint16_t sectionHint, std::uint16_t triangleHint) {
  std::uint16_t section = sectionHint;
  std::uint16_t triangle = triangleHint;
  float height = 0.0f;
  if (sectionCount == 0) return Vector3(0.0f, 0.0f, 0.0f);
  // On a failed search the hints are used as they are, brought into range.
  getheight(&point, &section, &triangle, &height, true);
  section = SectionIndex(section);
  triangle = TriangleIndex(section, triangle);
  const TrackSection& s = sections[section];
  const std::size_t base = 3u * triangle;
  const Vector3& p0 = s.positions[s.indices[base]];
  const Vector3& p1 = s.positions[s.indices[base + 1]];
  const Vector3& p2 = s.positions[s.indices[base + 2]];
  const float d = (p2.z - p0.z) * (p1.x - p0.x) - (p2.x - p0.x) * (p1.z - p0.z);
  float t = 0.0f;
  float u = 0.0f;
  // A triangle of no area has no inside: its first corner's colour.
  if (d != 0.0f) {
    t = ((p2.z - p0.z) * (point.x - p0.x) - (p2.x - p0.x) * (point.z - p0.z)) / d;
    u = ((p1.x - p0.x) * (point.z - p0.z) - (p1.z - p0.z) * (point.x - p0.x)) / d;
    if (t + u > 1.0f) {
      const float sum = t + u;
      t = t / sum;
      u = u / sum;
    }
  }
  auto channel = [&](int k, int shift) {
    return static_cast<float>((s.attributes[base + k].colour >> shift) & 0xFFu) / 255.0f;
  };
  Vector3 out;
  const float w0 = 1.0f - t - u;
  out.x = w0 * channel(0, 16) + t * channel(1, 16) + u * channel(2, 16);
  out.y = w0 * channel(0, 8) + t * channel(1, 8) + u * channel(2, 8);
  out.z = w0 * channel(0, 0) + t * channel(1, 0) + u * channel(2, 0);
  return out;
}
