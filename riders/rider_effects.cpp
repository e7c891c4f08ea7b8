// When and where a rider restarts the members of its dust, smoke and dirt
// rings, and their draws.
#include <cmath>

#include "engine/camera.h"
#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "riders/rider.h"
#include "world/track.h"

namespace {

constexpr int RING_DUST = 0;
constexpr int RING_ENGINE = 1;
constexpr int RING_EXHAUST = 2;
constexpr int RING_DIRT = 3;
constexpr float kDegrees = 0.017453292f;

float Rand() { return static_cast<float>(crt::rand()) / 32767.0f; }

bool NearGround(const ContactPoint& c) { return c.world.y - c.groundHeight <= 0.1f; }

void Restart(SmokePuff* puff, Vector3 at, float age, Vector3 velocity) {
  puff->matrix.m[12] = at.x;
  puff->matrix.m[13] = at.y;
  puff->matrix.m[14] = at.z;
  puff->age = age;
  puff->frame = 1;
  puff->UpdateFrame();
  puff->velocity = velocity;
}

Vector3 Normalised(Vector3 v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return len > 0.0f ? Vector3(v.x / len, v.y / len, v.z / len) : v;
}

}  // namespace

// The next member of a ring; the counter wraps from the last to the first.
template <typename T, int N>
static T* Next(T (&ring)[N], std::uint16_t* counter) {
  T* member = &ring[*counter % N];
  *counter = static_cast<std::uint16_t>((*counter + 1) % N);
  return member;
}

void Rider::EmitGroundDust() {
  const RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  auto dust = [&](const ContactPoint& c, float spreadUp, float lifetime, bool behind) {
    SmokePuff* puff = Next(groundDust, &ringNext[RING_DUST]);
    const float fx = behind ? 0.5f * p.axes[2][0] + 0.15f : 0.0f;
    const float fz = behind ? 0.5f * p.axes[2][2] + 0.15f : 0.0f;
    const float x = c.world.x + Rand() * 0.3f - fx;
    const float y = c.world.y + 0.5f;
    const float z = c.world.z + Rand() * 0.3f - fz;
    const float vx = Rand() + 0.1f * c.velocity.x - 0.5f;
    const float vy = Rand() * spreadUp + 0.1f * c.velocity.y;
    const float vz = Rand() + 0.1f * c.velocity.z - 0.5f;
    Restart(puff, Vector3(x, y, z), 0.0f, Vector3(vx, vy, vz));
    puff->SetLifetime(lifetime);
  };
  if (!p.crashed) {
    if (NearGround(p.rearWheel) &&
        ((p.throttle > 0.8f && p.gear > 0 && !p.clutchIn) || p.rearLoad > 100.0f / dt)) {
      dust(p.rearWheel, 0.7f, 2.5f, true);
    }
    if (NearGround(p.frontWheel) && p.frontLoad > 30.0f / dt) dust(p.frontWheel, 0.7f, 2.5f, true);
    return;
  }
  if (p.rearLoad > 20.0f / dt) dust(p.rearWheel, 0.4f, 2.0f, false);
  if (p.frontLoad > 20.0f / dt) dust(p.frontWheel, 0.4f, 2.0f, false);
  if (p.chassisLoad > 20.0f / dt) dust(p.chassisPoint, 0.4f, 2.0f, false);
  if (p.crashBodyLoad > 5.0f / dt) {
    ContactPoint body;
    body.world = p.crashBodyPoint;
    body.velocity = p.crashBodyVelocity;
    dust(body, 0.4f, 2.0f, false);
  }
}

void Rider::EmitEngineSmoke() {
  SmokePuff& next = engineSmoke[ringNext[RING_ENGINE] % ENGINE_SMOKE_COUNT];
  if (next.age < next.lifetime * 0.75f) return;
  const float c = g_ConditionEngine[index % RIDER_MAX];
  if (c >= 0.5f) return;
  Rand();  // drawn and discarded, kept so that the random sequence repeats
  if (Rand() >= 0.6f - 0.8f * c) return;
  const ContactPoint& ch = physics.chassisPoint;
  SmokePuff* puff = Next(engineSmoke, &ringNext[RING_ENGINE]);
  const float x = ch.world.x + Rand() * 0.2f - 0.1f;
  const float z = ch.world.z + Rand() * 0.2f - 0.1f;
  const float vx = Rand() + 0.1f * ch.velocity.x - 0.5f;
  const float vy = Rand() + 0.1f * ch.velocity.y + 1.0f;
  const float vz = Rand() + 0.1f * ch.velocity.z - 0.5f;
  Restart(puff, Vector3(x, ch.world.y, z), 0.0f, Vector3(vx, vy, vz));
}

