#include "race/race/race_scene.h"

#include "engine/cd_audio.h"

RaceScene::RaceScene() {
  sceneWord_ = CAMERA_FIXED;
  // The race plays no CD music.
  if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
}

RaceScene::~RaceScene() = default;

bool RaceScene::Load(const char*) { return true; }
