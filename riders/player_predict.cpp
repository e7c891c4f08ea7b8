// The player's look-ahead for network play: the bike advanced one network
// period with a lighter physics step and its own ground model, the result
// sent as a rider-state record, the live bike then put back untouched.
#include <cmath>
#include <cstring>

#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "platform/win32/crt.h"
#include "riders/net_state.h"
#include "riders/player_rider.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

constexpr float kStandardGravity = 9.80665f;
constexpr int kCrashNodes = 11;  // the nodes the crash pose writes
constexpr int kPredictSteps = 6;

// Everything a prediction may change, kept in fixed storage so that a send
// allocates nothing.
struct PredictionSave {
  RiderPhysics physics;
  Matrix4 matrix;
  Matrix4 partPoses[Rider::PART_POSE_COUNT];
  Matrix4 jointCrash[kCrashNodes];
  Matrix4 jointTurned[kCrashNodes];
  float jointTables[8][kCrashNodes];
  bool joints = false;
  std::uint8_t gearChanged = 0;
  std::uint8_t out = 0;
  float frameTime = 0.0f;
  float conditions[5] = {};
  unsigned int generator = 0;
};

float* const* Conditions() {
  static float* const tables[5] = {g_ConditionSuspension, g_ConditionWheels, g_ConditionEngine, g_ConditionBrakes,
                                   g_ConditionGearbox};
  return tables;
}

void Save(PlayerRider& r, PredictionSave* s) {
  s->physics = r.physics;
  s->matrix = r.matrix;
  for (int i = 0; i < Rider::PART_POSE_COUNT; ++i) s->partPoses[i] = r.partPoses[i];
  s->joints = r.nodeCount >= kCrashNodes && r.jointCrash && r.jointTurned;
  for (const auto& t : r.jointTables) s->joints = s->joints && t;
  if (s->joints) {
    for (int i = 0; i < kCrashNodes; ++i) {
      s->jointCrash[i] = r.jointCrash[i];
      s->jointTurned[i] = r.jointTurned[i];
      for (int t = 0; t < 8; ++t) s->jointTables[t][i] = r.jointTables[t][i];
    }
  }
  s->gearChanged = r.gearChanged;
  s->out = r.out;
  s->frameTime = g_FrameTime;
  const int slot = Slot(r);
  for (int i = 0; i < 5; ++i) s->conditions[i] = Conditions()[i][slot];
  s->generator = crt::state();
}

void Restore(PlayerRider& r, const PredictionSave& s) {
  r.physics = s.physics;
  r.matrix = s.matrix;
  for (int i = 0; i < Rider::PART_POSE_COUNT; ++i) r.partPoses[i] = s.partPoses[i];
  if (s.joints) {
    for (int i = 0; i < kCrashNodes; ++i) {
      r.jointCrash[i] = s.jointCrash[i];
      r.jointTurned[i] = s.jointTurned[i];
      for (int t = 0; t < 8; ++t) r.jointTables[t][i] = s.jointTables[t][i];
    }
  }
  r.gearChanged = s.gearChanged;
  r.out = s.out;
  g_FrameTime = s.frameTime;
  const int slot = Slot(r);
  for (int i = 0; i < 5; ++i) Conditions()[i][slot] = s.conditions[i];
  crt::srand(s.generator);
}

}  // namespace

void PlayerRider::SendNetState() {
  // Static: the state is large, and a send must not allocate.
  static PredictionSave saved;
  Save(*this, &saved);
  const std::uint8_t onTrackBefore = physics.onTrack;
  g_FrameTime = g_NetGame->period / 6.0f;
  for (int i = 0; i < kPredictSteps; ++i) PredictStep();
  g_FrameTime = saved.frameTime;

  NetRiderState predicted;
  predicted.position = physics.position;
  predicted.orientation = physics.orientation;
  predicted.crashed = physics.crashed;
  predicted.onTrack = onTrackBefore;
  g_NetGame->SendRiderState(NET_MSG_RIDER_STATE, EncodeRiderState(predicted));
  Restore(*this, saved);
}

