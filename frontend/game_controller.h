// The game controller, the players list and the game modes: so far what the
// application shell needs of them (the pending scene change, the current
// scenes and their places in the program's construction order). The numbered
// commands are still to come.
#pragma once

#include <cstdint>

class RaceScene;
class UiScene;

class GameController {
 public:
  GameController();

  void SetUiScene(UiScene* scene) { uiScene = scene; }
  void ClearUiScene() { uiScene = nullptr; }
  void SetRaceScene(RaceScene* scene) { raceScene = scene; }
  void ClearRaceScene() { raceScene = nullptr; }
  // One numbered command.
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text);

  // Set together with nextScene; WinMain carries the change out.
  std::uint8_t pendingSceneChange = 0;
  std::uint32_t nextScene = 0;
  UiScene* uiScene = nullptr;
  RaceScene* raceScene = nullptr;
  std::uint32_t money = 0;
  // The player's bike parts, 1.0 new.
  float condition[5] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
};

class PlayersList {};
class SingleRace {};
class Championship {};

extern GameController& g_GameController;
extern PlayersList& g_PlayersList;
extern SingleRace& g_SingleRace;
extern Championship& g_Championship;
