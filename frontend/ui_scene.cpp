#include "frontend/ui_scene.h"

#include "engine/archive.h"
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
