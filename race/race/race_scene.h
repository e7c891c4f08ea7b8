// The race scene. So far only what the scene factory needs: a scene it can
// make, start, run and delete. The race itself is still to come.
#pragma once

#include "engine/scene/scene.h"

// The race camera's fixed mode, which a race starts in.
constexpr std::uint32_t CAMERA_FIXED = 8;

class RaceScene : public Scene {
 public:
  RaceScene();
  ~RaceScene() override;

  bool Load(const char* sceneFile) override;

  std::uint32_t CameraMode() const { return sceneWord_; }
};
