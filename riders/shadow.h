// A rider's shadow on the ground: none, a soft blob under the bike, or the
// bike's (and the body's) meshes dropped along the light onto the ground.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/game_settings.h"
#include "engine/lit_mesh.h"
#include "engine/scene_object.h"
#include "world/track_section.h"

class Track;

// The offsets A and B along the ground's right axis of the blob's two long
// edges for lean sine `lean`.
void ShadowBlobOffsets(float lean, float* a, float* b);

class Shadow : public SceneObject {
 public:
  // A smoothed ground plane y = a x + b z + c.
  struct Plane {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
  };

  Shadow();
  ~Shadow() override;

  // Reads the shadow data file (a rider file up to its far mesh): the body
  // and the middle and far bike meshes, coloured for vertex-colour drawing.
  bool Load(const char* path) override;
  // Both arguments are ignored; the elapsed time is g_FrameTime.
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Recolours the blob or the meshes of the level of detail for factor k.
  void SetIntensity(float k);
  // Drops the base positions of `mesh` onto the ground through the output
  // matrices, one per part.
  void ProjectMesh(LitMesh* mesh);

  // Inputs written by the rider each frame before Update.
  Vector3 front;    // front tyre contact
  Vector3 rear;     // rear tyre contact
  Vector3 right;    // ground basis, unit
  Vector3 up;
  Vector3 forward;
  TrackSurface bikePlane;
  float bikeUpY = 0.0f;        // not used by the shadow
  float chassisHeight = 0.0f;  // not used by the shadow
  float lean = 0.0f;           // the y component of the bike's right axis
  TrackSurface bodyPlane;
  float bodyHeight = 0.0f;
  std::uint16_t bikeHints[2] = {0, 0};  // section, triangle
  std::uint16_t bodyHints[2] = {0, 0};
  std::uint8_t replaced = 0;     // the rider was put back on the track this frame
  std::uint8_t useSections = 1;  // 0 while crashed: heights from the field
  std::uint8_t partsFlag = 1;    // fewer than three contact points down
  std::uint8_t secondFlag = 1;   // not used
  Track* track = nullptr;

  std::uint16_t workSection = 0;
  std::uint16_t workTriangle = 0;
  std::uint8_t lod = 0;  // 0 near, 1 middle, 2 far; other values draw as 0
  std::uint16_t weather = 0;

  Vector3 blob[7];
  VertexAttribute blobCorners[18];
  std::uint16_t blobIndices[18];
  ScreenVertex* blobOutput = nullptr;
  std::uint16_t blobEmitted = 0;

  LitMesh body;
  std::uint16_t partCount = 0;
  std::unique_ptr<LitMesh[]> middleParts;
  std::unique_ptr<LitMesh> farMesh;
  // Bike parts 0 to 6: front wheel, rear wheel, fork, swing arm, steering
  // head, frame, part 6.
  Matrix4 partMatrices[7];
  // The rider's node world matrices, handed over before each draw (not
  // owned); the body is drawn only when they cover its nodes.
  const Matrix4* nodeMatrices = nullptr;
  std::uint16_t nodeMatrixCount = 0;

  Plane smoothedBike;
  Plane smoothedBody;
  float k1 = 1.0f;
  float k2 = 1.0f;
  Matrix4 m1;
  Matrix4 m2;
  std::vector<Matrix4> outputMatrices;  // one per node, at least one

 private:
  void ColourMesh(LitMesh* mesh, float k) const;
  // Steps 2 to 5 of the projection for one plane.
  void ProjectOnto(const Vector3& light, const TrackSurface& plane, float flatHeight, Plane* smoothed, float* k,
                   Matrix4* m) const;
};
