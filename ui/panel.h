// The textured screen rectangle: menu and dialog backgrounds, HUD plates,
// flags, the loading screen. Placed in screen pixels from any corner,
// coloured, and faded by alpha with a completion callback.
//
// .OSP file, little-endian (str = u32 n with the NUL, n bytes): u8 y from
// top, u8 x from left, u8 blend, str texture, 3 x f32 position, 2 x f32
// size, 3 x f32 colour, 4 x {f32 u, f32 v} for the corners top-left,
// top-right, bottom-right, bottom-left.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "engine/scene_object.h"

class DataReader;
class Stream;

constexpr std::uint32_t PANEL_TEXTURE_NAME_SIZE = 256;

class Panel : public SceneObject {
 public:
  Panel();
  ~Panel() override;

  // Store and recompute the vertex positions, unsnapped.
  void SetPosition(float x, float y, float z) override;
  // w, h and the stored depth.
  void SetScale(float w, float h, float d) override;
  bool Load(const char* path) override;
  // Steps the fade (mode ignored).
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  bool LoadFromStream(Stream* stream);

  void SetAnchors(std::uint8_t yFromTop, std::uint8_t xFromLeft);
  void SetColour(float r, float g, float b);
  void SetUvs(float uTopLeft, float vTopLeft, float uTopRight, float vTopRight, float uBottomRight,
              float vBottomRight, float uBottomLeft, float vBottomLeft);
  // Corner 0..3; any other index gives 0.
  float GetU(std::uint8_t i) const { return i < 4 ? u[i] : 0.0f; }
  float GetV(std::uint8_t i) const { return i < 4 ? v[i] : 0.0f; }
  // Loaded in place of the file's texture while not empty; cut to fit.
  bool SetTextureName(const char* name);
  // All six vertices, snapped to 1/16 pixel in the Glide build.
  void UpdateVertices();
  void FreeTexture();
  void StartFade(float target, unsigned ms, void (*callback)());
  void SetAlpha(float a);
  // True until the elapsed time reaches the duration.
  bool IsFading() const { return fadeElapsed < fadeDuration; }

  ScreenVertex vertices[6] = {};
  std::uint16_t vertexCount = 6;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;
  float h = 0.0f;
  float depth = 0.0f;
  float colourR = 1.0f;
  float colourG = 1.0f;
  float colourB = 1.0f;
  float u[4] = {};
  float v[4] = {};
  std::uint8_t yFromTop = 0;
  std::uint8_t xFromLeft = 0;
  std::uint8_t blend = 0;
  std::uint32_t fadeElapsed = 0;
  std::uint32_t fadeDuration = 0;
  float fadeTarget = 1.0f;
  float alpha = 1.0f;
  float fadeStep = 0.0f;
  void (*fadeCallback)() = nullptr;
  char textureOverride[PANEL_TEXTURE_NAME_SIZE] = {};

 protected:
  // The rectangle's edges in screen pixels from the anchors.
  void Edges(float* left, float* top, float* right, float* bottom) const;
  void PlaceCorners(float left, float top, float right, float bottom);
  // The six colours at the current alpha (scaled by it in the Glide build).
  void Repack();
};
