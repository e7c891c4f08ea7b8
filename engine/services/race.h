// What the engine needs of the race: the race scene that the scene factory
// makes. The race installs its implementation before the program objects are
// built; the engine never includes race headers.
#pragma once

#include <cstdint>

#include "engine/maths.h"

class Scene;
class Track;

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

// The player's homing missile as its rider drives it; the race makes it and
// steers it.
class RiderMissile {
 public:
  virtual ~RiderMissile() = default;
  // Its trail puffs and sounds, with the rider's effects texture.
  virtual bool Load(const char* effectsTexture) = 0;
  virtual void SetTrack(Track* track) = 0;
  virtual bool Update(unsigned ms, int raceState) = 0;
  // Flying.
  virtual bool IsActive() = 0;
  // The target rider's slot; g_RiderCount + 1 when none is locked.
  virtual std::uint32_t GetTarget() = 0;
  virtual void Launch(const Vector3& from, const Vector3& velocity) = 0;
  // What the race's rider pass aims and detonates it with.
  virtual void SetTarget(std::uint8_t slot) { (void)slot; }
  virtual void SetTargetPosition(const Vector3& p) { (void)p; }
  virtual Vector3 GetPosition() { return Vector3(0.0f, 0.0f, 0.0f); }
  virtual Vector3 GetVelocity() { return Vector3(0.0f, 0.0f, 0.0f); }
  virtual void Explode() {}
  virtual bool Draw() = 0;
  virtual bool DrawTrail() = 0;
};

// What the riders need of the race while it runs.
class RiderRaceServices {
 public:
  // A new missile for the player's rider; null when none can be made.
  virtual RiderMissile* NewMissile() = 0;

 protected:
  ~RiderRaceServices() = default;
};

// Null until the race installs itself: the player then has no missile.
extern RiderRaceServices* g_RiderRace;
void InstallRiderRaceServices(RiderRaceServices* services);
