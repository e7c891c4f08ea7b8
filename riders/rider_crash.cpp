// Falling off: the fall test, the fallen rider's own rigid body, its
// flailing skeleton, and putting the bike back on the track.
#include <cmath>

#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

constexpr int kParent[11] = {5, 5, 1, 5, 3, 6, -1, 6, 7, 6, 9};

float Draw01() { return static_cast<float>(crt::rand()) / 32767.0f; }

// Ry(a): rows (cos,0,-sin), (0,1,0), (sin,0,cos).
Matrix4 RotationY(float a) {
  Matrix4 m = g_IdentityMatrix;
  const float c = std::cos(a);
  const float s = std::sin(a);
  m.m[0] = c;
  m.m[2] = -s;
  m.m[8] = s;
  m.m[10] = c;
  return m;
}

}  // namespace

void Rider::UpdateCrash() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  p.justRecovered = 0;
  const Vector3 n = Normal(Surface(*this, p.position, p.sectionHint, p.triangleHint, p.onTrack != 0));
  const Vector3 right = Row(p.axes, 0);
  const Vector3 up = Row(p.axes, 1);

  if (!p.crashed) {
    const float lean = std::fabs(p.lean);
    const bool tipped = up.y <= 0.34202014f;
    const bool leaning =
        lean > (std::fabs(p.forwardSpeed) * 0.2117647f + 53.0f) * 0.017453292f + std::asin(Clamp(n.y, -1.0f, 1.0f));
    const bool spinning = std::fabs(Dot(p.angularVelocity, up)) > lean + 9.424778f;
    const float hard = 100.0f / dt;
    const bool borderInAir =
        p.rearWheel.world.y >= p.rearWheel.groundHeight + 2.0f &&
        (p.chassisBorderImpulse > hard || p.frontBorderImpulse > hard || p.rearBorderImpulse > hard);
    const Vector3 h = Unit(Vector3(right.x, 0.0f, right.z));
    const bool sliding = std::fabs(Dot(h, p.velocity)) > 19.444444f;
    const bool reversing = p.forwardSpeed < -8.333334f;
    if (tipped || leaning || spinning || borderInAir || reversing || (sliding && p.contactCount > 0) || !p.onTrack) {
      p.crashed = 1;
      p.crashTime = 0.0f;
      PoseCrash();
    }
    return;
  }

  const bool moving = p.crashBodyPoint.y > p.crashBodyGround + p.bodyClearance ||
                      Length(p.angularVelocity) >= 0.34906584f || Length(p.rearWheel.velocity) >= 5.0f ||
                      p.contactCount != 3 || p.crashTime <= 3.0f;
  if (moving && p.crashTime <= 10.0f) {
    p.crashTime += dt;
    return;
  }
  p.crashed = 0;
  p.crashTime = 0.0f;
  float heading = 0.0f;
  if (track && track->sectionCount) {
    const Vector3 d = track->sections[track->SectionIndex(p.frontWheel.sectionHint)].direction;
    heading = std::acos(Clamp(d.z, -1.0f, 1.0f));
    if (d.x < 0.0f) heading = 2.0f * kPi - heading;
  }
  if (p.onTrack || !track || track->nodes.empty()) {
    Place(p.position.x, p.chassisPoint.groundHeight + 1.5f, p.position.z, heading);
  } else {
    const TrackNode& node = track->nodes[track->SectionIndex(p.sectionHint)];
    Vector3 offset = p.position - node.centre;
    offset.y = -node.centre.y;
    const float side = Dot(offset, node.across) < 0.0f ? -1.0f : 1.0f;
    const Vector3 spot = node.centre + (side * node.halfWidth * 0.6f) * node.across;
    float h = spot.y;
    std::uint16_t section = p.sectionHint;
    std::uint16_t triangle = p.triangleHint;
    Height(*this, spot, &section, &triangle, &h, true);
    Place(spot.x, h + 0.9f, spot.z, heading);
    p.onTrack = 1;
    Vector3 b;
    float depth = 0.0f;
    ++p.groundQueries;
    if (!track->TestBorders(p.rearWheel.sectionHint, &b, p.rearWheel.world, &depth)) {
      const Vector3 push = depth * b;
      p.position = p.position + push;
      matrix.m[12] = p.position.x;
      matrix.m[13] = p.position.y;
      matrix.m[14] = p.position.z;
      p.chassisPoint.world = p.chassisPoint.world + push;
      p.frontWheel.world = p.frontWheel.world + push;
      p.rearWheel.world = p.rearWheel.world + push;
      ProbeGround();
    }
  }
  p.handlebarAngle = 0.0f;
  p.onTrack = 1;
  p.crashOnTrack = 1;
  p.justRecovered = 1;
}

