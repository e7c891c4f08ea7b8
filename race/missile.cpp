#include "race/missile.h"

#include <cmath>

#include "engine/camera.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "world/track.h"

namespace {

constexpr float kSpeed = 33.333336f;  // m/s
constexpr float kTurn = 30.0f;        // m/s²

float Length(const Vector3& v) { return std::sqrt(LengthSquared(v)); }

float Draw01() { return static_cast<float>(crt::rand()) / 32767.0f; }

}  // namespace

Missile::Missile() {
  target = static_cast<std::uint8_t>(g_RiderCount + 1);
  vertices[0] = Vector3(-0.1f, 0.0f, 0.0f);
  vertices[1] = Vector3(0.0f, 0.0f, 0.2f);
  vertices[2] = Vector3(0.1f, 0.0f, 0.0f);
  vertices[3] = Vector3(0.0f, 0.1f, 0.0f);
  vertices[4] = Vector3(0.0f, 0.0f, 0.2f);
  vertices[5] = Vector3(0.0f, -0.1f, 0.0f);
  for (int k = 0; k < 12; ++k) corners[k] = {k < 6 ? 0xFFFF0000u : 0xFF990000u, 0.0f, 0.0f};
}

Missile::~Missile() = default;

bool Missile::Load(const char* effectsTexture) {
  for (SmokePuff& puff : trail) {
    if (!puff.Load(effectsTexture)) return false;
    puff.SetColour(1.0f, 1.0f, 1.0f);
    puff.SetLifetime(2.0f);
  }
  if (!flightSound.Load("SOUNDS\\SIDEWIND.SFX")) return false;
  if (!boomSound.Load("SOUNDS\\BOOM.SFX")) return false;
  boomSound.Enable3D(false);
  return true;
}

void Missile::Launch(const Vector3& from, const Vector3& v) {
  active = 1;
  position = from;
  velocity = v;
  DWORD status = 0;
  flightSound.GetStatus(&status);
  if (!(status & DSBSTATUS_PLAYING)) {
    flightSound.SetVolume(0);
    flightSound.Play(false);
  }
}

void Missile::Explode() {
  boomSound.SetVolume(0);
  boomSound.Play(false);
  target = static_cast<std::uint8_t>(g_RiderCount + 1);
  targetPosition = velocity = position = Vector3(0.0f, 0.0f, 0.0f);
  active = 0;
  matrix = g_IdentityMatrix;
  section = 0;
  groundTriangle = 6;
  flightSound.Stop();
}

bool Missile::Update(unsigned ms, int raceState) {
  for (SmokePuff& puff : trail) puff.Update(ms, raceState);
  if (!active) return true;
  const float dt = g_FrameTime;
  float ground = 0.0f;
  if (track) track->getheight(&position, &section, &groundTriangle, &ground, false);

  const Vector3 d = targetPosition - position;
  const float dl = Length(d);
  if (dl > 0.0f) {
    const Vector3 delta = (kSpeed / dl) * d - velocity;
    const float l = Length(delta);
    if (l > 1.0f) velocity = velocity + (kTurn * dt / l) * delta;
  }
  position = position + dt * velocity;
  if (ground + 1.0f >= position.y) position.y += (ground + 1.0f - position.y) * 10.0f * dt;

  const float vl = Length(velocity);
  const Vector3 f = vl > 0.0f ? velocity / vl : Vector3(0.0f, 0.0f, 1.0f);
  const Vector3 u = (f.x == 0.0f && f.y == 1.0f && f.z == 0.0f) ? Vector3(0.1f, 1.0f, 0.0f) : Vector3(0.0f, 1.0f, 0.0f);
  Vector3 up = u - Dot(f, u) * f;
  up = up / Length(up);
  const Vector3 right = Cross(up, f);
  const Vector3 rows[4] = {right, up, f, position};
  for (int r = 0; r < 4; ++r) {
    matrix.m[r * 4] = rows[r].x;
    matrix.m[r * 4 + 1] = rows[r].y;
    matrix.m[r * 4 + 2] = rows[r].z;
    matrix.m[r * 4 + 3] = r == 3 ? 1.0f : 0.0f;
  }
  EmitTrail();
  if (flightSound.is3D) flightSound.SetPosition(position.x, position.y, position.z);
  return true;
}

void Missile::EmitTrail() {
  SmokePuff& puff = trail[nextPuff];
  puff.SetPosition(position.x, position.y, position.z);
  puff.age = 0.0f;
  puff.frame = 1;
  const float r1 = Draw01();
  const float r2 = Draw01();
  const float r3 = Draw01();
  puff.velocity = Vector3(r1 - 0.5f + 0.1f * velocity.x, r2 + 1.0f + 0.1f * velocity.y, r3 - 0.5f + 0.1f * velocity.z);
  nextPuff = static_cast<std::uint16_t>((nextPuff + 1) % TRAIL_PUFFS);
}

bool Missile::Draw() {
  if (!active) return true;
  g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
  g_Renderer.SetAlphaTest(false);
  g_GeometryPipeline.objectMatrix = &matrix;
  const std::uint16_t sizes[1] = {6};
  g_GeometryPipeline.TransformMesh(1, vertices, sizes, corners, indices, 12, &output, &emitted, nullptr,
                                   Vector3(0.0f, 0.0f, 0.0f));
  if (emitted != 0 && emitted % 3 == 0) g_Renderer.DrawTriangles(emitted, output);
  return true;
}

bool Missile::DrawTrail() {
  for (SmokePuff& puff : trail) {
    puff.SetMatrix(&g_Camera.view);
    puff.Draw();
  }
  return true;
}
