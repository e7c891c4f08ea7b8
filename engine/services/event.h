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

 protected:
  ~EventServices() = default;
};

extern EventServices* g_Event;
void InstallEventServices(EventServices* services);