void Rider::UpdateCrashBody() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  if (!p.crashed) {
    p.crashBodyPoint = p.position;
    p.crashBodyGround = p.chassisPoint.groundHeight;
    p.crashBodyVelocity = p.chassisPoint.velocity;
    p.crashBodySection = p.chassisPoint.sectionHint;
    p.crashBodyTriangle = p.chassisPoint.triangleHint;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) p.crashBodyAxes[r][c] = p.axes[r][c];
    p.crashBodyMatrix = partPoses[11];
    return;
  }
  if (p.crashTime == 0.0f) {
    const Vector3 up = Row(p.axes, 1);
    p.crashBodyPoint = p.position + 0.6f * up;
    p.crashBodyVelocity = p.chassisPoint.velocity;
    p.crashBodySection = p.chassisPoint.sectionHint;
    p.crashBodyTriangle = p.chassisPoint.triangleHint;
    p.crashBodyGround = p.chassisPoint.groundHeight;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) p.crashBodyAxes[r][c] = p.axes[r][c];
    auto chaos = [&] {
      const float x = p.bodyChaos;
      p.bodyChaos = Clamp(7.9f * x * (1.0f - x) - 1.0f, -1.0f, 1.0f);
      return p.bodyChaos;
    };
    Vector3 spin = p.angularVelocity;
    spin.z = spin.z + chaos() * 1.0471976f;
    spin.y = spin.y + chaos() * 1.0471976f;
    spin.x = spin.x + chaos() * 1.0471976f;
    p.crashBodyAngularVelocity = spin;
    p.crashBodyMatrix = partPoses[11];
    p.crashBodyBase = p.crashBodyPoint - 0.6f * up;
    p.crashBodyOrientation = Quaternion(p.crashBodyMatrix);
    p.crashBodyLoad = 0.0f;
    return;
  }

  const float m = p.crashBodyMass;
  Height(*this, p.crashBodyPoint, &p.crashBodySection, &p.crashBodyTriangle, &p.crashBodyGround, false);
  const Vector3 n = Normal(Surface(*this, p.crashBodyPoint, p.crashBodySection, p.crashBodyTriangle, false));
  p.crashBodyNormal = n;
  p.crashBodyLoad = 0.0f;
  p.lyingSide = 0;
  const Vector3 bodyRight = Row(p.crashBodyAxes, 0);
  const Vector3 bodyUp = Row(p.crashBodyAxes, 1);
  const float c = std::fabs(Dot(n, bodyUp)) * 0.2f + 0.4f;
  p.bodyClearance = c;
  Vector3 force(0.0f, 0.0f, 0.0f);
  const Vector3 v = p.crashBodyVelocity;
  if (p.crashBodyPoint.y <= p.crashBodyGround + c) {
    if (Dot(n, bodyUp) < 0.0f) {
      p.lyingSide = Dot(n, bodyRight) < 0.0f ? 2 : 1;
    } else {
      p.lyingSide = Dot(n, bodyRight) < 0.0f ? 4 : 3;
    }
    const float f = 1.0f / dt;
    const float K = f >= 20.0f ? 8000.0f : (f - 10.0f) * 400.0f + 4000.0f;
    force = force + (K * ((p.crashBodyGround + c) - p.crashBodyPoint.y)) * n;
    const float friction = Length(v) > 2.0f ? -50.0f : -8.0f * m;
    force = force + friction * (v - Dot(n, v) * n);
    if (Dot(n, v) < 0.0f) {
      p.crashBodyLoad = Dot(n, v) * m * -1.2f / dt;
      force = force + p.crashBodyLoad * n;
    }
  }
  if (p.crashOnTrack && track && track->sectionCount) {
    Vector3 b;
    float depth = 0.0f;
    ++p.groundQueries;
    if (!track->TestBorders(p.crashBodySection, &b, p.crashBodyPoint, &depth)) {
      if (p.crashBodyPoint.y >= p.crashBodyGround + 1.0f) {
        p.crashOnTrack = 0;
      } else if (Dot(b, v) < 0.0f) {
        force = force + (Dot(b, v) * m * -1.2f / dt) * b;
      }
    }
  }
  const Vector3 body = p.crashBodyPoint;
  if (Length(body - p.frontWheel.world) < 0.5f || Length(body - p.chassisPoint.world) < 1.5f ||
      Length(body - p.rearWheel.world) < 0.5f) {
    Vector3 d = Unit(body - p.position);
    if (LengthSquared(d) == 0.0f) d = Row(p.axes, 1);
    const float s = Dot(v - p.velocity, d) - 1.0f;
    if (s < 0.0f) force = force + (s * m * -1.2f / dt) * d;
  }
  force.y -= kGravity * m;
  p.crashBodyVelocity = p.crashBodyVelocity + (dt / m) * force;
  p.crashBodyPoint = p.crashBodyPoint + dt * p.crashBodyVelocity;

  Vector3 torque(0.0f, 0.0f, 0.0f);
  if (Length(p.crashBodyVelocity) <= 2.0f) {
    const Vector3 axis = Unit(Cross(bodyUp, n));
    torque = (30.0f * Dot(n, bodyUp)) * axis;
  }
  p.crashBodyAngularVelocity =
      p.crashBodyAngularVelocity + (dt / 10.0f) * (torque - 10.0f * p.crashBodyAngularVelocity);
  const float a = Length(p.crashBodyAngularVelocity) * dt;
  if (a > 0.0f) {
    const Vector3 axis = Unit(p.crashBodyAngularVelocity);
    const float s = std::sin(a / 2.0f);
    p.crashBodyOrientation =
        p.crashBodyOrientation * Quaternion(std::cos(a / 2.0f), axis.x * s, axis.y * s, axis.z * s);
    p.crashBodyOrientation.ToMatrix(&p.crashBodyMatrix);
    AxesFromMatrix(p.crashBodyMatrix, p.crashBodyAxes);
  }
  p.crashBodyMatrix.m[12] = p.crashBodyPoint.x;
  p.crashBodyMatrix.m[13] = p.crashBodyPoint.y;
  p.crashBodyMatrix.m[14] = p.crashBodyPoint.z;
  p.crashBodyBase = p.crashBodyPoint - 0.6f * Row(p.crashBodyAxes, 1);
}

