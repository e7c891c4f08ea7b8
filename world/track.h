// The race track: the ridden ground cut into sections along a closed course,
// the scenery meshes around it (land pieces), the centre line of nodes, the
// coarse height field under everything, the ambient sound emitters and the
// two rings of tyre marks. One belongs to each race scene, which loads it,
// updates and draws it every frame, and asks it where the ground is.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/lit_mesh.h"
#include "engine/maths.h"
#include "engine/renderer.h"
#include "engine/scene_object.h"
#include "engine/sound_sample.h"
#include "engine/texture_manager.h"
#include "world/track_section.h"

class DataReader;

// How a land piece is blended over what lies under it; taken from its file
// name.
enum LandPieceType : std::uint8_t {
  LAND_PIECE_SOLID = 0,
  LAND_PIECE_BLENDED = 1,
  LAND_PIECE_ADDITIVE = 2,
};

// "T1" anywhere in the name gives a blended piece, else "T2" an additive
// one (both case-sensitive), else solid.
LandPieceType LandPieceTypeFromName(const char* name);

// Meanings of an emitter's codes; any other code without bit 0x4000 names a
// section the sound is tied to.
constexpr std::uint16_t TRACK_SOUND_LOOP = 0x8000;
constexpr std::uint16_t TRACK_SOUND_RANDOM = 0x2000;
constexpr std::uint16_t TRACK_SOUND_ZONE = 0x4000;  // a bit, on the emitter's first code

// One point of the centre line per section.
struct TrackNode {
  Vector3 centre = Vector3(0.0f, 0.0f, 0.0f);  // y = 0
  float halfWidth = 0.0f;
  Vector3 across = Vector3(0.0f, 0.0f, 0.0f);  // the direction turned a quarter turn, not normalised
  float groundHeight = 0.0f;
};

// A thin quad laid on the ground behind a wheel. Corners 0 and 1 are the
// wheel's contact points when it was laid, 2 and 3 the end it continues.
class TyreMark : public SectionMarker {
 public:
  TyreMark();
  void Reset();

  static constexpr std::uint32_t NEVER_LAID = 10000;
  std::uint32_t section = NEVER_LAID;
};

constexpr int TYRE_MARK_RING_SIZE = 150;

// What the player's rider passes when it may leave marks.
struct TyreMarkInput {
  Vector3 velocity;
  Vector3 rearContact2;
  Vector3 rearContact1;
  Vector3 frontContact2;
  Vector3 frontContact1;
  std::uint32_t triangleHint;
  std::uint32_t sectionHint;
  std::uint32_t frontInAir;   // no front mark
  std::uint32_t useSections;  // as for Track::GetSurface
};

// Direct3D only: the renderer stands in for colour keys with the alpha test,
// so solid pieces keep blending on with ONE, ZERO.
extern std::uint8_t g_AlphaTestForColourKeys;

// Race flags that the track reads: section markers shown (F3), and the
// closing fade of the race's sounds.
extern std::uint8_t g_ShowSectionMarkers;
extern std::uint8_t g_SoundFadeOut;

// State shared by the track sounds of every track: the fade in hundredths
// of a decibel, and the one place and drift of the random one-shots.
extern std::int32_t g_TrackSoundFade;
extern Vector3 g_TrackRandomOffset;
extern Vector3 g_TrackRandomVelocity;

class Track : public SceneObject {
 public:
  Track();
  ~Track() override;

  // Reads the track file and everything it names. On false the track is
  // partly filled (and safe to delete); the failure has been reported.
  bool Load(const char* path) override;
  // The track sounds, one step; `mode` is not used.
  bool Update(unsigned ms, int mode) override;
  // The land pieces and ground of the visible window.
  bool Draw() override;
  void StopSounds() override;

