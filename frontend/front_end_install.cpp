#include "frontend/front_end_install.h"

#include <cstring>
#include <new>

#include "engine/program_objects.h"
#include "engine/services/event.h"
#include "engine/services/front_end.h"
#include "engine/services/net_game.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "race/race/race_scene.h"

namespace {

ProgramStorage<GameController> gameControllerStorage;
ProgramStorage<PlayersList> playersListStorage;
ProgramStorage<SingleRace> singleRaceStorage;
ProgramStorage<Championship> championshipStorage;

// The engine only ever hands back scenes that these factories made.
class FrontEnd : public FrontEndServices {
 public:
  bool IsSceneChangePending() override { return g_GameController.pendingSceneChange != 0; }
  std::uint32_t NextSceneNumber() override { return static_cast<std::uint32_t>(g_GameController.nextScene); }
  void ClearSceneChange() override {
    g_GameController.pendingSceneChange = 0;
    g_GameController.nextScene = 0;
  }
  void SetUiScene(Scene* scene) override { g_GameController.SetUiScene(static_cast<UiScene*>(scene)); }
  void ClearUiScene() override { g_GameController.ClearUiScene(); }
  void SetRaceScene(Scene* scene) override { g_GameController.SetRaceScene(static_cast<RaceScene*>(scene)); }
  void ClearRaceScene() override { g_GameController.ClearRaceScene(); }
  std::uint8_t NetPlayerCount() override { return g_NetPlayerCount; }
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) override {
    g_GameController.Command(static_cast<std::int32_t>(id), static_cast<std::int32_t>(a1),
                             static_cast<std::int32_t>(a2), text);
  }
  Scene* NewUiScene() override { return new (std::nothrow) UiScene(); }
  bool IsMovieScene(const Scene* scene) override {
    return scene != nullptr && scene == g_GameController.uiScene && g_GameController.uiScene->IsMovieScene();
  }
  void PublishSetup(std::uint16_t slot) override { g_PlayersList.PublishSetup(slot); }
  std::uint8_t GetFlag(SessionFlag flag) override {
    std::uint8_t* f = FlagOf(flag);
    return f ? *f : 0;
  }
  void SetFlag(SessionFlag flag, std::uint8_t value) override {
    if (std::uint8_t* f = FlagOf(flag)) *f = value;
  }
  std::uint16_t SeriesWeather(bool championship) override {
    const RaceEntry* e = championship ? g_Championship.Current() : g_SingleRace.Current();
    return e ? e->weather : 0;
  }
  const char* RiderFile(std::uint8_t slot) override {
    return slot < PLAYER_SLOTS ? g_PlayersList.entries[slot].riderFile : "";
  }
  std::uint8_t GridPlace(std::uint8_t slot) override {
    return slot < PLAYER_SLOTS ? g_PlayersList.entries[slot].gridPosition : 0;
  }
  std::uint16_t RiderNumber(std::uint8_t slot) override {
    return slot < PLAYER_SLOTS ? g_PlayersList.entries[slot].riderNumber : 0;
  }
  const char* RiderName(std::uint8_t slot) override {
    return slot < PLAYER_SLOTS ? g_PlayersList.entries[slot].name : "";
  }
  const std::uint8_t* GridOrder() override { return g_GridOrder; }
  void AwardMotoPoints(bool championship) override {
    if (championship) {
      g_Championship.AwardMotoPoints();
    } else {
      g_SingleRace.AwardMotoPoints();
    }
  }
  void ResetSeries(bool championship) override {
    if (championship) {
      g_Championship.Reset();
    } else {
      g_SingleRace.Reset();
    }
  }
  std::int32_t CurrentRound() override { return g_Championship.current; }
  bool RollRoundWeather(std::uint16_t* weather) override {
    RaceEntry* e = g_Championship.Current();
    if (!e) return false;
    const std::uint16_t before = e->weather;
    g_Championship.RollWeather(static_cast<std::uint16_t>(g_Championship.current));
    *weather = e->weather;
    return e->weather != before;
  }
  void GetLapRecord(bool championship, std::uint8_t record[16]) override {
    RaceTime r;
    Series(championship).GetLapRecord(&r);
    std::memcpy(record, &r, sizeof r);
  }
  void SaveLapRecord(bool championship, const std::uint8_t record[16]) override {
    RaceTime r;
    std::memcpy(&r, record, sizeof r);
    Series(championship).SaveLapRecord(r);
  }
  std::uint16_t CurrentSceneNumber(bool championship) override {
    return Series(championship).GetCurrentSceneNumber();
  }
  void RaiseSceneChange() override { g_GameController.pendingSceneChange = 1; }

