#include "race/race/race_scene.h"

void RaceScene::EndRace() {}

void RaceScene::SaveBestLap() {}
