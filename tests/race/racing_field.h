// A race scene's field for tests of the frame and the keys: riders placed
// 1st to n-th in slot order, racing on their first lap, the player's rider
// (slot 0) followed and the keys enabled.
#pragma once

#include <cstdint>

#include "race/race/race_scene.h"

namespace kelvtest {

template <class RiderT>
void FillRacingField(RaceScene* scene, int count) {
  for (int i = 0; i < count; ++i) {
    auto* r = new RiderT();
    r->SetIndex(static_cast<std::uint8_t>(i));
    r->racePosition = static_cast<std::uint8_t>(i + 1);
    r->state = RIDER_RACING;
    r->started = 1;
    r->lap = 1;
    scene->riders[i] = r;
    scene->raceManager.riders[i] = r;
  }
  scene->riders[0]->SetFollowed();
  scene->followedRider = 0;
  scene->inputEnabled = true;
  scene->cameraMode = CAMERA_HELMET;
}

}  // namespace kelvtest
