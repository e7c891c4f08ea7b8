// The game controller: the one place through which the front end, the race
// end and the network game change the game's state. It holds the pending
// scene change that the main loop carries out, the current scenes and the
// garage's working copy of the player's money and bike condition, and runs
// the numbered commands (ids 0..92, whose numbers the UI data files store).
#pragma once

#include <cstdint>

#include "engine/game_settings.h"
#include "engine/services/front_end.h"

class RaceScene;
class UiScene;

// The command ids; those the engine and the UI toolkit issue are declared
// with the engine's front-end services.
enum CommandId : std::int32_t {
  // 0: CMD_GO_TO_SCENE (engine/services/front_end.h)
  CMD_MUSIC_VOLUME_UP = 1,
  CMD_MUSIC_VOLUME_DOWN = 2,
  CMD_EFFECTS_VOLUME_UP = 3,
  CMD_EFFECTS_VOLUME_DOWN = 4,
  // 5: CMD_SET_SKILL (engine/services/front_end.h)
  CMD_SET_GAME_MODE = 6,
  CMD_PREVIOUS_EVENT = 7,
  CMD_NEXT_EVENT = 8,
  CMD_CONTINUE_EVENT = 9,
  CMD_QUIT = 10,
  CMD_SET_PLAYER_NAME = 11,
  CMD_SET_RIDER_FILE = 12,
  CMD_CHOOSE_RIDER = 13,
  CMD_PROGRESS_BAR_UP = 14,
  CMD_PROGRESS_BAR_DOWN = 15,
  CMD_SET_PROGRESS_BAR = 16,
  CMD_SHOW_NUMBERED_NAME = 17,
  CMD_LEAVE_SCENE = 18,
  CMD_AFTER_RACE = 19,
  CMD_ENTER_PLAYER_NAME = 20,
  CMD_AWARD_MOTO_POINTS = 21,
  CMD_REPAIR_PART = 22,
  CMD_PAY_ENTRY_FEE = 23,
  CMD_SET_RACE_TYPE = 24,
  CMD_LOAD_EVENT_DATA = 25,
  CMD_SET_UI_TEXT = 26,
  CMD_INIT_PLAYER_SCREEN = 27,
  CMD_SELECT_SAVE_SLOT = 28,
  CMD_LOAD_GAME = 29,
  CMD_SAVE_GAME = 30,
  CMD_CHOOSER_PREVIOUS = 31,
  CMD_CHOOSER_NEXT = 32,
  CMD_SHOW_OPTIONS = 33,
  CMD_SET_WEATHER = 34,
  CMD_SHOW_EVENT = 35,
  CMD_SHOW_TRACK_INFO = 36,
  CMD_TOGGLE_OPTION = 37,
  CMD_RACE_LENGTH_UP = 38,
  CMD_RACE_LENGTH_DOWN = 39,
  // 40: CMD_LOAD_OPTIONS (engine/services/front_end.h)
  // 41: CMD_SAVE_OPTIONS (engine/services/front_end.h)
  CMD_SHOW_SAVE_NAMES = 42,
  CMD_SKILL_UP = 43,
  CMD_SKILL_DOWN = 44,
  CMD_SLIDER_UP = 45,
  CMD_SLIDER_DOWN = 46,
  CMD_SHOW_SETUP = 47,
  // 48: CMD_SET_SETUP_VALUE (engine/services/front_end.h)
  CMD_SHOW_GARAGE = 49,
  CMD_SHOW_RIDER_LIST = 50,
  CMD_CONFIRM_PLAYER = 51,
  CMD_START_EVENT = 52,
  CMD_END_EVENT = 53,
  CMD_SET_EXIT = 54,
  CMD_SET_DIALOG_MODE = 55,
  CMD_SHOW_DIALOG = 56,
  CMD_LOAD_SINGLE_RACES = 57,
  CMD_COMMIT_SETTING = 58,
  // 59: CMD_REFRESH_PLAYER_NAME (engine/services/front_end.h)
  CMD_NET_SHOW_SETUP = 60,
  CMD_NET_SELECT_PROVIDER = 61,
  CMD_NET_CYCLE_SETTING = 62,
  CMD_NET_CONNECT = 63,
  CMD_NET_SHOW_SESSION = 64,
  CMD_NET_LOBBY = 65,
  CMD_NET_OPEN_SESSION = 66,
  CMD_NET_SHOW_PLAYERS = 67,
  CMD_NET_SEND_CHOICE = 68,
  CMD_NONE = 69,
  CMD_OPEN_FIRST_DIALOG = 70,
  CMD_NET_START_RACE = 71,
  CMD_CHOOSER_GO_TO_PAGE = 72,
  // 73: CMD_SHOW_RIDER_RATINGS (engine/services/front_end.h)
  CMD_LOAD_FOCUS_LIST = 74,
  // 75: CMD_SHOW_RIDER_CHOICE (engine/services/front_end.h)
  CMD_NET_PLAYER_COUNT = 76,
  CMD_NET_RIDER_OUT = 77,
  // 78: CMD_PLAY_MOVIE (engine/services/front_end.h)
  CMD_CONFIRM_RIDER = 79,
  CMD_APPLY_EVENT_SETUP = 80,
  // 81: CMD_RESET_SETUP (engine/services/front_end.h)
  CMD_RESET_CONDITIONS = 82,
  CMD_BUILD_BIKE_OBJECTS = 83,
  CMD_MOVE_PLAYER_LINE = 84,
  CMD_START_RACE = 85,
  CMD_SETUP_QUALIFYING = 86,
  CMD_SHOW_ROUND_WEATHER = 87,
  CMD_SHOW_STANDINGS = 88,
  CMD_SHUFFLE_GRID = 89,
  // 90: CMD_SET_RIDER_COUNT (engine/services/front_end.h)
  CMD_START_DIRECT_RACE = 91,
  CMD_SHOW_CREDITS = 92,
  COMMAND_COUNT = 93,
};

