#include "race/race/race_scene.h"

float g_DirectorShotTime = 0.0f;
float g_DirectorShotLength = 0.0f;

bool RaceScene::BuildTvCameras() { return true; }

void RaceScene::SetupFlyIn() {}

void RaceScene::DirectCamera(RiderCameraData data, float raceClock) {
  (void)raceClock;
  PlaceCamera(data, cameraMode);
}

void RaceScene::PlaceCamera(RiderCameraData data, std::uint32_t mode) {
  (void)data;
  (void)mode;
}

void RaceScene::SetProjectionForMode() {}

void RaceScene::ApplyCameraMode() {}

void RaceScene::PutCameraBehind(Rider* rider) { (void)rider; }
