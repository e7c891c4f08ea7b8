// What the engine needs of the front end: the game controller (its pending
// scene change, the current scenes and its numbered commands) and the UI
// scene. The front end installs its implementation before the program objects
// are built; the engine never includes front-end headers.
#pragma once

#include <cstdint>

class Scene;

class FrontEndServices {
 public:
  // The game controller's pending scene change, which WinMain carries out.
  virtual bool IsSceneChangePending() = 0;
  virtual std::uint32_t NextSceneNumber() = 0;
  // Clears the pending flag and the next scene number.
  virtual void ClearSceneChange() = 0;

  // The current scenes as the game controller knows them.
  virtual void SetUiScene(Scene* scene) = 0;
  virtual void ClearUiScene() = 0;
  virtual void SetRaceScene(Scene* scene) = 0;
  virtual void ClearRaceScene() = 0;

  // One numbered command of the game controller (ids and arguments 16-bit
  // values passed as words; text NUL-terminated).
  virtual void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) = 0;

  // A new UI scene, or null when it cannot be made.
  virtual Scene* NewUiScene() = 0;
  // True when `scene` is a UI scene that shows a movie.
  virtual bool IsMovieScene(const Scene* scene) = 0;

  // Copies the set-up of players-list slot `slot` into g_RiderSetups[slot].
  // A front end without a players list leaves the set-ups as they are.
  virtual void PublishSetup(std::uint16_t slot) { (void)slot; }

  // The game modes' session flags that a race reads and settles.
  enum SessionFlag : std::uint8_t {
    FLAG_PREVIOUS_RACE_TYPE,
    FLAG_NO_BUDGET,
    FLAG_PRACTICE_SKIPPED,
    FLAG_QUALIFYING_SKIPPED,
    FLAG_QUALIFYING_SKIPPED_NO_FEE,
    FLAG_WEATHER_CHANGED,
    FLAG_WEATHER_ROLLED,
    // The network event is a championship round.
    FLAG_NET_CHAMPIONSHIP,
  };
  virtual std::uint8_t GetFlag(SessionFlag flag) {
    (void)flag;
    return 0;
  }
  virtual void SetFlag(SessionFlag flag, std::uint8_t value) {
    (void)flag;
    (void)value;
  }
  // The weather code of the championship's current round or of the single
  // race's current entry.
  virtual std::uint16_t SeriesWeather(bool championship) {
    (void)championship;
    return 0;
  }
  // Players in the network game, the local one included.
  virtual std::uint8_t NetPlayerCount() { return 1; }
  // The rider file and the network grid place of players-list slot `slot`.
  virtual const char* RiderFile(std::uint8_t slot) {
    (void)slot;
    return "";
  }
  virtual std::uint8_t GridPlace(std::uint8_t slot) {
    (void)slot;
    return 0;
  }
  // The race number and the name of players-list slot `slot`, which the
  // race's HUD shows.
  virtual std::uint16_t RiderNumber(std::uint8_t slot) { return slot; }
  virtual const char* RiderName(std::uint8_t slot) {
    (void)slot;
    return "";
  }
  // The moto's starting grid: the rider slot on each place.
  virtual const std::uint8_t* GridOrder() { return nullptr; }

  // What a race's end settles with the game modes. `championship` picks the
  // championship's current round over the single race's current entry.
  virtual void AwardMotoPoints(bool championship) { (void)championship; }
  virtual void ResetSeries(bool championship) { (void)championship; }
  // The championship's current round (index).
  virtual std::int32_t CurrentRound() { return 0; }
  // A new weather rolled for the championship's current round: true when it
  // differs from the one stored, with the new one in *weather.
  virtual bool RollRoundWeather(std::uint16_t* weather) {
    (void)weather;
    return false;
  }
  // The current event's lap record as a 16-byte race time (all zero when
  // there is none), and a new one written to the event and its file.
  virtual void GetLapRecord(bool championship, std::uint8_t record[16]) {
    (void)championship;
    for (int i = 0; i < 16; ++i) record[i] = 0;
  }
  virtual void SaveLapRecord(bool championship, const std::uint8_t record[16]) {
    (void)championship;
    (void)record;
  }
  // The scene number of the current event (a championship round is marked
  // as played).
  virtual std::uint16_t CurrentSceneNumber(bool championship) {
    (void)championship;
    return 0;
  }
  // Raises the game controller's scene-change flag.
  virtual void RaiseSceneChange() {}


 protected:
  ~FrontEndServices() = default;
};

// Null until the front end installs itself.
extern FrontEndServices* g_FrontEnd;
void InstallFrontEndServices(FrontEndServices* services);
// One command to the game controller; nothing while no front end is installed.
void FrontEndCommand(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text);

// Game-controller commands the engine, the UI toolkit and the race issue.
constexpr std::uint32_t CMD_GO_TO_SCENE = 0;
constexpr std::uint32_t CMD_SET_SKILL = 5;
constexpr std::uint32_t CMD_SET_SETUP_VALUE = 48;
constexpr std::uint32_t CMD_REFRESH_PLAYER_NAME = 59;
constexpr std::uint32_t CMD_SHOW_RIDER_RATINGS = 73;
constexpr std::uint32_t CMD_SHOW_RIDER_CHOICE = 75;
constexpr std::uint32_t CMD_SET_RIDER_COUNT = 90;
constexpr std::uint32_t CMD_LOAD_OPTIONS = 40;
constexpr std::uint32_t CMD_SAVE_OPTIONS = 41;
constexpr std::uint32_t CMD_PLAY_MOVIE = 78;
constexpr std::uint32_t CMD_RESET_SETUP = 81;
// Charges the entry fee of the current event.
constexpr std::uint32_t CMD_RACE_ENTRY_FEE = 23;
