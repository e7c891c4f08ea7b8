// The forces on the chassis point and the two tyre contacts: gravity, ground
// springs, impacts, tyre grip, drive, collisions, the fallen rider's pull
// and the track borders, with the wear they do to the wheels.
#include <cmath>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

struct Contact {
  ContactPoint* point;
  TrackSurface surface;
  Vector3 n;
};

}  // namespace

void Rider::ComputeGroundForces(Vector3* chassisOut, Vector3* frontOut, Vector3* rearOut) {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float M = p.totalMass[k];
  const float I = p.inertia[k];
  const float dt = g_FrameTime;
  const float L = static_cast<float>(g_RaceLengthMinutes);
  const bool damage = g_OptionDamages != 0;
  float& wheels = g_ConditionWheels[Slot(*this)];
  const float suspension = g_ConditionSuspension[Slot(*this)];
  const Vector3 right = Row(p.axes, 0);
  const Vector3 up = Row(p.axes, 1);
  const Vector3 forward = Row(p.axes, 2);

  p.rearLoad = p.frontLoad = p.chassisLoad = 0.0f;
  p.chassisBorderImpulse = p.frontBorderImpulse = p.rearBorderImpulse = 0.0f;
  p.rearGrip = p.frontGrip = 1.0f;
  const bool use = p.onTrack != 0;
  Contact chassis{
      &p.chassisPoint, Surface(*this, p.position, p.chassisPoint.sectionHint, p.chassisPoint.triangleHint, use), {}};
  Contact front{
      &p.frontWheel, Surface(*this, p.position, p.frontWheel.sectionHint, p.frontWheel.triangleHint, use), {}};
  Contact rear{&p.rearWheel, Surface(*this, p.position, p.rearWheel.sectionHint, p.rearWheel.triangleHint, use), {}};
  for (Contact* c : {&chassis, &front, &rear}) c->n = Normal(c->surface);

  auto inverseMass = [&](const ContactPoint& c, const Vector3& n) {
    return 1.0f / M + LengthSquared(Cross(c.world - p.position, n)) / I;
  };
  auto sideFactor = [&] { return dt <= 0.04f ? 20.0f : 20.0f - (dt - 0.04f) * 500.0f; };
  auto tyreStiffness = [&] {
    const float f = 1.0f / dt;
    return f >= 20.0f ? 8000.0f : (f - 10.0f) * 400.0f + 4000.0f;
  };
  auto tangential = [](const Vector3& v, const Vector3& n) { return v - Dot(n, v) * n; };
  bool borderContact = false;
  // The border push on one contact point; false once the bike flies over.
  auto border = [&](Contact& c, float* impulse, Vector3* out) {
    if (!p.onTrack || !track) return;
    ContactPoint& point = *c.point;
    Vector3 b;
    float depth = 0.0f;
    ++p.groundQueries;
    if (track->TestBorders(point.sectionHint, &b, point.world, &depth)) return;
    const float vb = Dot(b, point.velocity);
    if (p.rearWheel.world.y < p.rearWheel.groundHeight + 1.2f || vb > -1.5f) {
      borderContact = true;
      if (vb < 0.0f) {
        const Vector3 push = depth * b;
        PushBody(push);
        const float j = -0.5f * vb / (inverseMass(point, b) * dt);
        *impulse = j;
        if (damage && j > 200.0f / dt) Wear(&wheels, j * dt / ((L + 3.0f) * 50000.0f));
        *out = *out + j * b;
      }
    } else {
      p.onTrack = 0;
    }
  };
  auto collision = [&](Vector3* force, const Vector3& n, Vector3* out) {
    if (p.contactCount > 0) *force -= Dot(*force, n) * n;
    *out = *out + *force;
  };
  auto restitution = [&](int value) {
    const float bounce = suspension <= 0.3f ? 0.2f - 0.5f * suspension : 0.05f - (suspension - 0.3f) * 0.071428575f;
    return Setup(*this, value) * 0.1f + bounce;
  };

  // Chassis point.
  Vector3 Nc(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& c = p.chassisPoint;
    const Vector3& n = chassis.n;
    const Vector3 v = c.velocity;
    chassisOut->y -= c.mass[k] * kGravity;
    if (c.world.y <= c.groundHeight + 0.2f) {
      const float f = 1.0f / dt;
      const float K = f >= 20.0f ? 10000.0f : (f - 10.0f) * 500.0f + 5000.0f;
      const float s = K * ((c.groundHeight + 0.1f) - c.world.y) * n.y - 100.0f * Dot(n, v);
      Nc = s * n;
      *chassisOut -= (5.0f * c.mass[k]) * tangential(v, n);
      if (Dot(n, v) < 0.0f) {
        const float j = -Dot(n, v) / (inverseMass(c, n) * dt);
        p.chassisLoad = j;
        if (damage) Wear(&wheels, j * dt / ((L + 3.0f) * 20000.0f));
        *chassisOut = *chassisOut + j * n;
      }
    }
    border(chassis, &p.chassisBorderImpulse, chassisOut);
    collision(&p.chassisCollision, n, chassisOut);
    if (p.crashed && p.crashTime < 0.5f) {
      *chassisOut = *chassisOut + (p.crashBodyMass * 10.0f) * Unit(p.crashBodyPoint - c.world);
    }
  }

  const Vector3 frontAxle = MatrixRow(partPoses[1], 0);
  const Vector3 rearAxle = MatrixRow(partPoses[7], 0);
  const float c = sideFactor();

  // Front contact.
  Vector3 Nf(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& f = p.frontWheel;
    const Vector3& n = front.n;
    const Vector3 v = f.velocity;
    frontOut->y -= f.mass[k] * kGravity;
    if (f.world.y <= f.groundHeight + 0.1f) {
      if (f.world.y <= f.groundHeight)
        Nf = (tyreStiffness() * (f.groundHeight - f.world.y) * n.y - 100.0f * Dot(n, v)) * n;
      const Vector3 a = Unit(frontAxle - Dot(frontAxle, n) * n);
      const Vector3 u = p.crashed ? tangential(v, n) : Dot(a, v) * a;
      p.frontGrip = 1.0f - std::fabs(Dot(a, p.rearWheel.velocity)) * 0.072f;
      if (p.frontGrip < 0.05f || (p.crashed && p.contactCount < 3)) p.frontGrip = 0.05f;
      *frontOut = *frontOut + (c * p.frontGrip * -50.0f) * u;
    }
    if (g_OptionManualShift && index == 0 && p.gear >= 1 && p.shiftInput == 1.0f && !p.clutchIn) {
      const float* g = p.gearSpin[k];
      const int gear = p.gear > 6 ? 6 : p.gear;
      const float x = g[gear] * p.throttle;
      float w = p.forwardSpeed / p.wheelRadius;
      if (w < 0.0f) w = 0.0f;
      if (w < x) {
        float lift = 0.0f;
        if (gear == 1) {
          lift = g[1] - g[0] != 0.0f ? (x - w) * 200.0f / (g[1] - g[0]) : 0.0f;
        } else if (gear == 2) {
          if (w >= g[1]) {
            lift = g[2] != g[1] ? (x - w) * 200.0f / (g[2] - g[1]) : 0.0f;
          } else {
            lift = g[1] == 0.0f ? 150.0f : w * 100.0f / g[1] + 100.0f;
          }
        } else if (gear == 3) {
          if (w >= g[2]) {
            lift = g[3] != g[2] ? (x - w) * 150.0f / (g[3] - g[2]) : 0.0f;
          } else {
            lift = g[2] == 0.0f ? 100.0f : w * 100.0f / g[2] + 50.0f;
          }
        }
        *frontOut = *frontOut + (lift / dt) * up;
      }
    }
    if (f.world.y <= f.groundHeight + 0.1f && Dot(n, v) < 0.0f) {
      const Vector3 m = p.crashed ? Unit(n + (0.5f * p.handlebarAngle) * right) : n;
      const float e = p.crashed ? 0.0f : restitution(16);
      p.restitution = e;
      const float j = -(e + 1.0f) * Dot(n, v) / (inverseMass(f, m) * dt);
      p.frontLoad = j;
      if (p.crashed && damage) Wear(&wheels, j * dt / ((L + 3.0f) * 20000.0f));
      *frontOut = *frontOut + j * m;
    }
    border(front, &p.frontBorderImpulse, frontOut);
    collision(&p.frontCollision, n, frontOut);
  }

  // Rear contact.
  Vector3 Nr(0.0f, 0.0f, 0.0f);
  {
    ContactPoint& r = p.rearWheel;
    const Vector3& n = rear.n;
    const Vector3 v = r.velocity;
    rearOut->y -= r.mass[k] * kGravity;
    if (r.world.y <= r.groundHeight + 0.5f) {
      if (r.world.y <= r.groundHeight)
        Nr = (tyreStiffness() * (r.groundHeight - r.world.y) * n.y - 100.0f * Dot(n, v)) * n;
      const Vector3 l = Unit(Cross(forward, n));
      const Vector3 u = p.crashed ? tangential(v, n) : Dot(l, v) * l;
      const float speed = std::fabs(p.forwardSpeed);
      const float base =
          (p.gear < 1 || p.clutchIn) ? speed * 0.026470587f + 1.0f : (1.0f - 0.99f * p.throttle) + speed * 0.026470587f;
      const float lean = std::fabs(p.lean);
      const float leanFactor = lean >= 0.5235988f ? 1.0f - (lean - 0.5235988f) * 1.1459156f : 1.0f;
      const float s3 = Setup(*this, 3);
      const float surface = weather == 1 ? (s3 + 1.0f) * 0.5f : s3 * 0.20000005f + 0.9f;
      p.rearGrip = Clamp(base * leanFactor * surface, 0.05f, 1.0f);
      if (p.crashed && p.contactCount < 3) p.rearGrip = 0.5f;
      *rearOut = *rearOut + (c * p.rearGrip * -50.0f) * u;
    }
    if (r.world.y <= r.groundHeight + 0.1f && !p.crashed) {
      const Vector3 a = rearAxle;
      Vector3 t = forward - Dot(forward, a) * a;
      t = Unit(t - Dot(t, n) * n);
      const float s3 = Setup(*this, 3);
      float q = s3 < 0.5f ? 1.0f : 1.0f - (s3 - 0.5f) * 0.39999998f;
      if (rear.surface.kind != 0) q *= 0.8f;
      const Vector3 D = (p.driveForce * (1.0f - std::fabs(Dot(a, forward))) * q) * t;
      *rearOut = *rearOut + D;
      if (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.1f && p.driveForce > 0.0f) {
        const Vector3 af = Unit(frontAxle - Dot(frontAxle, front.n) * front.n);
        *frontOut -= Dot(D, af) * af;
      }
    }
    if (r.world.y <= r.groundHeight + 0.1f && Dot(n, v) < 0.0f) {
      const float e = p.crashed ? 0.0f : restitution(17);
      p.restitution = e;
      const float j = -(e + 1.0f) * Dot(n, v) / (inverseMass(r, n) * dt);
      p.rearLoad = j;
      if (p.crashed && damage) Wear(&wheels, j * dt / ((L + 3.0f) * 20000.0f));
      *rearOut = *rearOut + j * n;
    }
    border(rear, &p.rearBorderImpulse, rearOut);
    collision(&p.rearCollision, n, rearOut);
  }

  if (p.frontWheel.world.y <= p.frontWheel.groundHeight + 0.2f &&
      p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.2f) {
    *frontOut -= 300.0f * front.n;
    *rearOut -= 300.0f * rear.n;
  }

  const float lc = Length(Nc);
  if (lc > 2000.0f) Nc = (2000.0f / lc) * Nc;
  const float lt = Length(Nf) + Length(Nr);
  if (lt > 6000.0f) {
    const float s = 6000.0f / lt;
    Nf = s * Nf;
    Nr = s * Nr;
  }
  *chassisOut = *chassisOut + Nc;
  *frontOut = *frontOut + Nf;
  *rearOut = *rearOut + Nr;

  if (borderContact && damage) {
    p.borderTime += dt;
    if (p.borderTime > 0.5f && std::fabs(p.forwardSpeed) > 2.777778f) Wear(&wheels, dt * 0.1f);
  } else {
    p.borderTime = 0.0f;
  }
}