void Rider::EmitExhaustSmoke() {
  const RiderPhysics& p = physics;
  if (Rand() >= g_FrameTime * p.throttle * 20.0f) return;
  const float* f = partPoses[11].m;
  Vector3 e(f[12] + 0.0746f * f[0] + 0.6f * f[4] - 0.8f * f[8], f[13] + 0.0746f * f[1] + 0.6f * f[5] - 0.8f * f[9],
            f[14] + 0.0746f * f[2] + 0.6f * f[6] - 0.8f * f[10]);
  const Vector3 v = p.chassisPoint.velocity;
  // At rest there is no direction to space the puffs along: all at e.
  const Vector3 d = Normalised(v);
  for (int i = 0; i < 5; ++i) {
    SmokePuff* puff = Next(exhaustSmoke, &ringNext[RING_EXHAUST]);
    const float age = Rand() * 0.2f;
    const float vx = Rand() + 0.1f * v.x - 0.5f;
    const float vy = Rand() * 0.4f + 0.1f * v.y;
    const float vz = Rand() + 0.1f * v.z - 0.5f;
    Restart(puff, e, age, Vector3(vx, vy, vz));
    puff->SetLifetime(0.2f);
    const float step = 0.01f * p.forwardSpeed;
    e = Vector3(e.x + step * d.x, e.y + step * d.y, e.z + step * d.z);
  }
}

void Rider::EmitDirt() {
  const RiderPhysics& p = physics;
  const WheelContact& rear = p.rearWheel;
  if (p.crashed || !NearGround(rear) || !(rear.spinRate > 0.0f) || p.brake >= 0.5f) return;
  float s = std::fabs(p.wheelRadius * rear.spinRate - std::fabs(p.forwardSpeed)) * 0.36f;
  s = s < 1.0f ? s : 1.0f;
  int k = static_cast<int>(g_FrameTime * s * 100.0f);
  if (weather == 1) k *= 2;
  k = k < DIRT_COUNT ? k : DIRT_COUNT;
  if (k <= 0) return;

  Vector3 n(0.0f, 1.0f, 0.0f);
  if (track) {
    TrackSurface surface;
    track->GetSurface(&surface, &p.position, rear.sectionHint, rear.triangleHint, p.onTrack != 0);
    n = Vector3(surface.nx, surface.ny, surface.nz);
  }
  Vector3 b(-p.axes[2][0], -p.axes[2][1], -p.axes[2][2]);
  const float along = b.x * n.x + b.y * n.y + b.z * n.z;
  b = Normalised(Vector3(b.x - along * n.x, b.y - along * n.y, b.z - along * n.z));
  const Vector3 base(rear.world.x + 0.2f * b.x, rear.groundHeight - 0.2f + 0.2f * b.y, rear.world.z + 0.2f * b.z);
  for (int i = 0; i < k; ++i) {
    const float a = (45.0f - Rand() * 20.0f - s * 20.0f) * kDegrees;
    const float sa = std::sin(a);
    const float ca = std::cos(a);
    const float side = Rand() - 0.5f;
    const float up = (Rand() + 1.0f) * 0.5f;
    Vector3 u(sa * n.x + ca * b.x + side * p.axes[0][0] + up * p.axes[1][0],
              sa * n.y + ca * b.y + side * p.axes[0][1] + up * p.axes[1][1],
              sa * n.z + ca * b.z + side * p.axes[0][2] + up * p.axes[1][2]);
    u = Normalised(u);
    Next(dirt, &ringNext[RING_DIRT])->Spawn(base, Vector3(s * u.x, s * u.y, s * u.z));
  }
}

bool Rider::DrawGroundDust() {
  std::uint8_t material = 0;
  if (track) {
    TrackSurface surface;
    track->GetSurface(&surface, &physics.rearWheel.world, physics.rearWheel.sectionHint,
                      physics.rearWheel.triangleHint, physics.onTrack != 0);
    material = surface.kind;
  }
  for (SmokePuff& puff : groundDust) {
    puff.rowFlag = material;
    puff.SetMatrix(&g_Camera.view);
    puff.Draw();
  }
  return true;
}

bool Rider::DrawEngineSmoke() {
  for (SmokePuff& puff : engineSmoke) {
    puff.rowFlag = 0;
    puff.SetMatrix(&g_Camera.view);
    puff.Draw();
  }
  return true;
}

bool Rider::DrawExhaustSmoke() {
  // A quarter of the others' size.
  Matrix4 m = g_Camera.view;
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 3; ++c) m.m[row * 4 + c] *= 0.25f;
  }
  for (SmokePuff& puff : exhaustSmoke) {
    puff.rowFlag = 0;
    puff.SetMatrix(&m);
    puff.Draw();
  }
  return true;
}

bool Rider::DrawDirt() {
  for (DirtParticle& d : dirt) d.Draw();
  return true;
}
