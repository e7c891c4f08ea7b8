#include "riders/reflection_overlay.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/data_reader.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/texture_manager.h"

namespace {

const char kTextureFile[] = "DATA\\TRACK\\_08REF.TEX";

}  // namespace

float ReflectionUOffset(const Matrix4& m, const Vector3& l, float sScale) {
  const float x = m.m[0] * l.x + m.m[1] * l.y + m.m[2] * l.z;
  const float z = m.m[8] * l.x + m.m[9] * l.y + m.m[10] * l.z;
  return std::atan2(x, z) / 6.2831855f * sScale;
}

ReflectionOverlay::ReflectionOverlay() { placement = g_IdentityMatrix; }

ReflectionOverlay::~ReflectionOverlay() = default;

bool ReflectionOverlay::Load(const char*) { return false; }

bool ReflectionOverlay::Load(DataReader* r) {
  char name[sizeof(kTextureFile)];
  std::copy(std::begin(kTextureFile), std::end(kTextureFile), name);
  if (!g_TextureManager.Load(name, &texture, g_TextureSizeClasses[0])) return false;
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    mesh.sScale = g_TextureManager.sScale[texture];
    mesh.tScale = g_TextureManager.tScale[texture];
  }
  return mesh.Load(r->stream(), false, false);
}

bool ReflectionOverlay::Update(unsigned, int) { return true; }

void ReflectionOverlay::Place(const Matrix4& m) {
  placement = m;
  // The other build does not scale texture coordinates.
  const float s = g_RenderBuild == RENDER_BUILD_GLIDE ? g_TextureManager.sScale[texture] : 1.0f;
  uOffset = ReflectionUOffset(m, g_LightDirection, s);
}

bool ReflectionOverlay::Draw() {
  g_TextureManager.Select(texture);
  g_GeometryPipeline.objectMatrix = &placement;
  mesh.scrollU = uOffset;
  mesh.scrollV = vOffset;
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE);
  g_Renderer.SetDepthBias(4);
  mesh.Draw();
  g_Renderer.SetDepthBias(0);
  g_Renderer.SetAlphaBlendEnable(false);
  return true;
}
