#include "frontend/game_controller.h"

#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"

std::uint8_t g_PreviousRaceType = 0;
std::uint8_t g_NoBudget = 0;
std::uint8_t g_PracticeSkipped = 0;
std::uint8_t g_QualifyingSkipped = 0;
std::uint8_t g_QualifyingSkippedNoFee = 0;
std::uint8_t g_WeatherChanged = 0;
std::uint8_t g_WeatherRolled = 0;
std::int32_t g_SceneAfterWeather = 0;
std::uint8_t g_NetChampionship = 0;
std::uint8_t g_RandomRoundOrder = 0;

namespace {

const CommandTable& Table() {
  static const CommandTable table = [] {
    CommandTable t;
    RegisterControllerCommands(&t);
    RegisterOptionsCommands(&t);
    RegisterGarageCommands(&t);
    RegisterDisplayCommands(&t);
    RegisterEventCommands(&t);
    RegisterPlayerCommands(&t);
    RegisterSessionCommands(&t);
    RegisterLobbyCommands(&t);
    return t;
  }();
  return table;
}

void GoToSceneCommand(std::int32_t a1, std::int32_t, const char*) { GoToScene(a1); }

// Steps of `step` from 1 to `count` - 1, each threshold k x step rounded to
// single precision as a constant would be.
std::uint16_t ValueToStep(float v, int count, double step) {
  if (v >= 1.0f) return static_cast<std::uint16_t>(count);
  for (int k = count - 1; k >= 1; --k) {
    if (v >= static_cast<float>(k * step)) return static_cast<std::uint16_t>(k);
  }
  return 0;
}

}  // namespace

void RegisterControllerCommands(CommandTable* table) { table->handlers[CMD_GO_TO_SCENE] = GoToSceneCommand; }

UiScene* CurrentUiScene() { return g_GameController.uiScene; }

void Nested(std::int32_t id, std::int32_t a1, std::int32_t a2) { g_GameController.Command(id, a1, a2, "NULL"); }

void GoToScene(std::int32_t n) {
  g_GameController.nextScene = n;
  if (UiScene* scene = CurrentUiScene()) scene->SetClosing();
}

bool IsChampionshipSeries() {
  return g_GameMode == GAME_MODE_CHAMPIONSHIP || (g_GameMode == GAME_MODE_MULTIPLAYER && g_NetChampionship);
}

RaceSeries& CurrentSeries() {
  if (IsChampionshipSeries()) return g_Championship;
  return g_SingleRace;
}

GameController::GameController() = default;

void GameController::Command(std::int32_t id, std::int32_t a1, std::int32_t a2, const char* text) {
  if (id < 0 || id >= COMMAND_COUNT || id == CMD_NONE) return;
  if (CommandHandler handler = Table().handlers[id]) handler(a1, a2, text ? text : "NULL");
}

std::uint16_t GameController::ValueToStep10(float v) { return ValueToStep(v, 10, 0.1); }

std::uint16_t GameController::ValueToStep20(float v) { return ValueToStep(v, 20, 0.05); }
