// One short-lived, camera-facing square of smoke or dust: it drifts, plays
// an eight-frame strip of the effects texture and fades to black. Owners
// keep them in rings, restart them as they emit and never free them.
#pragma once

#include <cstdint>

#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"

class SmokePuff : public SceneObject {
 public:
  static constexpr float DEAD = 10000.0f;  // the age of a puff that is not drawn

  SmokePuff();
  // The rotation becomes the transpose of m's 3 x 3 part, so that given the
  // camera's view the square faces the camera; the position is kept.
  void SetMatrix(const Matrix4* m) override;
  bool Load(const char* textureName) override;
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  void SetColour(float r, float g, float b);
  // A lifetime of 0 or less becomes 0.01 s.
  void SetLifetime(float seconds);
  // The texture coordinates of the current frame; the row only at age 0.
  void UpdateFrame();

  Vector3 quad[4];
  VertexAttribute corners[6];
  ScreenVertex* output = nullptr;
  std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
  std::uint16_t emitted = 0;
  float age = DEAD;
  float lifetime = 0.5f;
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  float red = 0.2f, green = 0.2f, blue = 0.2f;
  std::uint32_t frame = 1;
  // 0: the strip's second row, else its first; set by the owner.
  std::uint8_t rowFlag = 0;
};
