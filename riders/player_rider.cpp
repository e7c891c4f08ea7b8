#include "riders/player_rider.h"

#include "engine/game_settings.h"
#include "engine/input_devices.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "engine/services/race.h"
#include "riders/rider_hud.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

constexpr std::uint8_t RACE_PRACTICE = 1;
constexpr std::uint8_t RACE_QUALIFYING = 2;
constexpr float kFinishRunOut = 6.0f;  // s ridden on after the finish

void PlayerEngineStep(Rider& r) { static_cast<PlayerRider&>(r).UpdateEngine(); }

void MissileStep(Rider& r) {
  PlayerRider& p = static_cast<PlayerRider&>(r);
  if (g_MissileMode && p.missile) p.missile->Update(0, RIDER_RACING);
}

void TyreMarkStep(Rider& r) { static_cast<PlayerRider&>(r).LayTyreMarks(); }

RiderStepKind PlayerStepKind() {
  RiderStepKind kind;
  kind.holdSpeed = 4.0f;
  kind.stuckTimer = false;
  kind.externalForce = false;
  kind.engineStep = PlayerEngineStep;
  kind.afterPuffs = MissileStep;
  kind.afterExhaust = TyreMarkStep;
  return kind;
}

}  // namespace

PlayerRider::PlayerRider() {
  if (g_RiderRace) missile.reset(g_RiderRace->NewMissile());
  controls = g_JoystickInput ? g_JoystickCallbacks : g_KeyboardCallbacks;
  if (g_RaceType == RACE_PRACTICE || g_RaceType == RACE_QUALIFYING) {
    started = 0;
    state = RIDER_OUT;
  } else {
    started = 1;
    state = RIDER_WAITING;
  }
  trackTime = entryTime = static_cast<float>(g_RaceLengthRecord.milliseconds) * 0.001f;
}

PlayerRider::~PlayerRider() {
  for (std::uint32_t i = 0; i < FORCE_EFFECT_SLOTS; ++i) {
    if (g_ForceEffects[i] != nullptr && effectPlaying[i]) g_ForceEffects[i]->Stop();
  }
  ReleaseHudWidgets();
  missile.reset();
}

bool PlayerRider::Load(const char* riderFile) {
  // The player loads first, so it is the rider that lays out the HUD.
  g_HudLoaded = 0;
  if (!Rider::Load(riderFile)) return false;
  g_HudLoaded = 1;
  return missile ? missile->Load(effectsTexture) : true;
}

void PlayerRider::SetTrack(Track* t) {
  Rider::SetTrack(t);
  if (g_MissileMode && missile) missile->SetTrack(t);
}

bool PlayerRider::Update(unsigned ms, int raceState) {
  if (raceState != 3) {
    state = static_cast<std::uint32_t>(raceState);
  } else if (timeSinceFinish < kFinishRunOut) {
    state = RIDER_RACING;
  }
  static const RiderStepKind kind = PlayerStepKind();
  const bool sends = g_GameMode == GAME_MODE_MULTIPLAYER && g_NetGame->periodTick;
  if (state == RIDER_WAITING) {
    RunFrameStep(ms, kind);
    if (sends) SendNetState();
    return true;
  }
  if (state == RIDER_RACING) {
    const std::uint32_t lengthMs = std::uint32_t{g_RaceLengthMinutes} * 60000u;
    const std::uint32_t margin = (g_RaceType == 3 || g_RaceType == 4) ? 2u : 0u;
    const bool lapsDone = raceTime.totalMs > lengthMs && finalLap != 0 && lap - finalLap > margin;
    if (lapsDone || out || timeSinceFinish > 0.0f) {
      timeSinceFinish += g_FrameTime;
      if (timeSinceFinish > kFinishRunOut) state = RIDER_OUT;
    }
  }
  RunFrameStep(ms, kind);
  if (state != RIDER_OUT && g_JoystickInput && g_ForceFeedback && g_OptionFFEnable) UpdateForceFeedback();
  if (sends) SendNetState();
  return true;
}

bool PlayerRider::Draw() { return Rider::Draw(); }

void PlayerRider::UpdateEngine() {
  Rider::UpdateEngine();
  GearChangeJolt();
}

void PlayerRider::GearChangeJolt() {
  if (state == RIDER_OUT || state == RIDER_WAITING) return;
  if (!g_JoystickInput || !g_ForceFeedback || !g_OptionFFEnable || !gearChanged) return;
  if (physics.gear != 0) {
    // A manual up-shift pushes the stick forward; everything else pulls it back.
    if (physics.shiftInput == 1.0f && physics.gear != 1) {
      PlayForceEffect(5, 0.0f, 1.0f, true);
    } else {
      PlayForceEffect(5, 0.0f, -1.0f, true);
    }
  }
  gearChanged = 0;
}

void PlayerRider::LayTyreMarks() {
  if (!track) return;
  RiderPhysics& p = physics;
  const bool frontInAir = p.frontWheel.world.y > p.frontWheel.groundHeight + 0.2f;
  const Vector3 r = Row(p.axes, 0);
  const Vector3 f = Row(p.axes, 2);
  const float sideways = Dot(p.rearWheel.velocity, r);
  if (!(p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f)) return;
  if (!(std::fabs(sideways) > 2.0f || p.brake > 0.5f)) return;

  const float s = p.forwardSpeed;
  const float w = 0.04f - s * 0.0008470588f;
  const float wf = 0.03f - s * 0.00063529407f;
  const Vector3 W = w * r;
  const Vector3 A = 0.07f * f;
  const Vector3 B = 0.021176468f * p.rearWheel.velocity;
  const Vector3 Wf = wf * r;
  const Vector3 Af = 0.05f * f;
  const Vector3 Bf = 0.021176468f * p.frontWheel.velocity;
  const Vector3& R = p.rearWheel.world;
  const Vector3& F = p.frontWheel.world;
  TyreMarkInput in;
  in.velocity = p.velocity;
  if (sideways > 0.0f) {
    in.rearContact2 = R + W + B - A;
    in.rearContact1 = R - W + B + A;
    in.frontContact2 = F + Wf + Bf - Af;
    in.frontContact1 = F - Wf + Bf + Af;
  } else {
    in.rearContact2 = R + W + B + A;
    in.rearContact1 = R - W + B - A;
    in.frontContact2 = F + Wf + Bf + Af;
    in.frontContact1 = F - Wf + Bf - Af;
  }
  in.triangleHint = p.triangleHint;
  in.sectionHint = p.sectionHint;
  in.frontInAir = frontInAir ? 1u : 0u;
  in.useSections = p.onTrack;
  track->AddTyreMarks(in);
}

void PlayerRider::FireMissile() {
  if (!missile || missile->IsActive()) return;
  if (missile->GetTarget() == g_RiderCount + 1) return;
  missile->Launch(physics.chassisPoint.world, physics.velocity);
}

bool PlayerRider::DrawMissile() {
  if (missile && missile->IsActive()) return missile->Draw();
  return true;
}

bool PlayerRider::DrawMissileTrail() { return missile ? missile->DrawTrail() : true; }
