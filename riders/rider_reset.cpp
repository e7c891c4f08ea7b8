// A rider's starting state from its set-up, withdrawing from and rejoining a
// run, the end of its race, and the action replay's control hooks.
#include <cmath>

#include "engine/game_settings.h"
#include "engine/services/event.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

RiderSnapshot g_RiderSnapshots[20];

namespace {

void ResetPuffs(SmokePuff* puffs, int count, float grey, float lifetime) {
  for (int i = 0; i < count; ++i) {
    SmokePuff& puff = puffs[i];
    puff.matrix.m[12] = puff.matrix.m[13] = puff.matrix.m[14] = 0.0f;
    puff.age = 10000.0f;
    puff.velocity = Vector3(0.0f, 0.0f, 0.0f);
    puff.frame = 1;
    puff.SetColour(grey, grey, grey);
    puff.SetLifetime(lifetime);
  }
}

float RaceLengthSeconds() { return static_cast<float>(g_RaceLengthRecord.milliseconds) * 0.001f; }

}  // namespace

void Rider::Reset() {
  RiderPhysics& p = physics;
  auto s = [&](int i) { return Setup(*this, i); };

  state = started ? RIDER_WAITING : RIDER_OUT;
  p.position = Vector3(0.0f, 0.0f, 0.0f);
  p.velocity = Vector3(0.0f, 0.0f, 0.0f);
  p.onTrack = p.crashOnTrack = 1;
  p.leanRate = 0.0f;
  p.sectionHint = 0;
  p.stuckSection = 0;
  p.triangleHint = 6;

  ContactPoint* points[3] = {&p.chassisPoint, &p.frontWheel, &p.rearWheel};
  for (ContactPoint* c : points) {
    c->velocity = c->world = Vector3(0.0f, 0.0f, 0.0f);
    c->groundHeight = 0.0f;
    c->sectionHint = 0;
    c->triangleHint = 6;
  }
  p.frontWheel.spinRate = p.frontWheel.spinAngle = 0.0f;
  p.rearWheel.spinRate = p.rearWheel.spinAngle = 0.0f;
  p.chassisPoint.local = Vector3(0.0f, (s(22) + s(23) - 1.0f) * 0.1f + 0.5f, -0.1f);
  p.frontWheel.local = Vector3(0.0f, -0.5f, ((2.0f * s(20) - 1.0f) + s(19)) * 0.1f + 1.0f);
  p.rearWheel.local = Vector3(0.0f, -0.5f, -1.0f - (2.0f * s(21) - 1.0f) * 0.1f);
  const float chassisMass = (2.0f * s(18) - 1.0f) * 20.0f + 60.0f;
  const float f = (2.0f * s(24) - 1.0f) * 20.0f;
  const float r = (2.0f * s(25) - 1.0f) * 20.0f;
  const float inertia[3] = {90.0f, 100.0f, 110.0f};
  for (int k = 0; k < 3; ++k) {
    const float extra = 50.0f + 5.0f * static_cast<float>(k);
    p.chassisPoint.mass[k] = chassisMass;
    p.frontWheel.mass[k] = f + extra;
    p.rearWheel.mass[k] = r + extra;
    p.inertia[k] = inertia[k];
    p.totalMass[k] = p.chassisPoint.mass[k] + p.frontWheel.mass[k] + p.rearWheel.mass[k];
  }
  p.traction = p.rearGrip = p.frontGrip = 1.0f;
  p.lean = p.forwardSpeed = 0.0f;

  Place(0.0f, -p.rearWheel.local.y, 0.0f, 0.0f);

  p.angularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  p.contactCount = 0;
  p.wheelRadius = 0.35f;
  p.handlebarAngle = p.wheelSpinDelta = 0.0f;
  p.chassisCollision = p.frontCollision = p.rearCollision = p.externalForce = Vector3(0.0f, 0.0f, 0.0f);
  p.restitution = 0.0f;
  p.orientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) p.axes[i][j] = i == j ? 1.0f : 0.0f;

  for (int i = 0; i < 3; ++i) {
    p.accelHistory[i] = p.angularAccelHistory[i] = p.rotationHistory[i] = p.velocityHistory[i] = Vector3();
  }
  p.crashed = 0;
  p.frameTimes[0] = p.frameTimes[1] = 0.01f;
  p.crashTime = p.stuckTime = p.borderTime = 0.0f;
  p.throttle = p.brake = p.steer = p.shiftInput = p.previousShiftInput = 0.0f;
  p.clutchIn = 0;
  p.gear = 0;

  const int k = SkillClass(*this);
  FillGearSpin(p.gearSpin[k], s(0), s(9), k, p.wheelRadius);
  p.engineFactor = 1.0f;
  p.driveForce = 0.0f;
  p.revs = p.startRevs;
  float* suspension[6] = {&p.frontRest,   &p.rearRest,  &p.frontSuspensionVelocity, &p.rearSuspensionVelocity,
                          &p.frontTravel, &p.rearTravel};
  for (int i = 0; i < 6; ++i) *suspension[i] = p.startSuspension[i];
  p.maxRevs = (2.0f * s(0) - 1.0f) * 157.0f + 1204.0f;
  p.forkAxis = Vector3(0.0f, 1.0f, 0.0f);
  p.rearLoad = p.frontLoad = 0.0f;

  p.crashBodyPoint = p.position;
  p.crashBodyGround = p.chassisPoint.groundHeight;
  p.crashBodyVelocity = p.chassisPoint.velocity;
  p.crashBodySection = p.chassisPoint.sectionHint;
  p.crashBodyTriangle = p.chassisPoint.triangleHint;
  p.crashBodyAngularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  p.crashBodyMass = 70.0f;
  p.crashBodyOrientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) p.crashBodyAxes[i][j] = p.axes[i][j];
  p.crashBodyMatrix = matrix;
  p.crashBodyNormal = Vector3(0.0f, 1.0f, 0.0f);
  p.crashBodyLoad = 0.0f;
  p.chassisLoad = 0.0f;
  p.chassisBorderImpulse = p.frontBorderImpulse = p.rearBorderImpulse = 0.0f;

  for (int i = 0; i < PART_POSE_COUNT; ++i) partPoses[i] = startPartPoses[i];
  p.sectionHint = startHints[0];
  p.triangleHint = startHints[1];
  for (int i = 0; i < 3; ++i) {
    points[i]->sectionHint = startHints[2 + 2 * i];
    points[i]->triangleHint = startHints[3 + 2 * i];
  }
  torsoParam = torsoParamRate = legParam = steerParamRate = 0.0f;
  steerParam = legSteerParam = 0.5f;

  p.gearboxChaos = p.bumpChaos = 0.5f;
  targetSpeed = 0.0f;
  raceTimer = timeSinceFinish = 0.0f;
  wrongWayTime = blockingTime = 0.0f;
  out = 0;
  lap = 1;
  finalLap = 0;
  lapsCompleted = lastNode = progress = 0;
  racePosition = 1;
  lapTime = bestLap = raceTime = RaceTime();

  ResetPuffs(groundDust, GROUND_DUST_COUNT, 0.2f, 2.5f);
  ResetPuffs(engineSmoke, ENGINE_SMOKE_COUNT, 0.6f, 2.0f);
  ResetPuffs(exhaustSmoke, EXHAUST_SMOKE_COUNT, 0.3f, 2.0f);
  for (std::uint16_t& next : ringNext) next = 0;

  hudPositionShown = hudLapShown = 1;
  hudRefresh = 1;
  lapDistance = raceDistance = 0.0f;
  gearChanged = 0;
  p.justRecovered = 0;

  // The rest and relative matrices are the skeleton's data from its file
  // and are kept; the posing state starts afresh.
  if (jointTurned && jointCrash) {
    for (std::uint16_t i = 0; i < nodeCount; ++i) jointTurned[i] = jointCrash[i] = g_IdentityMatrix;
  }
  bool tables = true;
  for (auto& table : jointTables) tables = tables && table;
  if (tables) {
    constexpr float half = kPi / 2.0f;
    for (std::uint16_t i = 0; i < nodeCount; ++i) {
      jointTables[JOINT_ANGLE1][i] = jointTables[JOINT_ANGLE2][i] = 0.0f;
      jointTables[JOINT_RATE1][i] = jointTables[JOINT_RATE2][i] = 0.0f;
      jointTables[JOINT_LOW1][i] = jointTables[JOINT_LOW2][i] = -half;
      jointTables[JOINT_HIGH1][i] = jointTables[JOINT_HIGH2][i] = half;
    }
    if (nodeCount > 10) {
      jointTables[JOINT_LOW1][5] = jointTables[JOINT_LOW2][5] = -1.0471976f;
      jointTables[JOINT_HIGH1][5] = jointTables[JOINT_HIGH2][5] = 1.0471976f;
      for (int n : {2, 4, 8, 10}) jointTables[JOINT_LOW1][n] = jointTables[JOINT_HIGH1][n] = 0.0f;
    }
  }
  p.bodyClearance = 0.4f;
  p.lyingSide = 0;
  p.bodyChaos = 0.5f;
}

