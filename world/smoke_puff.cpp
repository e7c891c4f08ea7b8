#include "world/smoke_puff.h"

#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "world/effects_internal.h"
#include "world/track.h"

namespace {

// v of the six corners in the strip's second row (flag 0) and first row.
constexpr float kRow2[6] = {0.25f, 0.125f, 0.125f, 0.25f, 0.125f, 0.25f};
constexpr float kRow1[6] = {0.125f, 0.0f, 0.0f, 0.125f, 0.0f, 0.125f};
// Which corners take the high u.
constexpr bool kHighU[6] = {false, false, true, false, true, true};

bool GlideScales() { return g_RenderBuild == RENDER_BUILD_GLIDE; }

}  // namespace

SmokePuff::SmokePuff() {
  quad[0] = Vector3(-0.5f, -0.5f, 0.0f);
  quad[1] = Vector3(-0.5f, 0.5f, 0.0f);
  quad[2] = Vector3(0.5f, 0.5f, 0.0f);
  quad[3] = Vector3(0.5f, -0.5f, 0.0f);
  const std::uint8_t greys[6] = {51, 76, 25, 51, 76, 51};
  for (int i = 0; i < 6; ++i) {
    const std::uint32_t g = greys[i];
    corners[i].colour = 0xFF000000u | g << 16 | g << 8 | g;
    corners[i].u = kHighU[i] ? 0.125f : 0.0f;
    corners[i].v = kRow2[i];
  }
}

void SmokePuff::SetMatrix(const Matrix4* m) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) matrix.m[i * 4 + j] = m->m[j * 4 + i];
  }
}

bool SmokePuff::Load(const char* textureName) {
  if (!world_effects::LoadTexture(textureName, &texture, 8)) return false;
  if (GlideScales()) {
    for (VertexAttribute& c : corners) c.v = c.v * g_TextureManager.tScale[texture];
  }
  return true;
}

void SmokePuff::SetColour(float r, float g, float b) {
  red = r;
  green = g;
  blue = b;
  const std::uint32_t c = PackColour(1.0f, r, g, b);
  for (VertexAttribute& a : corners) a.colour = c;
}

void SmokePuff::SetLifetime(float seconds) { lifetime = seconds > 0.0f ? seconds : 0.01f; }

void SmokePuff::UpdateFrame() {
  const float lo = static_cast<float>(frame - 1) * 0.125f;
  const float hi = static_cast<float>(frame) * 0.125f;
  const bool glide = GlideScales();
  if (age == 0.0f) {
    const float* row = rowFlag != 0 ? kRow1 : kRow2;
    for (int i = 0; i < 6; ++i) corners[i].v = glide ? row[i] * g_TextureManager.tScale[texture] : row[i];
  }
  for (int i = 0; i < 6; ++i) {
    const float u = kHighU[i] ? hi : lo;
    corners[i].u = glide ? u * g_TextureManager.sScale[texture] : u;
  }
}

bool SmokePuff::Update(unsigned, int) {
  if (age >= lifetime) {
    age = DEAD;
    frame = 1;
    UpdateFrame();
    return true;
  }
  const float dt = g_FrameTime;
  matrix.m[12] = matrix.m[12] + velocity.x * dt;
  matrix.m[13] = matrix.m[13] + velocity.y * dt;
  matrix.m[14] = matrix.m[14] + velocity.z * dt;
  const float e = 1.0f - age / lifetime;
  const std::uint32_t colour = PackColour(1.0f, e * red, e * green, e * blue);
  for (VertexAttribute& a : corners) a.colour = colour;
  if (lifetime * 0.125f * static_cast<float>(frame) < age) {
    frame = frame + 1;
    UpdateFrame();
  }
  age = age + dt;
  return true;
}

bool SmokePuff::Draw() {
  if (age >= DEAD) return true;
  g_TextureManager.Select(texture);
  g_GeometryPipeline.objectMatrix = &matrix;
  const std::uint16_t sizes[1] = {4};
  g_GeometryPipeline.TransformMesh(1, quad, sizes, corners, indices, 6, &output, &emitted, nullptr,
                                   Vector3(0.0f, 0.0f, 0.0f));
  if (emitted != 0 && emitted % 3 == 0) g_Renderer.DrawTriangles(emitted, output);
  return true;
}
