// The fork and the rear shock as spring-dampers, and the turning wheels. The
// travel is visual: only the loads and the wear reach the rest of the physics.
#include <cmath>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

// Above the maximum or below 0 the travel stops there and an outward
// velocity bounces back with 1 % of its speed.
void ClampTravel(float* travel, float* velocity, float maximum) {
  if (*travel > maximum) {
    *travel = maximum;
    if (*velocity > 0.0f) *velocity *= -0.01f;
  } else if (*travel < 0.0f) {
    *travel = 0.0f;
    if (*velocity < 0.0f) *velocity *= -0.01f;
  }
}

float Logistic(float x) { return 3.95f * x * (1.0f - x); }

}  // namespace

void Rider::UpdateSuspension() {
  RiderPhysics& p = physics;
  float& c = g_ConditionSuspension[Slot(*this)];
  const float v = p.forwardSpeed;
  const float dt = g_FrameTime;
  const bool intro = state == RIDER_WAITING;
  const bool rearDown = p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f;
  const bool frontDown = p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f;

  const float kF = (0.6f * c + 0.4f) * (Setup(*this, 16) * 60.0f - 30.0f + 100.0f);
  const float kR = (0.6f * c + 0.4f) * (Setup(*this, 17) * 60.0f - 30.0f + 100.0f);
  const float cF = p.frontSuspensionVelocity >= 0.0f ? Setup(*this, 12) * 6.0f - 3.0f + 10.0f
                                                     : Setup(*this, 14) * 6.0f - 3.0f + 8.0f;
  const float cR = p.rearSuspensionVelocity < 0.0f ? Setup(*this, 15) * 6.0f - 3.0f + 8.0f
                                                   : Setup(*this, 13) * 6.0f - 3.0f + 10.0f;
  const float frontMax = Setup(*this, 10) * 0.2f + 0.8f;
  const float rearMax = Setup(*this, 11) * 0.2f + 0.8f;

  if (g_OptionDamages && !intro) {
    Wear(&c, std::fabs(p.rearLoad + p.frontLoad) * dt /
                 ((static_cast<float>(g_RaceLengthMinutes) + 3.0f) * (((kF + kR) * 0.5f - 28.0f) * 0.0882353f + 1.0f) *
                  50000.0f));
  }

  float d = p.brake * v * 5.0f;
  if (d < 0.0f || !rearDown || p.crashed) d = 0.0f;
  float a = 0.0f;
  if ((p.gear > 0 && !p.clutchIn) || intro) {
    a = p.throttle * 13.888889f - v;
    if (!intro && (a < 0.0f || !rearDown || p.crashed)) a = 0.0f;
  }

  auto bump = [&](bool down, float load) {
    float b = 0.0f;
    if (down) {
      b = load;
      p.bumpChaos = Logistic(p.bumpChaos);
      if (p.bumpChaos < dt * v * 0.5f) {
        p.bumpChaos = Logistic(p.bumpChaos);
        b += (2.0f * p.bumpChaos - 1.0f) * v * 20.0f;
      }
    }
    return b;
  };

  p.frontRest = ((frontDown && !p.crashed) || intro) ? 0.5f : 0.0f;
  float b = bump(frontDown, p.frontLoad * 0.04f);
  p.frontSuspensionVelocity +=
      (b - (cF * p.frontSuspensionVelocity + (p.frontTravel - p.frontRest) * kF) + d - a) * dt;
  p.frontTravel += p.frontSuspensionVelocity * dt;
  ClampTravel(&p.frontTravel, &p.frontSuspensionVelocity, frontMax);

  p.rearRest = ((rearDown && !p.crashed) || intro) ? 0.1f : 0.0f;
  b = bump(rearDown, p.rearLoad * 0.1f);
  p.rearSuspensionVelocity += (b - (cR * p.rearSuspensionVelocity + (p.rearTravel - p.rearRest) * kR) + a - d) * dt;
  p.rearTravel += p.rearSuspensionVelocity * dt;
  ClampTravel(&p.rearTravel, &p.rearSuspensionVelocity, rearMax);

  partPoses[2] = RotationX((1.0f - g_ConditionWheels[Slot(*this)]) * 0.17453292f);
  const Vector3 fork = (0.2f * p.frontTravel) * p.forkAxis;
  partPoses[2].m[12] = fork.x;
  partPoses[2].m[13] = fork.y;
  partPoses[2].m[14] = fork.z;
  const float r = p.rearTravel * 0.34906584f;
  partPoses[4] = RotationX(r);
  const float y = -0.2f * (r + 0.2f * p.frontTravel);
  partPoses[10] = RotationX(0.4f * (0.9f * 0.2f * p.frontTravel + y));
  partPoses[10].m[13] = y;
}

void Rider::UpdateWheels() {
  RiderPhysics& p = physics;
  const float w = g_ConditionWheels[Slot(*this)];
  const float dt = g_FrameTime;
  p.frontWheel.spinAngle += dt * p.frontWheel.spinRate;
  p.rearWheel.spinAngle += dt * p.rearWheel.spinRate;
  const float q = w >= 0.33f ? 0.2f - (w - 0.33f) * 0.29850748f : 1.0f - w * 2.4242423f;
  partPoses[0] = Multiply(RotationZ(q * 0.2617994f), RotationX(p.frontWheel.spinAngle));
  partPoses[6] = Multiply(RotationZ(q * 0.05235988f), RotationX(p.rearWheel.spinAngle));
}
