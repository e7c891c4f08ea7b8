#include "ui/panel.h"

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;
using ui_internal::SetFlatDepth;
using ui_internal::SnapForBuild;

namespace {

// The corner (0..3) of each of the six vertices.
constexpr int kCorner[6] = {0, 1, 2, 0, 2, 3};

}  // namespace

Panel::Panel() {
  for (ScreenVertex& vertex : vertices) SetFlatDepth(&vertex, z);
}

Panel::~Panel() = default;

void Panel::Edges(float* left, float* top, float* right, float* bottom) const {
  const float screenW = static_cast<float>(g_ScreenWidth);
  const float screenH = static_cast<float>(g_ScreenHeight);
  *top = yFromTop ? y : screenH - y - h;
  *left = xFromLeft ? x : screenW - x - w;
  *right = *left + w;
  *bottom = *top + h;
}

void Panel::PlaceCorners(float left, float top, float right, float bottom) {
  const float cx[4] = {left, right, right, left};
  const float cy[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 6; ++i) {
    vertices[i].x = cx[kCorner[i]];
    vertices[i].y = cy[kCorner[i]];
    SetFlatDepth(&vertices[i], z);
  }
}

void Panel::SetPosition(float px, float py, float pz) {
  x = px;
  y = py;
  z = pz;
  float l, t, r, b;
  Edges(&l, &t, &r, &b);
  PlaceCorners(l, t, r, b);
}

void Panel::SetScale(float pw, float ph, float pd) {
  w = pw;
  h = ph;
  depth = pd;
  float l, t, r, b;
  Edges(&l, &t, &r, &b);
  PlaceCorners(l, t, r, b);
}

void Panel::SetAnchors(std::uint8_t top, std::uint8_t left) {
  yFromTop = top;
  xFromLeft = left;
  float l, t, r, b;
  Edges(&l, &t, &r, &b);
  PlaceCorners(l, t, r, b);
}

void Panel::UpdateVertices() {
  float l, t, r, b;
  Edges(&l, &t, &r, &b);
  PlaceCorners(SnapForBuild(l), SnapForBuild(t), SnapForBuild(r), SnapForBuild(b));
  // Kept: the rebuild packs the colour unscaled by the alpha.
  const std::uint32_t packed = PackColour(alpha, colourR, colourG, colourB);
  const float s = g_TextureManager.sScale[texture];
  const float tt = g_TextureManager.tScale[texture];
  for (int i = 0; i < 6; ++i) {
    vertices[i].colour = packed;
    vertices[i].s = u[kCorner[i]] * s;
    vertices[i].t = v[kCorner[i]] * tt;
  }
}

void Panel::Repack() {
  // Glide blends by colour, so the fade scales it; Direct3D fades by A only.
  const std::uint32_t packed = g_RenderBuild == RENDER_BUILD_DIRECT3D
                                   ? PackColour(alpha, colourR, colourG, colourB)
                                   : PackColour(alpha, colourR * alpha, colourG * alpha, colourB * alpha);
  for (ScreenVertex& vertex : vertices) vertex.colour = packed;
}

void Panel::SetColour(float r, float g, float b) {
  colourR = r;
  colourG = g;
  colourB = b;
  Repack();
}

void Panel::SetUvs(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3) {
  const float us[4] = {u0, u1, u2, u3};
  const float vs[4] = {v0, v1, v2, v3};
  for (int i = 0; i < 4; ++i) {
    u[i] = us[i];
    v[i] = vs[i];
  }
  const float s = g_TextureManager.sScale[texture];
  const float t = g_TextureManager.tScale[texture];
  for (int i = 0; i < 6; ++i) {
    vertices[i].s = u[kCorner[i]] * s;
    vertices[i].t = v[kCorner[i]] * t;
  }
}

bool Panel::SetTextureName(const char* name) {
  ui_internal::CopyTruncated(textureOverride, sizeof textureOverride, name);
  return true;
}

void Panel::FreeTexture() {
  if (texture != 0) g_TextureManager.Free(texture);
  texture = 0;
}

bool Panel::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::PANEL_ERROR);
    return false;
  }
  const bool ok = LoadFromStream(&file);
  file.Close();
  return ok;
}

bool Panel::LoadFromStream(Stream* stream) {
  DataReader r(stream);
  std::uint8_t flags[3];
  char name[ui_internal::PATH_SIZE];
  if (!r.Bytes(flags, 3) || !r.String(name, ui_internal::PATH_SIZE)) {
    ReportError(ui_internal::PANEL_ERROR);
    return false;
  }
  yFromTop = flags[0];
  xFromLeft = flags[1];
  blend = flags[2];
  // Practice and qualifying show the other variant of the race plate.
  if ((g_RaceType == 1 || g_RaceType == 2) && ui_internal::SameTextIgnoringCase(name, "DATA\\TRACK\\_OSTXT4.TEX"))
    SetTextureName("DATA\\TRACK\\_OSTXT41.TEX");
  char loadName[ui_internal::PATH_SIZE];
  ui_internal::CopyTruncated(loadName, sizeof loadName, textureOverride[0] ? textureOverride : name);
  if (!g_TextureManager.Load(loadName, &texture, 8)) return false;

  float values[16];
  bool ok = true;
  for (float& value : values) ok = ok && r.F32(&value);
  if (!ok) {
    ReportError(ui_internal::PANEL_ERROR);
    return false;
  }
  SetPosition(values[0], values[1], values[2]);
  SetScale(values[3], values[4], 1.0f);
  colourR = values[5];
  colourG = values[6];
  colourB = values[7];
  for (int i = 0; i < 4; ++i) {
    u[i] = values[8 + 2 * i];
    v[i] = values[9 + 2 * i];
  }
  UpdateVertices();
  return true;
}

void Panel::StartFade(float target, unsigned ms, void (*callback)()) {
  fadeDuration = ms;
  fadeElapsed = 0;
  fadeTarget = target;
  fadeCallback = callback;
  blend = 1;
  fadeStep = target - alpha;
}

bool Panel::Update(unsigned ms, int) {
  fadeElapsed = ms > UINT32_MAX - fadeElapsed ? UINT32_MAX : fadeElapsed + ms;
  if (fadeElapsed < fadeDuration) {
    alpha = fadeTarget +
            (static_cast<float>(fadeElapsed) / static_cast<float>(fadeDuration) - 1.0f) * fadeStep;
    Repack();
    return true;
  }
  fadeElapsed = fadeDuration;
  if (fadeCallback) {
    void (*callback)() = fadeCallback;
    fadeCallback = nullptr;
    callback();
  }
  return true;
}

void Panel::SetAlpha(float a) {
  fadeElapsed = 0;
  fadeDuration = 0;
  blend = 1;
  fadeTarget = a;
  if (a != alpha) {
    alpha = a;
    Repack();
  }
}

bool Panel::Draw() {
  g_TextureManager.Select(texture);
  g_Renderer.SetAlphaBlendEnable(blend != 0);
  g_Renderer.DrawTriangles(vertexCount, vertices);
  return true;
}
