// The rev-counter needle of the rider HUD: one red triangle pivoting near
// the bottom-right corner of the screen, turned by the engine speed and
// drawn between the tachometer panel and its cover. Each rider owns one.
#pragma once

#include <memory>

#include "engine/renderer.h"
#include "engine/scene_object.h"

class Tachometer : public SceneObject {
 public:
  static constexpr int CORNERS = 3;

  // The pivot starts at the needle panel's corner of the current screen.
  Tachometer();
  ~Tachometer() override;

  // Fills the needle (the file name is not used); false without memory.
  bool Load(const char* path) override;
  // Turns the needle by value between bottom and top and puts the pivot 4
  // pixels in from the bottom-right corner (at 640x480). Returns 0, which
  // reports nothing: the HUD ignores it.
  bool Update(unsigned ms, int mode) override;
  // The needle with vertex colour only, blending off; always true.
  bool Draw() override;

  std::unique_ptr<ScreenVertex[]> model;   // needle coordinates
  std::unique_ptr<ScreenVertex[]> screen;  // on the screen
  // Rotation in the upper-left 2x2, translation the pivot.
  Matrix4 matrix = g_IdentityMatrix;
  float value = 0.0f;  // rpm
  float top = 0.0f;
  float bottom = 0.0f;
};
