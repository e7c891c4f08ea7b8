// An additive shine laid over a shiny part of the bike or rider: an
// environment texture whose offset follows the light's direction relative
// to the part, so the highlight slides over the surface as the bike turns.
#pragma once

#include "engine/lit_mesh.h"
#include "engine/scene_object.h"

class DataReader;

class ReflectionOverlay : public SceneObject {
 public:
  ReflectionOverlay();
  ~ReflectionOverlay() override;

  // Always false: the overlay is read from its owner's file instead.
  bool Load(const char* path) override;
  // Loads the environment texture, then reads the mesh record at the
  // reader's position (unlit, without a box). False after a failure.
  bool Load(DataReader* r);
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Places the overlay with the world matrix of the part it covers.
  void Place(const Matrix4& m);

  float uOffset = 0.0f;
  float vOffset = 0.0f;  // stays 0
  float spare[2] = {};
  LitMesh mesh;
  Matrix4 placement;
};

// The environment texture's u offset for a part whose world matrix is `m`
// under a light along `light`, in the texture's units of `sScale`.
float ReflectionUOffset(const Matrix4& m, const Vector3& light, float sScale);