void Rider::RestoreSnapshot(std::uint8_t i) {
  if (i >= 20) return;
  const RiderSnapshot& s = g_RiderSnapshots[i];
  RiderPhysics& p = physics;
  racePosition = s.racePosition;
  lap = s.lap;
  finalLap = s.finalLap;
  progress = s.progress;
  bestLap = s.bestLap;
  raceTime = s.raceTime;
  out = s.out;
  started = s.flag;
  trackTime = s.trackTime;
  entryTime = s.entryTime;
  lapsCompleted = s.lapsCompleted;
  state = s.flag ? RIDER_RACING : RIDER_OUT;
  if (!replayDriven && (i == 0 || !s.flag)) {
    const std::int32_t n = track ? track->sectionCount : 0;
    if (n > 0) progress = progress / n * n;
    return;
  }
  p.sectionHint = s.sectionHint;
  lastNode = s.lastNode;
  lapTime = s.lapTime;
  p.crashed = s.crashed;
  matrix = s.matrix;
  p.velocity = s.velocity;
  p.angularVelocity = s.angularVelocity;
  p.crashBodyMatrix = s.crashBodyMatrix;
  p.crashBodyVelocity = s.crashBodyVelocity;
  p.orientation = Quaternion(s.orientation.w, s.orientation.x, s.orientation.y, s.orientation.z);
  p.position = MatrixRow(matrix, 3);
  AxesFromMatrix(matrix, p.axes);
  for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                          static_cast<ContactPoint*>(&p.rearWheel)}) {
    c->world = TransformPoint(c->local, matrix);
    c->velocity = p.velocity + Cross(p.angularVelocity, c->world - p.position);
  }
  p.forwardSpeed = Dot(p.velocity, Row(p.axes, 2));
}