 private:
  static RaceSeries& Series(bool championship) {
    if (championship) return g_Championship;
    return g_SingleRace;
  }
  static std::uint8_t* FlagOf(SessionFlag flag) {
    switch (flag) {
      case FLAG_PREVIOUS_RACE_TYPE:
        return &g_PreviousRaceType;
      case FLAG_NO_BUDGET:
        return &g_NoBudget;
      case FLAG_PRACTICE_SKIPPED:
        return &g_PracticeSkipped;
      case FLAG_QUALIFYING_SKIPPED:
        return &g_QualifyingSkipped;
      case FLAG_QUALIFYING_SKIPPED_NO_FEE:
        return &g_QualifyingSkippedNoFee;
      case FLAG_WEATHER_CHANGED:
        return &g_WeatherChanged;
      case FLAG_WEATHER_ROLLED:
        return &g_WeatherRolled;
      case FLAG_NET_CHAMPIONSHIP:
        return &g_NetChampionship;
    }
    return nullptr;
  }
};

// The event being raced, as the riders read it when they are made.
class Event : public EventServices {
 public:
  std::uint16_t CurrentWeather() override {
    const RaceEntry* e = CurrentSeries().Current();
    return e ? e->weather : 0;
  }
  bool NetworkGame() override { return g_GameMode == GAME_MODE_MULTIPLAYER; }
  std::uint16_t CurrentEntry() override {
    const RaceSeries& series = CurrentSeries();
    return series.current < 0 ? 0 : static_cast<std::uint16_t>(series.current);
  }
  std::uint16_t CurrentPace() override {
    const RaceEntry* e = CurrentSeries().Current();
    return e ? e->trackInfo[2] : 0;
  }
  bool SlotTaken(std::uint8_t slot) override { return slot < 20 && g_PlayersList.entries[slot].netPlayerId != 0; }
  void WriteResult(std::uint8_t slot, std::uint8_t column, bool championship, const Result& r) override {
    if (slot >= 20 || column > 1) return;
    RaceSeries* series = &static_cast<RaceSeries&>(g_SingleRace);
    if (championship) {
      series = &g_Championship;
      const std::size_t round = g_Championship.current < 0 ? 0 : static_cast<std::size_t>(g_Championship.current);
      const std::size_t at = round * 2 + column;
      if (at < g_Championship.positions[slot].size()) g_Championship.positions[slot][at] = r.place;
      if (at < g_Championship.noScore[slot].size()) g_Championship.noScore[slot][at] = r.out;
    } else {
      g_SingleRace.motoPositions[slot][column] = r.place;
    }
    std::memcpy(&series->raceTimes[slot], r.raceTime, sizeof r.raceTime);
    std::memcpy(&series->bestLaps[slot], r.bestLap, sizeof r.bestLap);
    series->lapsRidden[slot] = r.lapsRidden;
    series->outOfRace[slot] = r.out;
  }
};

FrontEnd frontEnd;
Event event;

}  // namespace

constinit GameController& g_GameController = gameControllerStorage.object();
constinit PlayersList& g_PlayersList = playersListStorage.object();
constinit SingleRace& g_SingleRace = singleRaceStorage.object();
constinit Championship& g_Championship = championshipStorage.object();

void InstallFrontEnd() {
  InstallFrontEndServices(&frontEnd);
  InstallEventServices(&event);
  SetProgramObject(PROGRAM_OBJECT_GAME_CONTROLLER, {"g_GameController", [] { gameControllerStorage.Construct(); }, nullptr});
  SetProgramObject(PROGRAM_OBJECT_PLAYERS_LIST, {"g_PlayersList", [] { playersListStorage.Construct(); }, nullptr});
  SetProgramObject(PROGRAM_OBJECT_SINGLE_RACE,
                   {"g_SingleRace", [] { singleRaceStorage.Construct(); }, [] { singleRaceStorage.Destroy(); }});
  SetProgramObject(PROGRAM_OBJECT_CHAMPIONSHIP,
                   {"g_Championship", [] { championshipStorage.Construct(); }, [] { championshipStorage.Destroy(); }});
}
