// The events of the game modes: a list of races read from the results table
// file of the skill class ("DATA\UI\CMP2.RLT" to "CMP4.RLT"), its current
// entry and the last race's per-slot results. SingleRace is the list of the
// single-race and quick-race modes; Championship (championship.h) the
// season of rounds.
//
// Results table file, little-endian (name = u32 n with the NUL, n bytes,
// n 1..256): u16 start money, u16 entry count, then per entry u16 (unused),
// u16 scene number, names track, name2, name3, u8 player at back, u16 entry
// fee, 3 x u16 prizes, u16 weather, 3 x u16 track info, 3 x u16 lap record
// (minutes, seconds, hundredths), 28 x f32 set-up fields 0..3 and 5..28.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "riders/race_time.h"
#include "riders/rider_setup.h"

class DataReader;

constexpr std::uint32_t SERIES_NAME_SIZE = 256;

struct RaceEntry {
  std::uint16_t sceneNumber = 0;
  char trackName[SERIES_NAME_SIZE] = {};
  char name2[SERIES_NAME_SIZE] = {};
  char name3[SERIES_NAME_SIZE] = {};
  std::uint8_t playerAtBack = 0;
  std::uint16_t entryFee = 0;
  std::uint16_t prize1 = 0;
  std::uint16_t prize2 = 0;
  std::uint16_t prize3 = 0;
  std::uint16_t weather = 0;  // 0 clear, 1 rain, 2 fog, 3 fog with far visibility
  std::uint16_t trackInfo[3] = {};
  RaceTime lapRecord;
};

// Copies fields 0..3 and 5..28; field 4 is never copied.
void CopySetup(RiderSetup* to, const RiderSetup& from);

class RaceSeries {
 public:
  RaceSeries();
  virtual ~RaceSeries();
  RaceSeries(const RaceSeries&) = delete;
  RaceSeries& operator=(const RaceSeries&) = delete;

  virtual bool Load(const char* fileName) = 0;
  // The current entry's scene number (the championship marks the round
  // played first: MarkRoundDone).
  virtual std::uint16_t GetCurrentSceneNumber();
  // Championship: RestorePreviousRound.
  virtual void Previous();
  // Championship: NextRound.
  virtual void Next();
  virtual void Select(std::uint8_t i);
  virtual bool ApplySetup();
  // Slot 0's set-up into the current entry and, in place, into the file the
  // series was loaded from.
  virtual bool StoreSetup();
  // The race end's lap record into the current entry and, in place, its file.
  bool SaveLapRecord(const RaceTime& r);

  // The current entry's lap record; nothing for an empty series.
  void GetLapRecord(RaceTime* out);
  // Whole laps rider slot r is behind the most laps ridden by a present
  // rider still in the race; 0 for a rider out of the race.
  std::uint32_t GetLapsBehind(std::uint32_t r) const;
  // The current entry, or null for an empty series.
  RaceEntry* Current();

  std::vector<RaceEntry> entries;
  std::uint16_t entryCount = 0;
  std::int16_t current = 0;
  RaceTime raceTimes[20];
  RaceTime bestLaps[20];
  float lapsRidden[20] = {};
  std::uint8_t outOfRace[20] = {};
  std::vector<RiderSetup> setups;

  // Reads a whole results table file without changing anything; false,
  // without a message, when it is missing or damaged.
  static bool ParseFile(const char* fileName, std::uint16_t* money, std::vector<RaceEntry>* entries,
                        std::vector<RiderSetup>* setups);

 protected:
  // Reads the file's start money (into the player's money, then command 82
  // with a1 1) and its entries. On failure the series is left as it was.
  bool ReadFile(const char* fileName, const char* fileError);
  // Clamps `current` into the entries (0 with none).
  void ClampCurrent();

 private:
  // Writes `bytes` into the file the series was loaded from, `fieldOffset`
  // bytes past the current entry's three names, after reading up to there;
  // a file that no longer matches the series gets nothing written.
  bool WriteInPlace(std::uint32_t fieldOffset, const void* bytes, std::uint32_t size);

  std::string fileName_;
};

class SingleRace : public RaceSeries {
 public:
  SingleRace();
  ~SingleRace() override;

  bool Load(const char* fileName) override;
  void Reset();
  void AwardMotoPoints();
  // The weather the player chose, for every entry.
  void SetWeather(std::uint8_t w);
  // Rider slot r's position in moto 1 after moto 1 (race type 3), else in
  // moto 2.
  std::uint8_t GetMotoPosition(std::uint32_t r) const;

  std::uint8_t motoPositions[20][2] = {};
  std::uint8_t chosenWeather = 0;
};

// Points of a moto position: 1..15 give 20, 17, 15, ... 1; others 0.
std::uint8_t MotoPoints(std::uint32_t position);

// Reads one entry with its set-up (tests and fuzzing use it too).
bool ReadRaceEntry(DataReader* r, RaceEntry* entry, RiderSetup* setup);
