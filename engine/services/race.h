// What the engine needs of the race: the race scene that the scene factory
// makes. The race installs its implementation before the program objects are
// built; the engine never includes race headers.
#pragma once

class Scene;

class RaceServices {
 public:
  // A new race scene, or null when it cannot be made.
  virtual Scene* NewRaceScene() = 0;

 protected:
  ~RaceServices() = default;
};

// Null until the race installs itself.
extern RaceServices* g_Race;
void InstallRaceServices(RaceServices* services);

// Race states that the window procedure tests.
constexpr unsigned RACE_STATE_RACING = 2;
constexpr unsigned RACE_STATE_PAUSED = 5;
