// The frame step of a physics-driven rider: ground probes, crash test,
// controls, engine and ground forces, the third-order integration of the
// rigid body, the lean spring, then the dependent state, effects, pose and
// sound.
#include <cmath>

#include "engine/scene/scene.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

// The lean limit by the rear contact's speed u, m/s.
float LeanLimit(float u) {
  if (u <= 5.5555558f) return u * 0.1256637f;
  if (u <= 16.666668f) return (u - 5.5555558f) * 0.015707964f + 0.6981317f;
  if (u <= 22.222223f) return (u - 16.666668f) * 0.031415932f + 0.87266463f;
  return (u - 22.222223f) * 0.006981315f + 1.0471976f;
}

// A history sample `back` seconds before sample 0: linear within the two
// stored intervals, the oldest sample held beyond them. Equal steps give the
// stored samples exactly.
Vector3 Resample(const Vector3 s[3], float h1, float h2, float back) {
  const float h12 = h1 + h2;
  if (back >= h12) return s[2];
  if (back == h1) return s[1];
  if (back > h1) {
    const float t = h2 > 0.0f ? (back - h1) / h2 : 1.0f;
    return s[1] + t * (s[2] - s[1]);
  }
  const float t = h1 > 0.0f ? back / h1 : 1.0f;
  return s[0] + t * (s[1] - s[0]);
}

}  // namespace

float LeanLimitForSpeed(float u) { return LeanLimit(u); }

void Rider::ShiftHistory(Vector3 history[3]) {
  history[2] = history[1];
  history[1] = history[0];
}

void Rider::IntegrateHistory(Vector3* value, Vector3 history[3]) {
  const float dt = g_FrameTime;
  const float h1 = physics.frameTimes[0];
  const float h2 = physics.frameTimes[1];
  // Re-expressing samples across a large change of step lets a short
  // frame's impulse stand for the whole of a long one, and the scheme grows
  // without bound; there the history restarts from the newest sample.
  const bool steady = dt <= 2.0f * h1 && h1 <= 2.0f * dt;
  const Vector3 s1 = steady ? Resample(history, h1, h2, dt) : history[0];
  const Vector3 s2 = steady ? Resample(history, h1, h2, 2.0f * dt) : history[0];
  history[1] = s1;
  history[2] = s2;
  const Vector3 s0 = history[0];
  const Vector3 step = 23.0f * s0 - 16.0f * s1 + 5.0f * s2;
  *value = *value + (dt / 12.0f) * step;
}

void Rider::RotateOrientation(const float r[3]) {
  const Vector3 v(r[0], r[1], r[2]);
  const float a = Length(v);
  if (!(a > 0.0f)) return;
  const float s = std::sin(a / 2.0f);
  const Quaternion increment(std::cos(a / 2.0f), v.x / a * s, v.y / a * s, v.z / a * s);
  physics.orientation = physics.orientation * increment;
}

float Rider::ProbeGround() {
  RiderPhysics& p = physics;
  const bool use = p.onTrack != 0;
  float h0 = p.position.y;
  Height(*this, p.position, &p.sectionHint, &p.triangleHint, &h0, use);
  for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                          static_cast<ContactPoint*>(&p.rearWheel)}) {
    Height(*this, c->world, &c->sectionHint, &c->triangleHint, &c->groundHeight, use);
  }
  return h0;
}

