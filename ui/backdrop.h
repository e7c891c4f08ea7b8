// The distant scenery of a race: a sky colour above the horizon, a ground
// colour below it, and a textured horizon band that the race camera
// projects each frame and that scrolls sideways with its heading (the
// texture repeats 8 times around the circle).
//
// File, little-endian (str = u32 n with the NUL, n bytes): 3 x u8 (the
// panel's anchors and blend, stored only), str horizon texture, f32
// distance ahead, f32 low height, f32 high height, 2 x f32 size, 3 x f32
// colour, 4 x f32 u, 4 x f32 v (stored only).
#pragma once

#include <cstdint>

#include "ui/panel.h"

// Rows of the horizon texture (v, 0 at the top).
constexpr float BACKDROP_BAND_TOP_V = 0.26171875f;
constexpr float BACKDROP_BAND_BOTTOM_V = 0.99609375f;
constexpr float BACKDROP_SKY_V = 0.263671875f;
constexpr float BACKDROP_GROUND_V = 0.994140625f;

class Backdrop : public Panel {
 public:
  Backdrop();
  ~Backdrop() override;

  bool Load(const char* path) override;
  // Projects the band for g_Camera (arguments ignored).
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // Both quads over the screen and the two colours sampled.
  bool BuildQuads();

  float distanceAhead = 10000.0f;
  float lowHeight = -1500.0f;
  float highHeight = 3000.0f;
  float horizonY = 0.0f;
  ScreenVertex skyQuad[6] = {};
  std::uint8_t clearSky = 0;
  std::uint8_t drawBand = 0;
  std::uint8_t clearGround = 0;
  float skyR = 0.0f, skyG = 0.0f, skyB = 0.0f;
  float groundR = 0.0f, groundG = 0.0f, groundB = 0.0f;
};