void PlayerRider::PredictStep() {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float dt = g_FrameTime;
  const Vector3 right = Row(p.axes, 0);
  const Vector3 up = Row(p.axes, 1);
  const Vector3 forward = Row(p.axes, 2);

  ProbeGround();
  p.contactCount = static_cast<std::uint8_t>((p.chassisPoint.world.y <= p.chassisPoint.groundHeight + 0.2f ? 1 : 0) +
                                             (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f ? 1 : 0) +
                                             (p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f ? 1 : 0));
  UpdateCrash();
  Rider::UpdateEngine();

  Vector3 chassis(0.0f, 0.0f, 0.0f);
  Vector3 front(0.0f, 0.0f, 0.0f);
  Vector3 rear(0.0f, 0.0f, 0.0f);
  PredictGroundForces(&chassis, &front, &rear);
  const Vector3 force = chassis + front + rear;
  Vector3 chassisTorqueForce = chassis;
  if (p.crashed && p.crashTime < 0.5f) chassisTorqueForce.y -= kStandardGravity * p.chassisPoint.mass[k];
  const Vector3 torque = Cross(p.rearWheel.world - p.position, rear) + Cross(p.frontWheel.world - p.position, front) +
                         Cross(p.chassisPoint.world - p.position, chassisTorqueForce);
  const Vector3 tp = Dot(torque, right) * right;
  const Vector3 tr = Dot(torque, forward) * forward;
  const Vector3 ty = torque - tp - tr;
  const float inertia = p.inertia[k];
  p.angularVelocity = p.angularVelocity + dt * (ty / inertia + tp / (2.0f * inertia) + tr / (0.5f * inertia));

  p.velocity = p.velocity + dt * (force / p.totalMass[k]);
  p.forwardSpeed = Dot(p.velocity, forward);
  if (std::fabs(p.forwardSpeed) < 3.0f && p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f) {
    p.velocity -= (p.forwardSpeed * p.brake) * forward;
    p.forwardSpeed -= p.forwardSpeed * p.brake;
  }
  p.position = p.position + dt * p.velocity;

  const float target = LeanLimitForSpeed(Length(p.rearWheel.velocity)) * p.steer;
  if (!p.crashed) {
    p.angularVelocity -= Dot(p.angularVelocity, forward) * forward;
    if (p.rearWheel.world.y > p.rearWheel.groundHeight + 0.5f) {
      p.angularVelocity = p.angularVelocity + (dt * p.steer * 1.5f) * up;
      p.leanRate -= dt * 20.0f * (p.lean + target + p.leanRate);
    } else {
      p.leanRate -= dt * (20.0f * (p.lean + target) + 10.0f * p.leanRate);
    }
    p.angularVelocity = p.angularVelocity + p.leanRate * forward;
    if (p.rearWheel.world.y < p.rearWheel.groundHeight + 1.0f) {
      p.angularVelocity -= (3.0f * dt * Dot(p.angularVelocity, right)) * right;
    }
  } else {
    p.angularVelocity -= (0.5f * dt * Dot(p.angularVelocity, forward)) * forward;
  }
  const float rotation[3] = {p.angularVelocity.x * dt, p.angularVelocity.y * dt, p.angularVelocity.z * dt};
  RotateOrientation(rotation);
  if (!p.crashed) p.angularVelocity -= p.leanRate * forward;

  PoseBody();
  UpdateSuspension();
  UpdateWheels();
  UpdatePartMatrices();
}

