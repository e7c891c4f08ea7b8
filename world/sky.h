// The race's sky: translucent cloud triangles on a large sphere about the
// camera, turning slowly about the vertical; in a race without a sun the
// corners of the same triangles are drawn as single points, the stars.
#pragma once

#include <cstdint>

#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"

constexpr int SKY_MAX_CLOUDS = 72;
constexpr int SKY_MAX_CORNERS = SKY_MAX_CLOUDS * 3;

class Sky : public SceneObject {
 public:
  Sky();
  // Reads the sky file (u32 name length with its NUL, the cloud texture's
  // name, f32 radius), loads the texture and builds the clouds.
  bool Load(const char* fileName) override;
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  void BuildClouds();
  void UpdateStars();

  float angle = 0.0f;  // radians, 0..2 pi
  Vector3 positions[SKY_MAX_CORNERS];
  VertexAttribute attributes[SKY_MAX_CORNERS];
  std::uint16_t indices[SKY_MAX_CORNERS];
  ScreenVertex* output = nullptr;
  std::uint16_t emitted = 0;
  ScreenVertex stars[SKY_MAX_CORNERS];
  std::uint16_t starCount = 0;
  Vector3 centre = Vector3(0.0f, 0.0f, 0.0f);
  float radius = 1000.0f;
  std::uint16_t cloudCount = SKY_MAX_CLOUDS;
  std::uint8_t starMode = 0;  // 1: a night sky of points
  std::uint8_t enabled = 1;
};
