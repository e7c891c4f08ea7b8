// Another machine's rider in a network race: no forces, no integration; it
// glides from where it is shown towards the newest received state at a
// smoothed speed and rebuilds from that motion what the suspension, wheels,
// pose, effects and sounds read.
#include <cmath>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "riders/ai_rider.h"
#include "riders/net_state.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

constexpr float kFullLock = 0.6981317f;

float SnapshotPeriod() {
  const float period = g_NetGame->period;
  // The period comes from a network message: a step needs a positive one.
  return period > 0.0f && std::isfinite(period) ? period : 0.2f;
}

// The lean limit of the frame step at u, with the piece of the table chosen
// by the forward speed v.
float RemoteLeanLimit(float u, float v) {
  if (v <= 5.5555558f) return u * 0.1256637f;
  if (v <= 16.666668f) return (u - 5.5555558f) * 0.015707964f + 0.6981317f;
  if (v <= 22.222223f) return (u - 16.666668f) * 0.031415932f + 0.87266463f;
  return (u - 22.222223f) * 0.006981315f + 1.0471976f;
}

float Dot4(const Quaternion& a, const Quaternion& b) { return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z; }
Quaternion Conjugate(const Quaternion& q) { return Quaternion(q.w, -q.x, -q.y, -q.z); }

}  // namespace

void AiRider::HoldPose() {
  startPosition = basePosition = targetPosition = physics.position;
  startOrientation = targetOrientation = physics.orientation;
  stepVector = Vector3(0.0f, 0.0f, 0.0f);
  positionFraction = orientationFraction = 0.0f;
}

void AiRider::ApplyNetState(NetRiderRecord record) {
  RiderPhysics& p = physics;
  if (!netStateSeen) HoldPose();
  netStateSeen = 1;
  const float period = SnapshotPeriod();
  stepDuration = period;
  const NetRiderState s = DecodeRiderState(record);
  const float norm = s.orientation.Norm();
  const bool orientationUsable = std::fabs(norm - 1.0f) <= 0.5f;
  const bool plausible = s.freshCount != 0 && orientationUsable && Length(s.position) <= 5000.0f;
  if (plausible) {
    targetPosition = s.position;
    stepDuration = static_cast<float>(s.freshCount) * period;
  } else {
    targetPosition = p.position + 0.5f * (targetPosition - startPosition);
  }
  startOrientation = p.orientation;
  // A quaternion far from unit length is no rotation: the previous target
  // stays rather than a 0/0 or a skewed matrix.
  if (orientationUsable) targetOrientation = s.orientation / norm;

  const std::uint8_t c = s.crashed ? 1 : 0;
  if (!p.onTrack && s.onTrack) {
    resyncPending = 1;
  } else if (p.crashed && !c) {
    resyncPending = 1;
  }
  if (!p.crashed && c) PoseCrash();
  p.crashed = c;

  stepVector = targetPosition - p.position;
  startPosition = basePosition = p.position;
  positionFraction = orientationFraction = 0.0f;
}

void AiRider::ComputeContactLoads() {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float I = p.inertia[k];
  const float m = p.totalMass[k];
  const float dt = g_FrameTime;
  const bool use = p.onTrack != 0;
  const float s = g_ConditionSuspension[Slot(*this)];
  const float w = s > 0.3f ? 0.05f - (s - 0.3f) * 0.071428575f : 0.2f - 0.5f * s;
  p.chassisLoad = p.frontLoad = p.rearLoad = 0.0f;
  auto load = [&](const ContactPoint& c, const Vector3& n, float vn, float e) {
    const float d = (LengthSquared(Cross(c.world - p.position, n)) / I + 1.0f / m) * dt;
    return d > 0.0f ? -(1.0f + e) * vn / d : 0.0f;
  };
  {
    const ContactPoint& c = p.chassisPoint;
    const Vector3 n = Normal(Surface(*this, p.position, c.sectionHint, c.triangleHint, use));
    const float vn = Dot(c.velocity, n);
    if (c.world.y <= c.groundHeight + 0.2f && vn < 0.0f) p.chassisLoad = load(c, n, vn, 0.2f);
  }
  {
    const ContactPoint& c = p.frontWheel;
    Vector3 n = Normal(Surface(*this, p.position, c.sectionHint, c.triangleHint, use));
    const float vn = Dot(c.velocity, n);
    if (c.world.y <= c.groundHeight + 0.1f && vn < 0.0f) {
      float e = 0.1f * Setup(*this, 16) + w;
      if (p.crashed) {
        n = Unit(n + (0.5f * p.handlebarAngle) * Row(p.axes, 0));
        e = 0.0f;
      }
      p.frontLoad = load(c, n, vn, e);
    }
  }
  {
    const ContactPoint& c = p.rearWheel;
    const Vector3 n = Normal(Surface(*this, p.position, c.sectionHint, c.triangleHint, use));
    const float vn = Dot(c.velocity, n);
    if (c.world.y <= c.groundHeight + 0.1f && vn < 0.0f) {
      p.rearLoad = load(c, n, vn, p.crashed ? 0.0f : 0.1f * Setup(*this, 17) + w);
    }
  }
}

