// The race's bookkeeper: the riders taking part, the race clock, laps and
// positions on the track's centre line, the table of line crossings, the
// computer riders' lines, speeds and pit stops, collisions between riders,
// respawn points and the final classification.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/maths.h"
#include "race/race_hud.h"
#include "riders/race_time.h"

class Rider;
class Track;
class RiderMissile;

// A race time set from a millisecond count.
RaceTime RaceTimeFromMs(std::uint32_t ms);
// A race time of h hundredths (thousandths 0, hours kept below 60).
RaceTime RaceTimeFromHundredths(std::uint32_t h);

// Every crossing of the finish line: row r completes lap r + 1.
struct LapTimeRow {
  RaceTime crossing[20];
  std::uint8_t order[20] = {};
  std::uint8_t nextOrder = 1;
};

struct LapTimeTable {
  static constexpr std::uint32_t ROWS = 100;
  LapTimeRow rows[ROWS];
  // The crossing that completed lap `lap` - 1 of a rider now on `lap`; a
  // zero time when there is none (lap 1, or past the table).
  RaceTime LastCrossing(std::uint32_t lap, std::uint8_t slot) const;
};

// The slow nodes of event `event` (inclusive ranges) in the dry or rain.
bool IsSlowNode(std::uint16_t event, bool rain, std::uint32_t node);

// The target speed in m/s for an angle (radians) off the aim.
float SpeedCurve(float angle);

class RaceManager {
 public:
  static constexpr std::uint8_t NO_GRID_SLOT = 21;

  RaceManager();
  ~RaceManager();
  RaceManager(const RaceManager&) = delete;
  RaceManager& operator=(const RaceManager&) = delete;

  // The track whose nodes and sections the laps, lines and respawn heading
  // use; sets the node count.
  void SetTrack(const Track* track);
  void SetNodeCount(std::uint32_t count) { nodeCount = count; }
  // The name the HUD shows (cut to fit).
  void SetTrackName(const char* name);
  // The table of line crossings; false without memory.
  bool AllocateLapTimes();
  // Kind 1 the player's rider (slot 0), kind 2 the next free slot.
  bool RegisterRider(Rider* rider, int kind);
  void SetRiderCount(std::uint8_t count) { resultCount = count; }
  // The player's missile, which the rider pass aims; null without one.
  void SetMissile(RiderMissile* m) { missile = m; }

  void StepClock(int raceState, float frameTime);
  void SetHostClock(std::uint32_t ms);
  void StartFinalLap();
  void ResetClock() { clock = RaceTime(); }
  void SaveClock();
  void RestoreClock();
  RaceTime GetClock() const { return clock; }

  void UpdateRiders(int raceState);
  void Collide(std::uint8_t a, std::uint8_t b);
  bool IsSlowZone(std::uint32_t node) const;

  void UpdatePitStops();
  // Copies `count` points (at most the rider count): the number built.
  bool SetRespawnPoints(const Vector3* points, std::uint32_t count);
  bool FindRespawnPoint(std::uint32_t lap, std::uint8_t slot, Vector3* position, float* heading) const;
  // Places at or past the rider count, and slots past it, are ignored.
  void SetGridSlot(std::uint8_t slot, std::uint8_t place);
  const std::uint8_t* GetGridOrder() const { return gridOrder; }

  RaceTime TimeAfter(const RaceTime& a, const RaceTime& b) const;
  RaceTime EstimateTimeBehind(const RaceTime& t, std::uint32_t pace, std::uint8_t ahead, std::uint8_t self) const;
  RaceTime ComputeGap(std::uint8_t a, std::uint8_t b) const;
  void ClassifySession();
  void ClassifyMoto();

  // The race's HUD: banners, timing tables, messages and flags. LoadHud
  // allocates the lap table when it is not there yet and loads the files;
  // false at the first that fails (its own error reported).
  bool LoadHud();
  void UpdateMessages(int raceState, float frameTimeMs);
  bool DrawHud();
  void SkipIntro();
  void ShowRiderInfo();
  void EnableFlagOverlay(bool on);
  void ShowSessionInfo(bool restart);
  // The starting grid or the session information fills the screen.
  bool ShowsFullScreenList() const;
  // In a network race the help texts wait until every player's intro is done.
  void EnableIntroHelp() { hud.introHelp = 1; }
  // The intro banner over the picture again, after the action replay.
  void ShowBannerAgain();

  // A slot of the race with a rider in it (and a player, in a network race).
  bool Present(std::uint32_t slot) const;

  Rider* riders[20] = {};
  std::uint32_t nodeCount = 0;
  std::unique_ptr<LapTimeTable> lapTimes;
  RaceTime clock;
  std::uint32_t hostClockMs = 0;
  std::uint8_t hostClockPending = 0;
  std::uint8_t finalLapStarted = 0;
  std::uint8_t fastestLapSet = 0;
  std::uint8_t followedLapDone = 0;
  std::uint8_t followedLapFlag1 = 0;
  std::uint8_t followedLapFlag2 = 0;
  std::uint8_t fastestLapHolder = 0;
  std::uint8_t fastestLapHolderCopy = 0;
  RaceTime followedLastLap;
  RaceTime followedReferenceLap;
  float fastestLapSpeedKmh = 0.0f;
  std::uint8_t resultCount = 0;
  std::uint8_t gridOrder[20];
  std::unique_ptr<Vector3[]> respawnPoints;
  std::uint32_t respawnCount = 0;
  // The network finish report is made once, and again after a host change;
  // the host sends its clock every 15 s.
  std::uint8_t finishReported = 0;
  float clockBroadcast = 0.0f;
  const Track* track = nullptr;
  RiderMissile* missile = nullptr;
  char trackName[64] = {};
  // The HUD's widgets and the state of its messages.
  RaceHud hud;

 private:
  std::uint32_t LapCrossingRow(std::uint32_t lap) const;
  void UpdatePlayer();
  void UpdateComputerRider(std::uint8_t i);
  void ReportFinish();
  void WriteResult(std::uint8_t slot, std::uint8_t place, const RaceTime& time, const RaceTime& best) const;
};

// The clock kept across the action replay.
extern RaceTime g_SavedRaceClock;
