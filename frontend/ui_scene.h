// The front-end scene. So far only what the scene factory and the window
// procedure need: a scene they can make, start, run and delete, and its movie
// flag. Its loader, widgets and movie are still to come.
#pragma once

#include "engine/scene/scene.h"

class UiScene : public Scene {
 public:
  UiScene();
  ~UiScene() override;

  bool Load(const char* sceneFile) override;

  // Set by the loader for a scene that shows a movie.
  bool IsMovieScene() const { return movieScene_ != 0; }

 private:
  std::uint8_t movieScene_ = 0;
};