void Rider::RunFrameStep(unsigned ms, const RiderStepKind& kind) {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float dt = g_FrameTime;
  auto engine = [&] {
    if (kind.engineStep) {
      kind.engineStep(*this);
    } else {
      UpdateEngine();
    }
  };

  if (state == RIDER_WAITING) {
    // The ground the rider was placed over stays when the query finds none
    // (a grid spot beside the course): its own height would lift it half a
    // metre every frame.
    float h = p.position.y - 0.5f;
    Height(*this, p.position, &p.sectionHint, &p.triangleHint, &h, p.onTrack != 0);
    ComputeControls();
    engine();
    Place(gridSpot[0], h + 0.5f, gridSpot[1], gridSpot[2]);
    p.startRevs = p.revs;
    AxesFromMatrix(matrix, p.axes);
    // The base's update: a derived rider's Update is the frame that runs this.
    Rider::Update(ms, static_cast<int>(state));
    UpdateSuspension();
    UpdateWheels();
    UpdatePartMatrices();
    for (SmokePuff& puff : exhaustSmoke) puff.Update(ms, static_cast<int>(state));
    EmitExhaustSmoke();
    for (int i = 0; i < PART_POSE_COUNT; ++i) startPartPoses[i] = partPoses[i];
    const ContactPoint* points[3] = {&p.chassisPoint, &p.frontWheel, &p.rearWheel};
    startHints[0] = p.sectionHint;
    startHints[1] = p.triangleHint;
    for (int i = 0; i < 3; ++i) {
      startHints[2 + 2 * i] = points[i]->sectionHint;
      startHints[3 + 2 * i] = points[i]->triangleHint;
    }
    const float suspension[6] = {p.frontRest, p.rearRest, p.frontSuspensionVelocity, p.rearSuspensionVelocity,
                                 p.frontTravel, p.rearTravel};
    for (int i = 0; i < 6; ++i) p.startSuspension[i] = suspension[i];
    p.gearboxChaos = 0.5f;
    p.bumpChaos = 0.5f;
  } else {
    if (kind.stuckTimer && p.stuckTime == 0.0f) p.stuckSection = p.sectionHint;
    const float h0 = ProbeGround();
    if (kind.stuckTimer) {
      if (!p.crashed && p.sectionHint == p.stuckSection) {
        p.stuckTime += dt;
      } else {
        p.stuckTime = 0.0f;
      }
    }
    p.contactCount = static_cast<std::uint8_t>((p.chassisPoint.world.y <= p.chassisPoint.groundHeight + 0.2f ? 1 : 0) +
                                               (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f ? 1 : 0) +
                                               (p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f ? 1 : 0));
    UpdateCrash();
    ComputeControls();
    engine();

    Vector3 chassis;
    Vector3 front;
    Vector3 rear;
    ComputeGroundForces(&chassis, &front, &rear);
    Vector3 force = chassis + front + rear;
    Vector3 rearForce = rear;
    if (kind.externalForce) {
      force = force + p.externalForce;
      rearForce = rearForce + p.externalForce;
    }
    ShiftHistory(p.accelHistory);
    ShiftHistory(p.angularAccelHistory);
    ShiftHistory(p.velocityHistory);
    ShiftHistory(p.rotationHistory);

    const Vector3 torque = Cross(p.rearWheel.world - p.position, rearForce) +
                           Cross(p.frontWheel.world - p.position, front) +
                           Cross(p.chassisPoint.world - p.position, chassis);
    const Vector3 right = Row(p.axes, 0);
    const Vector3 up = Row(p.axes, 1);
    const Vector3 forward = Row(p.axes, 2);
    const Vector3 tp = Dot(torque, right) * right;
    const Vector3 tr = Dot(torque, forward) * forward;
    const Vector3 ty = torque - tp - tr;
    const float inertia = p.inertia[k];
    p.angularAccelHistory[0] = ty / inertia + tp / (2.0f * inertia) + tr / (0.5f * inertia);
    IntegrateHistory(&p.angularVelocity, p.angularAccelHistory);

    p.accelHistory[0] = force / p.totalMass[k];
    IntegrateHistory(&p.velocity, p.accelHistory);
    p.forwardSpeed = Dot(p.velocity, forward);

    if (std::fabs(p.forwardSpeed) < kind.holdSpeed && p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f) {
      p.velocity -= (p.forwardSpeed * p.brake) * forward;
      p.forwardSpeed -= p.forwardSpeed * p.brake;
    }
    p.velocityHistory[0] = p.velocity;
    IntegrateHistory(&p.position, p.velocityHistory);

    const float target = LeanLimit(Length(p.rearWheel.velocity)) * p.steer;
    if (!p.crashed) {
      p.angularVelocity -= Dot(p.angularVelocity, forward) * forward;
      if (p.rearWheel.world.y > p.rearWheel.groundHeight + 0.5f) {
        p.angularVelocity = p.angularVelocity + (dt * p.steer * 1.5f) * up;
        p.leanRate -= dt * 20.0f * (p.lean + target + p.leanRate);
      } else {
        p.leanRate -= dt * (20.0f * (p.lean + target) + 10.0f * p.leanRate);
      }
      p.angularVelocity = p.angularVelocity + p.leanRate * forward;
      float pitch = Dot(p.angularVelocity, right) * dt;
      if (p.position.y < h0 + 1.0f) pitch *= 3.0f;
      p.angularVelocity -= pitch * right;
    } else {
      p.angularVelocity -= (0.5f * dt * Dot(p.angularVelocity, forward)) * forward;
    }

    p.rotationHistory[0] = p.angularVelocity;
    Vector3 r(0.0f, 0.0f, 0.0f);
    IntegrateHistory(&r, p.rotationHistory);
    const float rotation[3] = {r.x, r.y, r.z};
    RotateOrientation(rotation);
    if (!p.crashed) p.angularVelocity -= p.leanRate * forward;

    p.frameTimes[1] = p.frameTimes[0];
    p.frameTimes[0] = dt;

    PoseBody();
    lapDistance += dt * p.forwardSpeed;
    raceDistance += dt * p.forwardSpeed;

    for (int i = 0; i < GROUND_DUST_COUNT; ++i) {
      groundDust[i].Update(ms, static_cast<int>(state));
      engineSmoke[i].Update(ms, static_cast<int>(state));
    }
    for (SmokePuff& puff : exhaustSmoke) puff.Update(ms, static_cast<int>(state));
    if (kind.afterPuffs) kind.afterPuffs(*this);
    if (g_OptionParticle) {
      for (DirtParticle& d : dirt) d.Update(ms, static_cast<int>(state));
    }
    Rider::Update(ms, static_cast<int>(state));
    UpdateSuspension();
    UpdateWheels();
    UpdatePartMatrices();
    EmitGroundDust();
    EmitEngineSmoke();
    EmitExhaustSmoke();
    if (kind.afterExhaust) kind.afterExhaust(*this);
    if (g_OptionParticle && lod != 2) EmitDirt();
  }
  UpdateCrashBody();
  UpdatePose();
  UpdateSound();
}

void Rider::PoseBody() {
  RiderPhysics& p = physics;
  p.orientation.ToMatrix(&matrix);
  matrix.m[12] = p.position.x;
  matrix.m[13] = p.position.y;
  matrix.m[14] = p.position.z;
  for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                          static_cast<ContactPoint*>(&p.rearWheel)}) {
    c->world = TransformPoint(c->local, matrix);
    c->velocity = p.velocity + Cross(p.angularVelocity, c->world - p.position);
  }
  AxesFromMatrix(matrix, p.axes);
  p.lean = std::asin(Clamp(p.axes[0][1], -1.0f, 1.0f));
}

void Rider::PushBody(const Vector3& push) {
  RiderPhysics& p = physics;
  p.position = p.position + push;
  matrix.m[12] = p.position.x;
  matrix.m[13] = p.position.y;
  matrix.m[14] = p.position.z;
  p.chassisPoint.world = p.chassisPoint.world + push;
  p.frontWheel.world = p.frontWheel.world + push;
  p.rearWheel.world = p.rearWheel.world + push;
  ProbeGround();
}