  // Ground queries. The hints are the caller's search position, updated in
  // place when a section triangle is found.
  bool getheight(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, float* height,
                 bool useSections);
  // True when a section triangle gave the height, false when the field did.
  bool GetHeightOrField(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, float* height);
  float GetFieldHeight(const Vector3* point) const;
  // With sections: the named triangle's plane, not searched; else the
  // field's plane 0.1 above it.
  TrackSurface* GetSurface(TrackSurface* out, const Vector3* point, std::uint16_t section, std::uint16_t triangle,
                           bool useSections) const {
    if (!useSections || sectionCount == 0) return GetFieldSurface(out, point);
    const std::uint16_t s = SectionIndex(section);
    *out = sections[s].surfaces[TriangleIndex(s, triangle)];
    return out;
  }
  TrackSurface* GetFieldSurface(TrackSurface* out, const Vector3* point) const;
  // True when the point is inside both side boundaries of the section;
  // otherwise the first boundary it is outside of, and how far.
  bool TestBorders(std::uint16_t section, Vector3* normal, Vector3 point, float* depth) const;
  // Whether the segment between the box's first and eighth corners crosses
  // a node of the visible window (ahead of the camera when `forward`).
  bool SegmentCrossesNode(const Vector3* box, bool forward) const;
  bool BuildNodes();
  void SmoothNodes();
  Vector3 GetGroundColour(Vector3 point, std::uint16_t sectionHint, std::uint16_t triangleHint);

  void SetVisibleWindow(std::int16_t first, std::int16_t last, std::uint16_t current);
  void GetVisibleWindow(std::uint16_t* first, std::uint16_t* last) const;
  // Sections in the window; 0 when last is just before first.
  int WindowLength() const;

  bool DrawTyreMarks(bool windowOnly);
  void AddTyreMarks(TyreMarkInput input);
  void ResetTyreMarks();

  // A hint as an index: the section modulo the count, the triangle clamped to
  // that section's triangles.
  std::uint16_t SectionIndex(std::uint16_t section) const {
    if (section < sectionCount) return section;
    return sectionCount == 0 ? 0 : static_cast<std::uint16_t>(section % sectionCount);
  }
  std::uint16_t TriangleIndex(std::uint16_t section, std::uint16_t triangle) const {
    const std::uint16_t count = sections[SectionIndex(section)].TriangleCount();
    return triangle < count ? triangle : static_cast<std::uint16_t>(count - 1);
  }

  std::uint16_t sectionCount = 0;
  std::unique_ptr<TrackSection[]> sections;
  std::uint16_t windowFirst = 0;
  std::uint16_t windowLast = 0;
  std::uint16_t currentSection = 0;
  std::uint16_t landPieceCount = 0;
  std::vector<std::uint16_t> meshCounts;
  std::vector<std::vector<LitMesh>> landPieceMeshes;
  std::vector<TextureSlot> landPieceTextures;
  std::vector<std::uint8_t> landPieceTypes;
  std::vector<std::uint8_t> emitterCodeCounts;
  std::vector<std::vector<std::uint16_t>> emitterCodes;
  // Each emitter's one-shot, as the frames see it: a random sound starts
  // again, and draws new random numbers, only once this has run out.
  std::vector<OneShotClock> oneShots;
  // Written each frame by the followed rider's sound update.
  float listenerSpeedLevel = 0.0f;
  std::uint16_t listenerSection = 0;
  Vector3 listenerPosition = Vector3(0.0f, 0.0f, 0.0f);
  TyreMark ringA[TYRE_MARK_RING_SIZE];  // rear wheel
  std::uint32_t ringANext = 0;          // the most recently written mark
  TyreMark ringB[TYRE_MARK_RING_SIZE];  // front wheel
  std::uint32_t ringBNext = 0;
  std::vector<TrackNode> nodes;
  // Height field: grid point (i, j) at origin + (i cell, 0, j cell), its
  // height at index j W + i.
  std::uint32_t fieldWidth = 0;
  std::uint32_t fieldHeight = 0;
  Vector3 fieldOrigin = Vector3(0.0f, 0.0f, 0.0f);
  float fieldCell = 0.0f;
  std::vector<float> fieldHeights;

 private:
  bool LoadTrackFile(const char* path);
  bool LoadLandPiece(int index, const char* name);
  bool LoadSections(DataReader* r);
  bool LoadTrackObjects(const char* path);
  bool LoadHeightField(const char* trackPath);
  // The near pass of the ground queries: five sections around the hint.
  // `hintTested`: the hinted triangle of the first section is known to miss.
  bool SearchNear(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, bool halfRadius,
                  bool hintTested = false);
  bool InsideField(const Vector3* point) const;
  // The cell triangle under an inside point, corners as (x, grid height, z).
  void FieldTriangle(const Vector3* point, Vector3 corners[3]) const;
  void LayMark(TyreMark* ring, std::uint32_t* next, const Vector3& c1, const Vector3& c2, const TrackSurface& s,
               float step, float join, float back, float dx, float dz, std::uint32_t section);
};
