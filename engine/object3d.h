// The general 3D model: lit meshes sharing one texture, optionally animated
// by key matrices per mesh and by texture scrolling per mesh, optionally
// drawn additively, with a timed colour fade. The skinned form is one mesh
// split into parts that follow a node hierarchy posed from pose grids.
// Loaded from object files (.ACT) through the data-file routing.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/animation.h"
#include "engine/lit_mesh.h"
#include "engine/scene_object.h"

class DataReader;

class Object3D : public SceneObject {
 public:
  Object3D();
  ~Object3D() override;

  // LoadObject(path, lit = false).
  bool Load(const char* path) override;
  // Frees any previous meshes and reads the object file. `lit` gives the
  // meshes of the plain form normals and lighting.
  bool LoadObject(const char* path, bool lit);
  // Colour fade, then the animations by mode: 1 plays sequence 0, 2
  // sequence 1, 3 sequence 2 (or sequence 0 backward with the alternate
  // selection set); skinned models step their node poses, parents first.
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Every corner of one mesh: ARGB trunc(a x 255), trunc(r x 255), ...
  void SetMeshColour(std::uint16_t mesh, float r, float g, float b, float a);

  bool HasMeshAnimation() const { return kindFlags[0] != 0; }
  bool HasUvAnimation() const { return kindFlags[1] != 0; }

  std::uint16_t meshCount = 0;
  std::vector<LitMesh> meshes;
  std::vector<std::uint8_t> visible;  // per mesh; 1 drawn
  MeshAnimation meshAnimation;
  UvAnimation uvAnimation;
  AnimationPlayer meshPlayer;
  AnimationPlayer uvPlayer;
  std::uint8_t additive = 0;
  // Mode 3 plays sequence 0 backward instead of sequence 2 (closing
  // choosers and dialogs); set by the owners.
  std::uint8_t alternateSelection = 0;
  std::vector<float> nodeTimers;  // seconds, skinned models only
  // Colour fade, set by the owners: over `fadeDuration` ms the meshes go from
  // target - range to target; the callback runs once at the end.
  std::uint32_t fadeElapsed = 0;
  std::uint32_t fadeDuration = 0;
  float fadeTarget = 1.0f;
  float fadeCurrent = 1.0f;
  float fadeRange = 0.0f;
  void (*fadeCallback)() = nullptr;

 private:
  bool LoadPlain(DataReader* r, bool lit);
  bool LoadSkinned(DataReader* r);
  void Release();

  // Skinned models: the nodes in the order Update steps them, every parent
  // before its children.
  std::vector<std::uint16_t> stepOrder_;
};
