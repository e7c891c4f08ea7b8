// The jolts that a force-feedback stick plays: ground bumps, border hits and
// collisions of the player's bike. The device has six short effects of
// rising strength; a play gives one of them a direction and starts it.
#include <cmath>

#include "engine/input_devices.h"
#include "engine/scene/scene.h"
#include "riders/player_rider.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

// Truncation towards zero; what no 32-bit integer holds gives 0.
LONG Truncate(float v) {
  if (!(std::fabs(v) < 2147483520.0f)) return 0;
  return static_cast<LONG>(v);
}

}  // namespace

int ForceLevel(float m, bool chassis) {
  static constexpr float kGround[6] = {600.0f, 400.0f, 250.0f, 125.0f, 50.0f, 10.0f};
  static constexpr float kChassis[6] = {300.0f, 225.0f, 110.0f, 45.0f, 8.0f, 2.0f};
  const float* limits = chassis ? kChassis : kGround;
  for (int i = 0; i < 6; ++i) {
    if (m > limits[i]) return 5 - i;
  }
  return -1;
}

bool PlayerRider::PlayForceEffect(std::uint16_t level, float x, float y, bool setDirection) {
  if (level >= FORCE_EFFECT_SLOTS || g_ForceEffects[level] == nullptr) return true;
  IDirectInputEffect* effect = g_ForceEffects[level];
  if (setDirection) {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {Truncate(x), Truncate(y)};
    DIEFFECT params = {};
    params.dwSize = sizeof params;
    params.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
    params.cAxes = 2;
    params.rgdwAxes = axes;
    params.rglDirection = direction;
    if (effect->SetParameters(&params, DIEP_DIRECTION) != DI_OK) return false;
  }
  if (effect->Start(1, 0) != DI_OK) return false;
  effectPlaying[level] = 1;
  return true;
}

void PlayerRider::UpdateForceFeedback() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  const ContactPoint* points[3] = {&p.chassisPoint, &p.frontWheel, &p.rearWheel};
  const float impacts[3] = {p.chassisLoad, p.frontLoad, p.rearLoad};

  for (int i = 0; i < 3; ++i) {
    const int level = ForceLevel(impacts[i] * dt, false);
    if (level < 0) continue;
    const TrackSurface s = Surface(*this, p.position, points[i]->sectionHint, points[i]->triangleHint, p.onTrack != 0);
    PlayForceEffect(static_cast<std::uint16_t>(level), s.nx, s.nz, true);
  }

  if (track && track->sectionCount) {
    for (int i = 0; i < 3; ++i) {
      Vector3 normal;
      float depth = 0.0f;
      if (track->TestBorders(points[i]->sectionHint, &normal, points[i]->world, &depth)) continue;
      const int level = ForceLevel(impacts[i] * dt, false);
      if (level >= 0) PlayForceEffect(static_cast<std::uint16_t>(level), normal.x, normal.z, true);
    }
  }

  const Vector3 collisions[3] = {p.chassisCollision, p.frontCollision, p.rearCollision};
  for (int i = 0; i < 3; ++i) {
    const float length = Length(collisions[i]);
    const int level = ForceLevel(length * dt, i == 0);
    if (level < 0) continue;
    PlayForceEffect(static_cast<std::uint16_t>(level), collisions[i].x / length, collisions[i].z / length, true);
  }
}
