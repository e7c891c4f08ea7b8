#include "race/race/race_scene.h"

void RaceScene::OnKey(UINT msg, WPARAM wParam, LPARAM lParam) { Scene::OnKey(msg, wParam, lParam); }

void RaceScene::OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) { Scene::OnMouse(msg, wParam, lParam); }

void RaceScene::Rejoin() {}

void RaceScene::UpdatePitTimer() {}

void RaceScene::UpdateViewRect() {}

void RaceScene::HideDialog(Dialog* dialog) { (void)dialog; }