void Rider::PoseCrash() {
  if (nodeCount < 11 || nodeWorld.size() < 11 || !jointRest || !jointCrash || !jointTurned || !jointRelative) return;
  for (auto& table : jointTables) {
    if (!table) return;
  }
  const Matrix4* W = nodeWorld.data();
  const Matrix4 cbInverse = InvertRigidMatrix(physics.crashBodyMatrix);
  for (int i = 0; i < 11; ++i) {
    const Matrix4 lInverse = InvertRigidMatrix(jointRelative[i]);
    if (kParent[i] < 0) {
      jointCrash[i] = Multiply(Multiply(Multiply(jointRest[i], W[i]), cbInverse), lInverse);
    } else {
      const int q = kParent[i];
      jointCrash[i] = Multiply(
          Multiply(Multiply(Multiply(jointRest[i], W[i]), InvertRigidMatrix(W[q])), InvertRigidMatrix(jointRest[q])),
          lInverse);
    }
    jointTurned[i] = g_IdentityMatrix;
    jointTables[JOINT_ANGLE1][i] = 0.0f;
    jointTables[JOINT_ANGLE2][i] = 0.0f;
  }
  constexpr float pi = kPi;
  struct Start {
    int node;
    int kind1;  // 0 none, 1 s, 2 r
    float scale1;
    int kind2;
    float scale2;
  };
  static constexpr Start kStarts[] = {
      {0, 1, 1.0471976f, 2, -1.0471976f}, {5, 2, 2.0f * pi, 1, pi / 2.0f},
      {3, 2, pi, 1, pi / 2.0f},           {4, 0, 0.0f, 2, pi},
      {1, 2, -pi, 1, pi / 2.0f},          {2, 0, 0.0f, 2, -pi},
      {9, 2, pi / 2.0f, 1, pi / 2.0f},    {10, 0, 0.0f, 2, -pi},
      {7, 2, -pi / 2.0f, 1, pi / 2.0f},   {8, 0, 0.0f, 2, -pi},
  };
  auto start = [](int kind, float scale) {
    if (kind == 0) return 0.0f;
    const float r = Draw01();
    return (kind == 1 ? 2.0f * r - 1.0f : r) * scale;
  };
  for (const Start& s : kStarts) {
    jointTables[JOINT_RATE1][s.node] = start(s.kind1, s.scale1);
    jointTables[JOINT_RATE2][s.node] = start(s.kind2, s.scale2);
  }
}