void AiRider::UpdateRemote(int raceState) {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  state = static_cast<std::uint32_t>(raceState);
  AdvanceFinish();
  if (!netStateSeen) HoldPose();
  if (state == RIDER_WAITING) {
    ComputeControls();
    RemoteTail();
    return;
  }

  if (p.onTrack && track) {
    ContactPoint* points[3] = {&p.chassisPoint, &p.frontWheel, &p.rearWheel};
    Vector3 normals[3] = {};
    bool outside = false;
    for (int i = 0; i < 3 && !outside; ++i) {
      float depth = 0.0f;
      ++p.groundQueries;
      outside = !track->TestBorders(points[i]->sectionHint, &normals[i], points[i]->world, &depth);
    }
    if (outside && p.rearWheel.world.y >= p.rearWheel.groundHeight + 1.2f) {
      bool allInto = true;
      for (int i = 0; i < 3; ++i) allInto = allInto && Dot(normals[i], points[i]->velocity) <= -1.5f;
      if (!allInto) p.onTrack = 0;
    }
  }

  ProbeGround();
  p.contactCount = static_cast<std::uint8_t>((p.chassisPoint.world.y <= p.chassisPoint.groundHeight + 0.2f ? 1 : 0) +
                                             (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f ? 1 : 0) +
                                             (p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f ? 1 : 0));
  ComputeContactLoads();

  const float duration = stepDuration > 0.0f ? stepDuration : SnapshotPeriod();
  float d = Length(targetPosition - startPosition);
  if (d == 0.0f || !std::isfinite(d)) d = 0.01f;
  const float a = (d / duration - interpolationSpeed) * dt * 15.0f;
  interpolationSpeed += a;
  positionFraction += interpolationSpeed * dt / d;
  p.throttle = a > 0.0f ? 1.0f : 0.0f;
  p.brake = a > 0.0f ? 0.0f : 1.0f;

  float g = std::acos(Clamp(Dot4(startOrientation, targetOrientation), -1.0f, 1.0f));
  if (g == 0.0f) g = 0.01f;
  angularSpeed += (g / duration - angularSpeed) * dt * 20.0f;
  orientationFraction += angularSpeed * dt / g;

  const Quaternion previous = p.orientation;
  const Vector3 previousForward = Row(p.axes, 2);
  if (resyncPending) {
    interpolationSpeed = angularSpeed = 0.0f;
    positionFraction = orientationFraction = 1.0f;
    p.position = targetPosition;
    startPosition = basePosition = targetPosition;
    stepVector = Vector3(0.0f, 0.0f, 0.0f);
    p.velocity = Vector3(0.0f, 0.0f, 0.0f);
    p.forwardSpeed = 0.0f;
    p.orientation = startOrientation = targetOrientation;
    p.onTrack = 1;
    resyncPending = 0;
  } else {
    p.orientation = Slerp(startOrientation, targetOrientation, orientationFraction);
    const Vector3 p0 = p.position;
    p.position = basePosition + positionFraction * stepVector;
    p.velocity = dt > 0.0f ? (p.position - p0) / dt : Vector3(0.0f, 0.0f, 0.0f);
    p.forwardSpeed = Dot(p.velocity, previousForward);
  }

  p.orientation.ToMatrix(&matrix);
  matrix.m[12] = p.position.x;
  matrix.m[13] = p.position.y;
  matrix.m[14] = p.position.z;
  // World angular velocity 2 vec(dq/dt conj(q)), written in this library's
  // product order, with the old rotation taken on the new one's side of the
  // sphere so that a sign flip of q does not read as a full turn.
  Quaternion q0 = previous;
  if (Dot4(q0, p.orientation) < 0.0f) q0 = -1.0f * q0;
  if (dt > 0.0f) {
    const Quaternion rate = Conjugate(p.orientation) * ((p.orientation - q0) / dt);
    p.angularVelocity = Vector3(2.0f * rate.x, 2.0f * rate.y, 2.0f * rate.z);
  } else {
    p.angularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  }

  for (WheelContact* w : {&p.frontWheel, &p.rearWheel}) {
    if (w->world.y > w->groundHeight + 0.1f) {
      w->spinRate -= w->spinRate * 2.0f * dt;
    } else {
      w->spinRate = p.wheelRadius > 0.0f ? p.forwardSpeed / p.wheelRadius : 0.0f;
    }
  }

  if (!p.crashed) {
    const float limit = RemoteLeanLimit(Length(p.rearWheel.velocity), p.forwardSpeed);
    // At rest the limit is 0: the bars stay straight rather than take 0/0.
    p.steer = limit != 0.0f && std::isfinite(limit) ? Clamp(-p.lean / limit, -1.0f, 1.0f) : 0.0f;
    SteerHandlebar();
  } else {
    const float goal = p.lean >= 0.0f ? kFullLock : -kFullLock;
    float step = (goal - p.handlebarAngle) * dt;
    if (p.contactCount == 3) step *= 3.0f;
    p.handlebarAngle += step;
  }

  const float spin = p.rearWheel.spinRate;
  const float* T = p.gearSpin[SkillClass(*this)];
  if ((spin <= 0.2f && p.throttle == 0.0f) || p.crashed) {
    p.gear = 0;
  } else if (spin < 0.75f * T[1]) {
    p.gear = 1;
  } else if (spin < T[1] + 0.75f * (T[2] - T[1])) {
    p.gear = 2;
  } else if (spin < T[2] + 0.75f * (T[3] - T[2])) {
    p.gear = 3;
  } else if (spin < T[3] + 0.75f * (T[4] - T[3])) {
    p.gear = 4;
  } else if (spin < T[4] + 0.75f * (T[5] - T[4])) {
    p.gear = 5;
  } else {
    p.gear = 6;
  }
  if (p.gear == 0) {
    p.revs -= p.revs * 5.0f * dt;
  } else if (T[p.gear] != 0.0f) {
    p.revs += (p.maxRevs / T[p.gear] * std::fabs(spin) - p.revs) * dt * 5.0f;
  }
  AxesFromMatrix(matrix, p.axes);
  for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                          static_cast<ContactPoint*>(&p.rearWheel)}) {
    c->world = TransformPoint(c->local, matrix);
    c->velocity = p.velocity + Cross(p.angularVelocity, c->world - p.position);
  }
  RemoteTail();
}

void AiRider::RemoteTail() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  const int s = static_cast<int>(state);
  p.lean = std::asin(Clamp(p.axes[0][1], -1.0f, 1.0f));
  lapDistance += dt * p.forwardSpeed;
  raceDistance += dt * p.forwardSpeed;
  for (int i = 0; i < GROUND_DUST_COUNT; ++i) {
    groundDust[i].Update(0, s);
    engineSmoke[i].Update(0, s);
  }
  for (SmokePuff& puff : exhaustSmoke) puff.Update(0, s);
  if (g_OptionParticle) {
    for (DirtParticle& d : dirt) d.Update(0, s);
  }
  Rider::Update(0, s);
  UpdateSuspension();
  UpdateWheels();
  UpdatePartMatrices();
  EmitGroundDust();
  EmitEngineSmoke();
  EmitExhaustSmoke();
  if (g_OptionParticle && lod != 2) EmitDirt();
  UpdateCrashBody();
  UpdatePose();
  UpdateSound();
  p.crashTime = p.crashed ? p.crashTime + dt : 0.0f;
}
