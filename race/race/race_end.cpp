#include <cstring>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "riders/rider_physics.h"
#include "ui/dialog.h"

namespace {

constexpr std::uint8_t RACE_TYPE_PRACTICE = 1;
constexpr std::uint8_t RACE_TYPE_QUALIFYING = 2;
constexpr std::uint8_t RACE_TYPE_MOTO_2 = 4;
constexpr std::uint8_t RACE_TYPE_RESTART = 5;
constexpr std::uint8_t RACE_TYPE_RESUME = 6;
// The front end's scenes after a race.
constexpr std::uint32_t SCENE_GARAGE = 5;
constexpr std::uint32_t SCENE_AFTER_MOTO = 11;
constexpr std::uint32_t SCENE_AFTER_PRACTICE = 12;
constexpr std::uint32_t SCENE_AFTER_QUALIFYING = 13;
constexpr std::uint32_t SCENE_NETWORK = 15;
// The championship's last round rolls no weather for a next one.
constexpr std::int32_t LAST_ROUND = 9;

bool Session() { return g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING; }

std::uint32_t SceneAfterRace() {
  if (g_RaceType == RACE_TYPE_PRACTICE) return SCENE_AFTER_PRACTICE;
  if (g_RaceType == RACE_TYPE_QUALIFYING) return SCENE_AFTER_QUALIFYING;
  return SCENE_AFTER_MOTO;
}

bool Chosen(std::uint16_t i) { return g_Dialogs && i < g_DialogCount && g_Dialogs[i].mode == 2; }

bool NetChampionship() {
  return (g_FrontEnd && g_FrontEnd->GetFlag(FrontEndServices::FLAG_NET_CHAMPIONSHIP) != 0) || g_NetGame->isChampionship;
}

// The event whose series the race belongs to is a championship round.
bool ChampionshipEvent() {
  return g_GameMode == GAME_MODE_CHAMPIONSHIP || (g_GameMode == GAME_MODE_MULTIPLAYER && NetChampionship());
}

void SetFlag(FrontEndServices::SessionFlag f, std::uint8_t v) {
  if (g_FrontEnd) g_FrontEnd->SetFlag(f, v);
}

void GoToScene(std::uint32_t scene) {
  FrontEndCommand(CMD_GO_TO_SCENE, scene, 0, "NULL");
  if (g_FrontEnd) g_FrontEnd->RaiseSceneChange();
}

float* ConditionArray(int i) {
  // Engine, wheels, suspension, clutch, gearbox: the clutch is the array the
  // riders name after the brakes.
  float* arrays[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                      g_ConditionGearbox};
  return arrays[i];
}

}  // namespace

void RaceScene::EndRace() {
  WriteRegistryDword("CameraType", g_CameraType);
  SaveBestLap();
  Rider* player = riders[0];
  const bool championship = ChampionshipEvent();

  if (g_GameMode != GAME_MODE_MULTIPLAYER) {
    bool ended = false;
    if (Chosen(1)) {
      if (player && (!Session() || player->bestLap.totalMs == 0)) player->out = 1;
      if (Session()) {
        raceManager.ClassifySession();
      } else {
        raceManager.ClassifyMoto();
        if (g_FrontEnd) g_FrontEnd->AwardMotoPoints(championship);
      }
      GoToScene(SceneAfterRace());
      ended = true;
    } else if (Chosen(2)) {
      const std::uint32_t lengthMs = std::uint32_t{g_RaceLengthMinutes} * 60000u;
      if (raceManager.GetClock().totalMs < lengthMs) {
        SetFlag(FrontEndServices::FLAG_PREVIOUS_RACE_TYPE, g_RaceType);
        g_RaceType = RACE_TYPE_RESUME;
        raceManager.SaveClock();
        for (std::uint32_t i = 0; i < 20; ++i) {
          if (raceManager.Present(i) && riders[i]) riders[i]->StoreSnapshot();
        }
        GoToScene(SCENE_GARAGE);
        ended = true;
      } else {
        // The session is over already: the garage waits until after it.
        HideDialog(&g_Dialogs[2]);
      }
    } else if (Chosen(3)) {
      for (int i = 0; i < 5; ++i) ConditionArray(i)[0] = conditionAtStart[i];
      SetFlag(FrontEndServices::FLAG_PREVIOUS_RACE_TYPE, g_RaceType);
      g_RaceType = RACE_TYPE_RESTART;
      GoToScene(g_FrontEnd ? g_FrontEnd->CurrentSceneNumber(championship) : 0);
      ended = true;
    }
    if (!ended) {
      if (Session()) {
        if (player && player->bestLap.totalMs == 0) player->out = 1;
        raceManager.ClassifySession();
      } else {
        raceManager.ClassifyMoto();
        if (g_FrontEnd) g_FrontEnd->AwardMotoPoints(championship);
      }
      GoToScene(SceneAfterRace());
    }
  } else {
    std::uint32_t scene = SceneAfterRace();
    if (g_NetOpponentsGone) {
      if (g_FrontEnd) g_FrontEnd->ResetSeries(championship);
      g_NetGame->EnableJoining();
      g_NetGame->LeaveSession();
      scene = SCENE_NETWORK;
    } else if (Chosen(1)) {
      if (g_FrontEnd) g_FrontEnd->ResetSeries(championship);
      g_NetGame->LeaveSession();
      scene = SCENE_NETWORK;
    } else {
      if (g_FrontEnd) g_FrontEnd->AwardMotoPoints(championship);
      SetFlag(FrontEndServices::FLAG_WEATHER_ROLLED, 1);
      if (g_NetGame->isHost) {
        if (championship && g_RaceType != RACE_TYPE_MOTO_2) {
          SetFlag(FrontEndServices::FLAG_WEATHER_CHANGED, 0);
          std::uint16_t rolled = 0;
          if (g_FrontEnd && g_FrontEnd->CurrentRound() != LAST_ROUND && g_OptionWeather &&
              g_FrontEnd->RollRoundWeather(&rolled)) {
            SetFlag(FrontEndServices::FLAG_WEATHER_CHANGED, 1);
            g_NetGame->SendValue(NET_MSG_EVENT_OPTION, rolled);
          }
        }
        g_NetGame->SendResults();
      }
    }
    GoToScene(scene);
  }

  g_Renderer.ResetStatistics();
  if (g_ScreenWidth > 0 && g_ScreenHeight > 0) {
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.0f;
    g_Renderer.ClearRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
  }
}

void RaceScene::SaveBestLap() {
  if (!g_FrontEnd) return;
  const bool championship = ChampionshipEvent();
  RaceTime record;
  std::uint8_t bytes[sizeof(RaceTime)];
  g_FrontEnd->GetLapRecord(championship, bytes);
  std::memcpy(&record, bytes, sizeof record);
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (!raceManager.Present(i) || !riders[i]) continue;
    const Rider& r = *riders[i];
    if (r.out != 0 || r.bestLap.totalMs == 0) continue;
    if (record.totalMs != 0 && r.bestLap.totalMs >= record.totalMs) continue;
    record = r.bestLap;
    std::memcpy(bytes, &record, sizeof record);
    g_FrontEnd->SaveLapRecord(championship, bytes);
  }
}
