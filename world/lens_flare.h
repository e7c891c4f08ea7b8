// The sun and the chain of reflections a lens throws across the picture when
// the sun is in view: eleven textured squares in screen space, three at the
// sun and eight along the line from the sun through the screen centre.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "engine/scene_object.h"

constexpr int LENS_FLARE_QUADS = 11;

class LensFlareEffect : public SceneObject {
 public:
  // A corner in units of the quad's side, with its texture coordinates.
  struct ModelCorner {
    float x, y, u, v;
  };

  LensFlareEffect();
  bool Load(const char* textureName) override;
  // Where the sun is on the screen and how much of its sprite the view
  // shows; the race draws before it updates, so a frame shows the last one.
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  // The screen quads, clipped to the view.
  void Layout();

  ModelCorner model[LENS_FLARE_QUADS][6];
  ScreenVertex screen[LENS_FLARE_QUADS][6];
  Vector3 sunPosition = Vector3(0.0f, 0.0f, 0.0f);
  float line[LENS_FLARE_QUADS];
  float sizes[LENS_FLARE_QUADS];
  std::uint8_t visible = 0;
  std::uint8_t quadVisible[LENS_FLARE_QUADS] = {};
  float fraction = 1.0f;
  float sunX = 0.0f, sunY = 0.0f;
  float boxLeft = 0.0f, boxRight = 0.0f, boxTop = 0.0f, boxBottom = 0.0f;
  Vector3 sunDirection = Vector3(0.0f, 0.0f, 0.0f);
};
