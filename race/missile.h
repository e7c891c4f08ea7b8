// The homing missile of the missile mode: owned by the player's rider, aimed
// by the race's rider pass, it flies at a fixed speed with limited turning,
// keeps above the ground and leaves a ring of smoke puffs.
#pragma once

#include <cstdint>

#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"
#include "engine/services/race.h"
#include "engine/sound_sample.h"
#include "world/smoke_puff.h"

class Track;

class Missile : public SceneObject, public RiderMissile {
 public:
  static constexpr int TRAIL_PUFFS = 60;

  Missile();
  ~Missile() override;

  bool Load(const char* effectsTexture) override;
  void SetTrack(Track* t) override { track = t; }
  bool Update(unsigned ms, int raceState) override;
  bool IsActive() override { return active != 0; }
  std::uint32_t GetTarget() override { return target; }
  void SetTarget(std::uint8_t slot) override { target = slot; }
  void SetTargetPosition(const Vector3& p) override { targetPosition = p; }
  Vector3 GetPosition() override { return position; }
  Vector3 GetVelocity() override { return velocity; }
  void Launch(const Vector3& from, const Vector3& v) override;
  void Explode() override;
  // The body, while flying.
  bool Draw() override;
  bool DrawTrail() override;
  void EmitTrail();

  std::uint8_t active = 0;
  std::uint8_t target = 0;
  Vector3 targetPosition = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 position = Vector3(0.0f, 0.0f, 0.0f);
  std::uint16_t section = 0;
  std::uint16_t groundTriangle = 6;
  Track* track = nullptr;
  SmokePuff trail[TRAIL_PUFFS];
  std::uint16_t nextPuff = 0;
  Vector3 vertices[6];
  VertexAttribute corners[12];
  std::uint16_t indices[12] = {0, 1, 2, 0, 2, 1, 3, 4, 5, 3, 5, 4};
  ScreenVertex* output = nullptr;
  std::uint16_t emitted = 0;
  SoundSample flightSound;
  SoundSample boomSound;
};
