// A rider that runs on physics alone (identity part offsets, an 11-node
// skeleton, no files) with scripted controls, and a small flat course built
// in memory, for the physics tests and the physics benchmark.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "riders/rider.h"
#include "world/track.h"

namespace kelvtest {

// Controls for one frame: throttle, brake, steer, shift key.
struct ScriptedControls {
  float throttle = 0.0f;
  float brake = 0.0f;
  float steer = 0.0f;
  float shift = 0.0f;
  float handlebar = 0.0f;  // rad
};

// Gives any rider the physics-only body: identity part offsets, an 11-node
// skeleton, started.
void MakePhysicsOnly(Rider& r);

class PhysicsRider : public Rider {
 public:
  PhysicsRider();
  void ComputeControls() override;
  void SetupAi() override {}

  // The controls given each frame (frame number from 0); none: all zero.
  std::function<ScriptedControls(std::uint32_t)> script;
  std::uint32_t frame = 0;
};

// A straight along +z of `sections` sections 5 m long, x from -halfWidth to
// +halfWidth with the borders at the sides, eight flat triangles (height 0,
// kind 0) a section; the nodes built.
std::unique_ptr<Track> FlatCourse(int sections, float halfWidth = 6.0f);

// All 28 set-up values of slot `slot` := v.
void FillSetup(int slot, float v);

// Sets every condition and option the physics reads to a new bike, dry, no
// damage, automatic gears, skill 0, race length 5 minutes.
void ResetPhysicsGlobals();

// Puts rider i on a grid behind the start line of `track`: two abreast,
// 1.5 either side of the centre line, a row per two riders going back from
// the second section before the line, facing along the course, waiting.
// Gives the section it stands on.
int PlaceOnGrid(Rider& r, const Track& track, int i);

// A hash of every physics member that a replay must reproduce.
std::uint64_t PhysicsHash(const Rider& rider);

}  // namespace kelvtest