void Rider::PoseLimb(int i, const Matrix4& parent, Matrix4* out, bool flailing) {
  const float dt = g_FrameTime;
  if (i == 6) {
    jointTurned[6] = jointCrash[6];
  } else {
    for (int j = 0; j < 2; ++j) {
      float& angle = jointTables[JOINT_ANGLE1 + j][i];
      float& rate = jointTables[JOINT_RATE1 + j][i];
      const float low = jointTables[j == 0 ? JOINT_LOW1 : JOINT_LOW2][i];
      const float high = jointTables[j == 0 ? JOINT_HIGH1 : JOINT_HIGH2][i];
      float kick = 0.0f;
      if (flailing) {
        kick = (2.0f * Draw01() - 1.0f) * physics.crashBodyLoad * 0.02f;
        if (Draw01() < 0.01f) kick += (2.0f * Draw01() - 1.0f) * 100.0f;
      }
      rate += (kick - (5.0f * angle + rate)) * dt;
      rate = Clamp(rate, -2.0f * kPi, 2.0f * kPi);
      angle += rate * dt;
      if (angle > high) {
        angle = high;
        if (rate > 0.0f) rate *= -0.5f;
      } else if (angle < low) {
        angle = low;
        if (rate < 0.0f) rate *= -0.5f;
      }
    }
    jointTurned[i] = Multiply(
        Multiply(RotationY(jointTables[JOINT_ANGLE1][i]), RotationZ(jointTables[JOINT_ANGLE2][i])), jointCrash[i]);
  }
  const Matrix4 chain = Multiply(Multiply(jointTurned[i], jointRelative[i]), parent);
  nodeWorld[i] = Multiply(Multiply(InvertRigidMatrix(jointRest[i]), chain), physics.crashBodyMatrix);
  if (out) *out = chain;
}

void Rider::PoseFallen() {
  if (nodeCount < 11 || nodeWorld.size() < 11 || !jointRest || !jointCrash || !jointTurned || !jointRelative) return;
  for (auto& table : jointTables) {
    if (!table) return;
  }
  const std::uint32_t side = physics.lyingSide;
  Matrix4 c6;
  Matrix4 c5;
  Matrix4 c;
  PoseLimb(6, g_IdentityMatrix, &c6, false);
  PoseLimb(5, c6, &c5, side == 1 || side == 2);
  PoseLimb(0, c5, nullptr, side == 1 || side == 2);
  PoseLimb(1, c5, &c, side == 2);
  PoseLimb(2, c, nullptr, side == 2);
  PoseLimb(3, c5, &c, side == 1);
  PoseLimb(4, c, nullptr, side == 1);
  PoseLimb(7, c6, &c, side == 3);
  PoseLimb(8, c, nullptr, side == 3);
  PoseLimb(9, c6, &c, side == 4);
  PoseLimb(10, c, nullptr, side == 4);
}
