// The front-end scene. So far what the scene factory, the window procedure
// and the game controller's commands need: a scene they can make, start, run
// and delete, its movie flag, its closing state, its exit and the widget
// lists the commands set (in file order). Its loader, frame and input are
// still to come.
#pragma once

#include <memory>

#include "engine/scene/scene.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/slider.h"
#include "ui/ui_static_text.h"

class SceneObject;

constexpr std::uint32_t UI_SCENE_RUNNING = 2;
constexpr std::uint32_t UI_SCENE_CLOSING = 3;
// Typed objects: the scene's objects that the commands address by type.
constexpr int UI_SCENE_TYPED_OBJECTS = 16;

class UiScene : public Scene {
 public:
  UiScene();
  ~UiScene() override;

  bool Load(const char* sceneFile) override;

  // Set by the loader for a scene that shows a movie.
  bool IsMovieScene() const { return movieScene_ != 0; }
  // The scene fades out and then raises the pending scene change.
  void SetClosing() { state_ = UI_SCENE_CLOSING; }
  bool IsClosing() const { return state_ == UI_SCENE_CLOSING; }

  // Replaces typed object `type` (deleting the old one); out of range the
  // object is deleted and nothing is kept.
  void SetTypedObject(int type, std::unique_ptr<SceneObject> object);
  SceneObject* TypedObject(int type) const;

  std::uint8_t exitSceneSet = 0;
  std::int32_t exitScene = 0;
  WidgetList<Button> buttons;
  WidgetList<Slider> sliders;
  WidgetList<UiStaticText> uiTexts;

 private:
  std::uint8_t movieScene_ = 0;
  std::unique_ptr<SceneObject> typedObjects_[UI_SCENE_TYPED_OBJECTS];
};
