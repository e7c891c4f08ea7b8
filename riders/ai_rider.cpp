#include "riders/ai_rider.h"

#include <cmath>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/services/event.h"
#include "engine/services/front_end.h"
#include "platform/win32/crt.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

constexpr float kFullLock = 0.6981317f;
constexpr float kFinishRunOut = 6.0f;

float LockFactor(float v) {
  if (v <= 11.111112f) return 1.0f - 0.018f * v;
  if (v <= 16.666668f) return 0.8f - 0.072f * (v - 11.111112f);
  if (v <= 33.333336f) return 0.4f - 0.012f * (v - 16.666668f);
  return 0.2f - 0.0072f * (v - 33.333336f);
}

// Whole sections covered in the look-ahead time, as a 32-bit step.
std::uint32_t LookAheadSections(float speed) {
  const float t = std::trunc(speed * 0.31764704f);
  if (!(std::fabs(t) < 2147483520.0f)) return 0;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(t));
}

}  // namespace

int AiRider::DefaultRandom() { return crt::rand(); }

void AiRider::SetupAi() {
  const float r1 = NextDraw();
  const float r2 = NextDraw();
  const float r3 = NextDraw();
  const int slot = Slot(*this);
  if (g_FrontEnd) g_FrontEnd->PublishSetup(static_cast<std::uint16_t>(slot));
  RiderSetup& s = g_RiderSetups[slot];
  SetSetupValue(s, 3, weather == 1 ? 1.0f : (r1 > 0.8f ? 0.0f : 0.5f));
  SetSetupValue(s, 2, 1.0f);
  const float spread = 0.5f + 0.1f * (2.0f * r2 - 1.0f);
  SetSetupValue(s, 24, spread);
  SetSetupValue(s, 25, spread);
  SetSetupValue(s, 1, 0.0f);
  if (g_GameMode == GAME_MODE_SINGLE_RACE || g_GameMode == GAME_MODE_QUICK_RACE ||
      g_GameMode == GAME_MODE_CHAMPIONSHIP) {
    const std::uint16_t entry = g_Event ? g_Event->CurrentEntry() : 0;
    SetSetupValue(s, 0, (entry == 10 || entry == 11) ? 0.5f + 0.4f * r3 : 0.4f + 0.2f * r3);
  }
}

void AiRider::ComputeControls() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  if (state == RIDER_WAITING) {
    // Revving and twitching the bars on the grid.
    const float r = NextDraw();
    if (r < 0.05f) {
      p.throttle = 0.0f;
    } else if (r < 0.1f) {
      p.throttle = 1.0f;
    }
    const float t = NextDraw();
    if (t < 0.01f) {
      p.steer = -1.0f;
    } else if (t < 0.02f) {
      p.steer = 0.0f;
    } else if (t < 0.03f) {
      p.steer = 1.0f;
    }
    p.brake = 0.0f;
    p.shiftInput = 0.0f;
    return;
  }

  p.throttle = 0.0f;
  p.brake = 0.0f;
  if (p.crashed) {
    p.steer = 0.0f;
    p.shiftInput = 0.0f;
    const float goal = p.lean > 0.0f ? kFullLock : -kFullLock;
    float step = (goal - p.handlebarAngle) * dt;
    if (p.contactCount == 3) step *= 3.0f;
    p.handlebarAngle = p.handlebarAngle + step;
    return;
  }

  const bool onGround = p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.5f &&
                        p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.5f;
  const float v = p.forwardSpeed;
  if (onGround) {
    if (v <= targetSpeed) {
      p.throttle = Clamp01((targetSpeed - v) * 0.36f);
    } else if (v >= targetSpeed + 5.555556f) {
      p.brake = Clamp01((v - targetSpeed) * 0.072f);
    }
  } else if (track && track->sectionCount) {
    const std::uint32_t section = (std::uint32_t{p.sectionHint} + LookAheadSections(v)) % track->sectionCount;
    // The look-ahead section may have fewer triangles than the hint counts.
    const std::uint16_t triangles = track->sections[section].TriangleCount();
    const std::uint16_t triangle = triangles ? static_cast<std::uint16_t>(p.triangleHint % triangles) : 0;
    const TrackSurface s =
        Surface(*this, p.position, static_cast<std::uint16_t>(section), triangle, p.onTrack != 0);
    const float d = Dot(Normal(s), Row(p.axes, 2));
    if (d >= 0.0f) {
      p.brake = Clamp01(0.2f * d);
    } else {
      p.throttle = Clamp01(-10.0f * d);
    }
  }

  SteerHandlebar();
}

void AiRider::SteerHandlebar() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  const float lock = std::fabs(Clamp(p.steer * kFullLock * LockFactor(p.forwardSpeed), -kFullLock, kFullLock));
  if (lock >= 0.0017453292f) {
    const float side = p.steer < 0.0f ? -1.0f : 1.0f;
    p.handlebarAngle = Clamp(p.handlebarAngle + side * 1.5707964f * dt, -lock, lock);
  } else if (std::fabs(p.handlebarAngle) >= 0.034906585f) {
    const float side = p.handlebarAngle < 0.0f ? -1.0f : 1.0f;
    p.handlebarAngle = p.handlebarAngle - side * 1.5707964f * dt;
  } else {
    p.handlebarAngle = p.handlebarAngle - p.handlebarAngle * 5.0f * dt;
  }
}

bool AiRider::Update(unsigned ms, int raceState) {
  if (raceState != 3) {
    state = static_cast<std::uint32_t>(raceState);
  } else if (timeSinceFinish < kFinishRunOut) {
    state = RIDER_RACING;
  }
  static const RiderStepKind kind;
  if (state == RIDER_WAITING) {
    RunFrameStep(ms, kind);
    return true;
  }
  AdvanceFinish();
  RunFrameStep(ms, kind);
  return true;
}

void AiRider::AdvanceFinish() {
  if (state != RIDER_RACING) return;
  const std::uint32_t lengthMs = std::uint32_t{g_RaceLengthMinutes} * 60000u;
  const std::uint32_t margin = (g_RaceType == 3 || g_RaceType == 4) ? 2u : 0u;
  const bool lapsDone = raceTime.totalMs > lengthMs && finalLap != 0 && lap - finalLap > margin;
  if (lapsDone || out || timeSinceFinish > 0.0f) {
    timeSinceFinish += g_FrameTime;
    if (timeSinceFinish > kFinishRunOut) {
      state = RIDER_OUT;
      StopSounds();
    }
  }
}
