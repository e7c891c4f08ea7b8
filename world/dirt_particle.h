// One clod of earth thrown by a spinning rear wheel: a small two-sided
// triangle that tumbles about a random axis, falls under gravity and is gone
// 2 s after it was thrown. Riders keep them in rings and never free them.
#pragma once

#include <cstdint>

#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"

class DirtParticle : public SceneObject {
 public:
  static constexpr float LIFETIME = 2.0f;  // the age of a dead particle

  DirtParticle();
  bool Load(const char* textureName) override;
  // Restarts the particle at p thrown along d (a speed in km/h per unit of
  // the random factor 20..40); does nothing to one not yet 1 s old.
  void Spawn(Vector3 p, Vector3 d);
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  Vector3 triangle[3];
  VertexAttribute corners[6];
  std::uint16_t indices[6] = {0, 1, 2, 0, 2, 1};
  ScreenVertex* output = nullptr;
  std::uint16_t emitted = 0;
  float age = LIFETIME;
  Vector3 position = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  Quaternion orientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  Vector3 spin = Vector3(0.0f, 0.0f, 0.0f);  // rad/s
  float halfSpinRate = 0.0f;
  Vector3 spinAxis = Vector3(0.0f, 0.0f, 0.0f);
};
