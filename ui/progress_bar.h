// A value from 0 to 100 shown as a textured bar whose filled length and
// texture extent grow with the value: either a flat screen bar laid out in
// the 640 x 480 layout (horizontal, or vertical growing upwards) or a small
// mesh in the scene's 3D space that a mesh animation may move.
//
// File, little-endian (str = u32 n with the NUL, n bytes): u8 horizontal,
// u8 screen bar, u8 animated, str texture, 3 x f32 position, 2 x f32 length
// and thickness, 4 x f32 uLeft, uRight, vTop, vBottom, u16 value; for an
// animated 3D bar u8 spare and str mesh-animation path.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/animation.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene_object.h"

class ProgressBar : public SceneObject {
 public:
  ProgressBar();
  ~ProgressBar() override;

  // Screen bars scale x and y from the layout to the screen; then the bar is
  // rebuilt.
  void SetPosition(float x, float y, float z) override;
  void SetScale(float w, float h, float d) override;
  bool Load(const char* path) override;
  // Animated 3D bars only.
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Rebuilds the bar for the current value (callers that change it call this).
  void UpdateVertices();

  std::unique_ptr<ScreenVertex[]> screenVertices;
  std::uint16_t screenVertexCount = 6;
  std::unique_ptr<Vector3[]> positions;
  std::unique_ptr<VertexAttribute[]> attributes;
  std::unique_ptr<std::uint16_t[]> indices;
  ScreenVertex* output = nullptr;  // the pipeline's buffer, set at each draw; not owned
  std::uint16_t vertexCount = 4;
  std::uint16_t outputCount = 0;
  std::uint16_t indexCount = 6;
  MeshAnimation animation;
  AnimationPlayer player;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;
  float h = 0.0f;
  float colourR = 1.0f;
  float colourG = 1.0f;
  float colourB = 1.0f;
  float uLeft = 0.0f;
  float uRight = 0.0f;
  float vTop = 0.0f;
  float vBottom = 0.0f;
  std::uint8_t horizontal = 1;
  std::uint8_t screenBar = 0;
  std::uint8_t animated = 0;
  std::uint16_t value = 0;
};
