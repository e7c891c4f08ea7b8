#include "world/dirt_particle.h"

#include <cmath>

#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "world/effects_internal.h"
#include "world/track.h"

using world_effects::Random01;

DirtParticle::DirtParticle() {
  const float s = 0.07f * Random01() - 0.02f + 0.1f;
  // On a circle of radius s at 330, 90 and 210 degrees.
  triangle[0] = Vector3(s * 0.8660254f, s * -0.5f, 0.0f);
  triangle[1] = Vector3(0.0f, s, 0.0f);
  triangle[2] = Vector3(s * -0.8660254f, s * -0.5f, 0.0f);
  const float uv[3][2] = {{0.0546875f, 0.484375f}, {0.16796875f, 0.25390625f}, {0.28125f, 0.484375f}};
  for (int i = 0; i < 6; ++i) corners[i] = VertexAttribute{0xFFFFFFFFu, uv[i % 3][0], uv[i % 3][1]};
}

bool DirtParticle::Load(const char* textureName) {
  if (!world_effects::LoadTexture(textureName, &texture, 8)) return false;
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    for (VertexAttribute& c : corners) {
      c.u = c.u * g_TextureManager.sScale[texture];
      c.v = c.v * g_TextureManager.tScale[texture];
    }
  }
  return true;
}

void DirtParticle::Spawn(Vector3 p, Vector3 d) {
  if (!(age > 1.0f)) return;
  matrix = g_IdentityMatrix;
  age = 0.0f;
  position = p;
  matrix.m[12] = p.x;
  matrix.m[13] = p.y;
  matrix.m[14] = p.z;
  orientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  const float k = (1.0f + Random01()) * 20.0f;
  velocity = Vector3(k * d.x * 0.2777778f, k * d.y * 0.2777778f, k * d.z * 0.2777778f);
  const float ax = 2.0f * Random01() - 1.0f;
  const float ay = 2.0f * Random01() - 1.0f;
  const float az = 2.0f * Random01() - 1.0f;
  Vector3 a(ax, ay, az);
  const float al = std::sqrt(LengthSquared(a));
  // Three draws of exactly one half give no axis: such a clod does not spin.
  a = al > 0.0f ? a / al : Vector3(0.0f, 0.0f, 0.0f);
  spin = (Random01() * 25.132742f) * a;
  const float rate = std::sqrt(LengthSquared(spin));
  halfSpinRate = 0.5f * rate;
  spinAxis = rate > 0.0f ? spin / rate : Vector3(0.0f, 0.0f, 0.0f);
}

bool DirtParticle::Update(unsigned, int) {
  if (age >= LIFETIME) {
    age = LIFETIME;
    return true;
  }
  const float dt = g_FrameTime;
  const float theta = dt * halfSpinRate;
  const float s = std::sin(theta);
  const Quaternion step(std::cos(theta), s * spinAxis.x, s * spinAxis.y, s * spinAxis.z);
  orientation = orientation * step;
  orientation.ToMatrix(&matrix);
  velocity.y = velocity.y - dt * 9.80665f;
  position = position + dt * velocity;
  matrix.m[12] = position.x;
  matrix.m[13] = position.y;
  matrix.m[14] = position.z;
  age = age + dt;
  return true;
}

bool DirtParticle::Draw() {
  if (age >= LIFETIME) return true;
  g_TextureManager.Select(texture);
  g_GeometryPipeline.objectMatrix = &matrix;
  const std::uint16_t sizes[1] = {3};
  g_GeometryPipeline.TransformMesh(1, triangle, sizes, corners, indices, 6, &output, &emitted, nullptr,
                                   Vector3(0.0f, 0.0f, 0.0f));
  if (emitted != 0 && emitted % 3 == 0) g_Renderer.DrawTriangles(emitted, output);
  return true;
}
