// What a rider needs of the front end's game modes when it is made: the
// weather of the event being raced, the event's entry in its series and
// whether the game is a network game.
// The front end installs its implementation; until then a rider races dry
// in a local game.
#pragma once

#include <cstdint>

class EventServices {
 public:
  // 0 dry, 1 rain, 2 and 3 the other kinds.
  virtual std::uint16_t CurrentWeather() = 0;
  virtual bool NetworkGame() = 0;
  // The current entry index of the series being raced (the single race's in
  // game modes 0 and 1, the championship's in mode 2).
  virtual std::uint16_t CurrentEntry() { return 0; }
  // The current event's pace value for lap estimates.
  virtual std::uint16_t CurrentPace() { return 0; }
  // In a network game, whether the rider slot is taken by a player.
  virtual bool SlotTaken(std::uint8_t slot) {
    (void)slot;
    return true;
  }
  // Writes one rider's result into the current series' record of `slot`
  // (column 0 the first moto, 1 every other session). `times` are the race
  // time and best lap as their 16-byte records. `championship` picks the
  // championship's record over the single race's.
  struct Result {
    std::uint8_t place = 0;
    std::uint8_t raceTime[16] = {};
    std::uint8_t bestLap[16] = {};
    float lapsRidden = 0.0f;
    std::uint8_t out = 0;
  };
  virtual void WriteResult(std::uint8_t slot, std::uint8_t column, bool championship, const Result& r) {
    (void)slot;
    (void)column;
    (void)championship;
    (void)r;
  }

 protected:
  ~EventServices() = default;
};

extern EventServices* g_Event;
void InstallEventServices(EventServices* services);