void Rider::StoreSnapshot() {
  if (index >= 20) return;
  RiderSnapshot& s = g_RiderSnapshots[index];
  const RiderPhysics& p = physics;
  s.racePosition = racePosition;
  s.lap = lap;
  s.finalLap = finalLap;
  s.sectionHint = p.sectionHint;
  s.lastNode = lastNode;
  s.progress = progress;
  s.lapTime = lapTime;
  s.bestLap = bestLap;
  s.raceTime = raceTime;
  s.followed = followed;
  s.out = out;
  s.crashed = p.crashed;
  s.matrix = matrix;
  s.velocity = p.velocity;
  s.angularVelocity = p.angularVelocity;
  s.crashBodyMatrix = p.crashBodyMatrix;
  s.crashBodyVelocity = p.crashBodyVelocity;
  s.orientation = p.orientation;
  s.flag = started;
  s.trackTime = trackTime;
  s.entryTime = entryTime;
  s.lapsCompleted = lapsCompleted;
}

void Rider::Withdraw(bool rejoin) {
  if (rejoin) {
    Reset();
    RestoreSnapshot(index);
    started = 1;
    state = RIDER_RACING;
    trackTime = entryTime = RaceLengthSeconds();
    return;
  }
  trackTime = static_cast<float>(raceTime.totalMs) * 0.001f;
  entryTime = RaceLengthSeconds();
  StoreSnapshot();
  if (index < 20) g_RiderSnapshots[index].flag = 0;
  started = 0;
  if (g_Event && g_Event->NetworkGame()) state = RIDER_OUT;
}

bool Rider::IsRaceOver() {
  if (out) return true;
  const std::uint32_t lengthMs = std::uint32_t{g_RaceLengthMinutes} * 60000u;
  if (raceTime.totalMs <= lengthMs) return false;
  if (g_RaceType == 3 || g_RaceType == 4) return finalLap != 0 && lap > finalLap + 2u;
  return (finalLap != 0 && lap != finalLap) || !started;
}

void Rider::GetReplayControls(float outValues[3]) const {
  if (state == RIDER_OUT) {
    outValues[0] = outValues[1] = outValues[2] = 0.0f;
    return;
  }
  outValues[0] = physics.throttle > 0.0f ? physics.throttle : -physics.brake;
  outValues[1] = physics.steer;
  outValues[2] = physics.shiftInput;
}

void Rider::SetReplayControls(const float in[3]) {
  for (int i = 0; i < 3; ++i) replayControls[i] = in[i];
}
