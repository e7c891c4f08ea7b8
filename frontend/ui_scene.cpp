#include "frontend/ui_scene.h"

UiScene::UiScene() = default;

UiScene::~UiScene() = default;

bool UiScene::Load(const char*) { return true; }
