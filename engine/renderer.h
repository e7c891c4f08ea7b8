// TEMPORARY stand-in until the renderer module lands on main: only what the
// geometry pipeline, lit meshes and 3D objects use. Replaced at that merge.
#pragma once

#include <cstdint>

// One corner of a screen-space triangle, as the Glide vertex layout reads it.
struct ScreenVertex {
  float x;  // pixels
  float y;  // pixels
  std::uint32_t unused0;
  std::uint32_t colour;  // packed ARGB, alpha in the top byte
  float z;               // depth 0..65535, larger is nearer
  float q;               // 1/w
  float s;               // texture coordinates in the texture's scale, times q
  float t;
  std::uint32_t unused1[4];
};
static_assert(sizeof(ScreenVertex) == 48);

enum BlendFactor {
  BLEND_ZERO,
  BLEND_ONE,
  BLEND_SRC_COLOUR,
  BLEND_ONE_MINUS_SRC_COLOUR,
  BLEND_SRC_ALPHA,
  BLEND_ONE_MINUS_SRC_ALPHA,
  BLEND_ONE_MINUS_DEST_COLOUR,
};

class Renderer {
 public:
  bool SetAlphaBlendEnable(bool on);
  bool SetSrcBlend(BlendFactor factor);
  bool SetDestBlend(BlendFactor factor);
  bool SetFogEnable(bool on);
  bool FogEnabled() const;
  bool SetDepthBias(std::uint32_t steps);
  std::uint32_t DepthBias() const;
  bool DrawTriangles(std::uint16_t count, const ScreenVertex* vertices);
};

extern Renderer g_Renderer;
