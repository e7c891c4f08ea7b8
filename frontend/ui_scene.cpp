#include "frontend/ui_scene.h"

#include "engine/archive.h"
#include "engine/scene_object.h"
#include "engine/system.h"

UiScene::UiScene() = default;

UiScene::~UiScene() = default;

// Only the first step of loading so far: the scene file must open. Reading
// its fonts, widgets and dialogs comes with the front end.
bool UiScene::Load(const char* sceneFile) {
  ArchiveFile file;
  if (!sceneFile || !OpenDataFile(sceneFile, &file)) {
    ShowMessageBox("File error opening ui data.\nPlease reinstall Kelvarro.", "Kelvarro", MESSAGE_BOX_ERROR);
    return false;
  }
  return true;
}

void UiScene::SetTypedObject(int type, std::unique_ptr<SceneObject> object) {
  if (type < 0 || type >= UI_SCENE_TYPED_OBJECTS) return;
  typedObjects_[type] = std::move(object);
}

SceneObject* UiScene::TypedObject(int type) const {
  return type >= 0 && type < UI_SCENE_TYPED_OBJECTS ? typedObjects_[type].get() : nullptr;
}