class GameController {
 public:
  GameController();

  // Only the scene factory calls these; at most one scene pointer is set.
  void SetUiScene(UiScene* scene) { uiScene = scene; }
  void ClearUiScene() { uiScene = nullptr; }
  void SetRaceScene(RaceScene* scene) { raceScene = scene; }
  void ClearRaceScene() { raceScene = nullptr; }

  // Runs one command to completion. Ids outside 0..92 and 69 do nothing; a
  // null text counts as "NULL".
  void Command(std::int32_t id, std::int32_t a1, std::int32_t a2, const char* text);

  // A value 0..1 as a slider position: 0..10 in steps of 0.1, 0..20 in steps
  // of 0.05 (thresholds compared in single precision).
  static std::uint16_t ValueToStep10(float v);
  static std::uint16_t ValueToStep20(float v);

  // Raised when the next scene is to be made; the main loop clears both.
  std::uint8_t pendingSceneChange = 0;
  std::int32_t nextScene = 0;
  UiScene* uiScene = nullptr;
  RaceScene* raceScene = nullptr;
  // The garage's working copy of the player's money and of the five parts'
  // condition (engine, wheels, suspension, clutch, gearbox; 1.0 new).
  std::int16_t money = 0;
  float conditions[5] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
};

class PlayersList;
class SingleRace;
class Championship;
class RaceSeries;

extern GameController& g_GameController;
extern PlayersList& g_PlayersList;
extern SingleRace& g_SingleRace;
extern Championship& g_Championship;

enum RaceTypeId : std::uint8_t {
  RACE_TYPE_NONE = 0,
  RACE_TYPE_PRACTICE = 1,
  RACE_TYPE_QUALIFYING = 2,
  RACE_TYPE_MOTO_1 = 3,
  RACE_TYPE_MOTO_2 = 4,
  RACE_TYPE_RESTART = 5,
  RACE_TYPE_RESUME = 6,
};

// The game-mode state the commands read and write. g_GameMode, g_RaceType,
// g_GameSkill and g_MissileMode live in engine/game_settings.h, which the
// loaders and the riders read.
extern std::uint8_t g_PreviousRaceType;
// Repairs regardless of money, no entry fees, the no-budget menus; every
// option load sets it.
extern std::uint8_t g_NoBudget;
extern std::uint8_t g_PracticeSkipped;
extern std::uint8_t g_QualifyingSkipped;
extern std::uint8_t g_QualifyingSkippedNoFee;
extern std::uint8_t g_WeatherChanged;
extern std::uint8_t g_WeatherRolled;
extern std::int32_t g_SceneAfterWeather;
// The network game's championship flag, until the network game holds it.
extern std::uint8_t g_NetChampionship;
// Hidden modes that a player-name code switches on; the resets switch them off.
extern std::uint8_t g_RandomRoundOrder;
// The player screen: the name last shown or confirmed in the name field,
// whether the name entered last was a hidden code, and (network game)
// whether the rider on the shown page is taken.
extern char g_ShownPlayerName[256];
extern std::uint8_t g_HiddenNameEntered;
extern std::uint8_t g_RiderTaken;
// The save screen's chosen slot as its button index 2..5, 0 for none.
extern std::uint8_t g_SelectedSaveSlot;
// The rider slot on each starting place of the next moto, and the order in
// which the riders pick their places; g_RiderCount + 1 marks a free entry.
extern std::uint8_t g_GridOrder[20];
extern std::uint8_t g_GatePickOrder[20];

// g_Championship in championship mode and in a network championship,
// g_SingleRace otherwise.
RaceSeries& CurrentSeries();
