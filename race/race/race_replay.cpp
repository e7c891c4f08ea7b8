// The action replay's start after a moto and its end: the same scene runs
// the race again from the grid on the recorded controls, then puts the real
// race's results back before the race ends.
#include "engine/cd_audio.h"
#include "engine/mixer.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "riders/rider_physics.h"
#include "ui/dialog.h"

std::uint16_t g_SavedDialogModes[6] = {};

namespace {

constexpr std::uint8_t REPLAY_CD_TRACK = 3;

float* ConditionArray(int i) {
  float* arrays[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                      g_ConditionGearbox};
  return arrays[i];
}

bool CdLinesAudible() {
  for (MixerLineKind kind : {MIXER_LINE_CD, MIXER_LINE_DIGITAL, MIXER_LINE_AUX}) {
    MixerLine* line = g_Mixer.Line(kind);
    if (line && line->GetVolume() > 0) return true;
  }
  return false;
}

}  // namespace

void RaceScene::StartActionReplay() {
  for (std::uint16_t i = 0; g_Dialogs && i < g_DialogCount && i < 6; ++i) g_SavedDialogModes[i] = g_Dialogs[i].mode;
  for (std::uint16_t i = 0; g_Dialogs && i < g_DialogCount && i < 5; ++i) HideDialog(&g_Dialogs[i]);
  g_RaceOver = 0;
  playback = true;
  state_ = RACE_STATE_STARTING;
  cameraMode = CAMERA_TV;
  for (Rider* r : riders) {
    if (!r) continue;
    r->BeginReplay();
    r->StoreSnapshot();
    r->Reset();
  }
  raceManager.SaveClock();
  raceManager.ResetClock();
  BuildStartingGrid();
  for (int c = 0; c < 5; ++c) {
    for (int r = 0; r < 20; ++r) savedConditions[c][r] = ConditionArray(c)[r];
  }
  replay.Rewind();
  track.ResetTyreMarks();
  if (CdLinesAudible() && g_CdAudio.state != CDAUDIO_PLAYING) {
    g_CdAudio.track = REPLAY_CD_TRACK;
    if (g_CdAudio.state == CDAUDIO_CLOSED || g_CdAudio.state == CDAUDIO_NO_DEVICE) g_CdAudio.Open();
    if (g_CdAudio.state != CDAUDIO_PLAYING) g_CdAudio.Play();
  }
}

void RaceScene::CloseActionReplay() {
  for (int c = 0; c < 5; ++c) {
    for (int r = 0; r < 20; ++r) ConditionArray(c)[r] = savedConditions[c][r];
  }
  raceManager.RestoreClock();
  for (std::uint16_t i = 0; g_Dialogs && i < g_DialogCount && i < 6; ++i) g_Dialogs[i].ResetFocus(g_SavedDialogModes[i]);
  replay.Delete();
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (!riders[i]) continue;
    riders[i]->RestoreSnapshot(static_cast<std::uint8_t>(i));
    riders[i]->EndReplay();
  }
}