void PlayerRider::PredictGroundForces(Vector3* chassisOut, Vector3* frontOut, Vector3* rearOut) {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float M = p.totalMass[k];
  const float I = p.inertia[k];
  const float dt = g_FrameTime;
  const float r = 1.0f / dt;
  const float q = r < 20.0f ? r : 20.0f;
  const float suspension = g_ConditionSuspension[Slot(*this)];
  const Vector3 right = Row(p.axes, 0);
  const Vector3 forward = Row(p.axes, 2);

  p.chassisLoad = p.frontLoad = p.rearLoad = 0.0f;
  p.chassisBorderImpulse = p.frontBorderImpulse = p.rearBorderImpulse = 0.0f;
  p.frontGrip = p.rearGrip = 1.0f;
  const bool use = p.onTrack != 0;
  const TrackSurface chassisSurface =
      Surface(*this, p.position, p.chassisPoint.sectionHint, p.chassisPoint.triangleHint, use);
  const TrackSurface frontSurface =
      Surface(*this, p.position, p.frontWheel.sectionHint, p.frontWheel.triangleHint, use);
  const TrackSurface rearSurface = Surface(*this, p.position, p.rearWheel.sectionHint, p.rearWheel.triangleHint, use);

  // D along d: the effective-mass divisor of a point.
  auto divisor = [&](const ContactPoint& c, const Vector3& d) {
    return (LengthSquared(Cross(c.world - p.position, d)) / I + 1.0f / M) * dt;
  };
  auto bounce = [&](int value) {
    const float c = suspension <= 0.3f ? 0.2f - 0.5f * suspension : 0.05f - (suspension - 0.3f) * 0.071428575f;
    return Setup(*this, value) * 0.1f + c;
  };
  auto border = [&](ContactPoint& point, float* impulse, Vector3* out) {
    if (!p.onTrack || !track) return;
    Vector3 b;
    float depth = 0.0f;
    ++p.groundQueries;
    if (track->TestBorders(point.sectionHint, &b, point.world, &depth)) return;
    const float vb = Dot(b, point.velocity);
    if (p.rearWheel.world.y < p.rearWheel.groundHeight + 1.2f || vb > -1.5f) {
      if (vb < 0.0f) {
        const Vector3 push = depth * b;
        PushBody(push);
        const float e = std::fabs(vb) > 5.555556f ? 1.0f : std::fabs(vb) * 0.18f;
        const float j = -(vb - (1.0f - e)) / divisor(point, b);
        *impulse = j;
        *out = *out + j * b;
      }
    } else {
      p.onTrack = 0;
    }
  };
  auto limit = [](Vector3 s) {
    const float l = Length(s);
    return l > 2000.0f ? (2000.0f / l) * s : s;
  };

  // Chassis point.
  Vector3 Sc(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& c = p.chassisPoint;
    const Vector3 n = Normal(chassisSurface);
    const Vector3 v = c.velocity;
    chassisOut->y -= c.mass[k] * kStandardGravity;
    if (c.world.y <= c.groundHeight + 0.2f) {
      const float K = r < 20.0f ? (r - 10.0f) * 500.0f + 5000.0f : 10000.0f;
      Sc = (K * ((c.groundHeight + 0.1f) - c.world.y) * n.y - 100.0f * Dot(n, v)) * n;
      *chassisOut = *chassisOut + (-5.0f * c.mass[k]) * (v - Dot(n, v) * n);
      if (Dot(n, v) < 0.0f) {
        p.restitution = 0.2f;
        const float j = -1.2f * Dot(n, v) / divisor(c, n);
        p.chassisLoad = j;
        *chassisOut = *chassisOut + j * n;
      }
    }
    border(c, &p.chassisBorderImpulse, chassisOut);
  }

  const Vector3 frontAxle = MatrixRow(partPoses[1], 0);
  const Vector3 rearAxle = MatrixRow(partPoses[7], 0);
  const Vector3 nFront = Normal(frontSurface);

  // Front contact.
  Vector3 Sf(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& f = p.frontWheel;
    const Vector3& n = nFront;
    const Vector3 v = f.velocity;
    frontOut->y -= f.mass[k] * kStandardGravity;
    if (f.world.y <= f.groundHeight + 0.1f) {
      if (f.world.y <= f.groundHeight) Sf = (8000.0f * (f.groundHeight - f.world.y) * n.y - 100.0f * Dot(n, v)) * n;
      const Vector3 a = Unit(frontAxle - Dot(frontAxle, n) * n);
      const Vector3 u = p.crashed ? v - Dot(n, v) * n : Dot(a, v) * a;
      p.frontGrip = 1.0f - std::fabs(Dot(a, p.rearWheel.velocity)) * 0.072f;
      if (p.frontGrip < 0.05f || (p.crashed && p.contactCount < 3)) p.frontGrip = 0.05f;
      *frontOut = *frontOut + (-(q * f.mass[k] * p.frontGrip)) * u;
      if (Dot(n, v) < 0.0f) {
        const Vector3 m = p.crashed ? Unit(n + (0.5f * p.handlebarAngle) * right) : n;
        const float e = p.crashed ? 0.0f : bounce(16);
        p.restitution = e;
        const float j = -((e + 1.0f) * Dot(n, v)) / divisor(f, m);
        p.frontLoad = j;
        *frontOut = *frontOut + j * m;
      }
    }
    border(f, &p.frontBorderImpulse, frontOut);
  }

  // Rear contact.
  Vector3 Sr(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& c = p.rearWheel;
    const Vector3 n = Normal(rearSurface);
    const Vector3 v = c.velocity;
    rearOut->y -= c.mass[k] * kStandardGravity;
    if (c.world.y <= c.groundHeight + 0.1f) {
      if (c.world.y <= c.groundHeight) {
        const float K = r < 20.0f ? (r - 10.0f) * 400.0f + 4000.0f : 8000.0f;
        Sr = (K * (c.groundHeight - c.world.y) * n.y - 100.0f * Dot(n, v)) * n;
      }
      const Vector3 t = Unit(Cross(forward, n));
      const Vector3 u = p.crashed ? v - Dot(n, v) * n : Dot(t, v) * t;
      const float speed = std::fabs(p.forwardSpeed);
      float G = (p.gear < 1 || p.clutchIn) ? speed * 0.026470587f + 1.0f
                                           : (1.0f - p.throttle * 0.99f) + speed * 0.026470587f;
      const float lean = std::fabs(p.lean);
      if (lean >= 0.5235988f) G *= 1.0f - (lean - 0.5235988f) * 1.1459156f;
      const float s3 = Setup(*this, 3);
      G *= weather == 1 ? (s3 * 0.30000007f + 0.9f) * 0.8f : s3 * 0.20000005f + 0.9f;
      p.rearGrip = Clamp(G, 0.05f, 1.0f);
      if (p.crashed && p.contactCount < 3) p.rearGrip = 0.5f;
      *rearOut = *rearOut + (-(q * p.rearGrip * c.mass[k])) * u;

      if (!p.crashed) {
        const Vector3& w = rearAxle;
        Vector3 e = Unit(forward - Dot(forward, w) * w);
        e = Unit(e - Dot(e, n) * n);
        float F = s3 < 0.5f ? 1.0f : 1.0f - (s3 - 0.5f) * 0.79999995f;
        if (rearSurface.kind != 0) F *= 0.8f;
        F *= 1.0f - std::fabs(Dot(w, forward));
        const Vector3 drive = (p.driveForce * F) * e;
        *rearOut = *rearOut + drive;
        if (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f) {
          const Vector3 a = Unit(frontAxle - Dot(frontAxle, nFront) * nFront);
          *frontOut -= Dot(a, drive) * a;
        }
      }
      if (Dot(n, v) < 0.0f) {
        const float e = p.crashed ? 0.0f : bounce(17);
        p.restitution = e;
        const float j = -((e + 1.0f) * Dot(n, v)) / divisor(c, n);
        p.rearLoad = j;
        *rearOut = *rearOut + j * n;
      }
    }
    border(c, &p.rearBorderImpulse, rearOut);
  }

  *chassisOut = *chassisOut + limit(Sc);
  *frontOut = *frontOut + limit(Sf);
  *rearOut = *rearOut + limit(Sr);
}
