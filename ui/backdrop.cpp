#include "ui/backdrop.h"

#include <cmath>
#include <cstring>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "ui/widget_io.h"

namespace {

constexpr float kPi = 3.14159265f;
// Far end of the depth range: Direct3D's depth, kept in the spare word by
// Glide.
constexpr float kFarDepth = 0.99999f;
// The band's v from the low point to the high point.
constexpr float kBandV = BACKDROP_BAND_BOTTOM_V - BACKDROP_BAND_TOP_V;

// q of every vertex: 1 in the Glide build; Direct3D's rhw of the far plane.
float FarRhw() { return g_RenderBuild == RENDER_BUILD_DIRECT3D ? 1.0f / g_Camera.farPlane : 1.0f; }

void SetCorners(ScreenVertex* quad, float left, float top, float right, float bottom) {
  const float xs[6] = {left, right, right, left, right, left};
  const float ys[6] = {top, top, bottom, top, bottom, bottom};
  const float q = FarRhw();
  for (int i = 0; i < 6; ++i) {
    quad[i].x = xs[i];
    quad[i].y = ys[i];
    quad[i].q = q;
  }
}

}  // namespace

Backdrop::Backdrop() { texture = 0; }

Backdrop::~Backdrop() = default;

bool Backdrop::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ui_internal::ReportError(ui_internal::BACKDROP_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint8_t flags[3];
  char name[ui_internal::PATH_SIZE];
  if (!r.Bytes(flags, 3) || !r.String(name, ui_internal::PATH_SIZE)) {
    ui_internal::ReportError(ui_internal::BACKDROP_ERROR);
    return false;
  }
  yFromTop = flags[0];
  xFromLeft = flags[1];
  blend = flags[2];
  if (!g_TextureManager.Load(name, &texture, g_TextureSizeClasses[SIZE_CLASS_SKY])) return false;
  float values[16];
  bool ok = true;
  for (float& value : values) ok = ok && r.F32(&value);
  file.Close();
  if (!ok) {
    ui_internal::ReportError(ui_internal::BACKDROP_ERROR);
    return false;
  }
  distanceAhead = values[0];
  lowHeight = values[1];
  highHeight = values[2];
  w = values[3];
  h = values[4];
  colourR = values[5];
  colourG = values[6];
  colourB = values[7];
  for (int i = 0; i < 4; ++i) {
    u[i] = values[8 + i];
    v[i] = values[12 + i];
  }
  return BuildQuads();
}

bool Backdrop::BuildQuads() {
  const float screenW = static_cast<float>(g_ScreenWidth);
  const float screenH = static_cast<float>(g_ScreenHeight);
  const float s = g_TextureManager.sScale[texture];
  const float t = g_TextureManager.tScale[texture];
  for (ScreenVertex* quad : {vertices, skyQuad}) {
    SetCorners(quad, 0.0f, 0.0f, screenW, screenH);
    for (int i = 0; i < 6; ++i) {
      if (g_RenderBuild == RENDER_BUILD_DIRECT3D) {
        SetDirect3DDepth(&quad[i], kFarDepth, FarRhw());
      } else {
        quad[i].z = 0.0f;
        std::memcpy(&quad[i].unused0, &kFarDepth, sizeof kFarDepth);
      }
      quad[i].colour = 0xB2FFFFFFu;
    }
  }
  // Left corners 0, 3, 5; top corners 0, 1, 3.
  for (int i = 0; i < 6; ++i) {
    const bool right = i == 1 || i == 2 || i == 4;
    const bool top = i == 0 || i == 1 || i == 3;
    vertices[i].s = right ? 1.0f : 0.0f;
    vertices[i].t = (top ? BACKDROP_BAND_TOP_V : BACKDROP_BAND_BOTTOM_V) * t;
    // One texel's strip of the sky row, stretched over the quad.
    skyQuad[i].s = (right ? 1.0f / 256.0f : 0.0f) * s;
    skyQuad[i].t = (top ? BACKDROP_SKY_V : 0.267578125f) * t;
  }
  g_TextureManager.SampleTexel(texture, 0.0f, BACKDROP_SKY_V, &skyR, &skyG, &skyB);
  g_TextureManager.SampleTexel(texture, 0.0f, BACKDROP_GROUND_V, &groundR, &groundG, &groundB);
  return true;
}

bool Backdrop::Update(unsigned, int) {
  const ViewRect view = g_ViewRect;
  auto at = [](int r, int c) { return g_Camera.view.m[r * 4 + c]; };
  const float halfH = static_cast<float>(g_ScreenHeight) / 2.0f;
  const float fov = g_Camera.fieldOfView;
  const float k = g_ViewWidth / 2.0f * (1.0f / std::tan(fov));

  float fx = at(0, 2);
  float fz = at(2, 2);
  const float length = std::sqrt(fx * fx + fz * fz);
  if (length > 0.0f) {
    fx /= length;
    fz /= length;
  } else {
    // Looking straight up or down: any heading will do.
    fx = 0.0f;
    fz = 1.0f;
  }
  const Vector3& p = g_Camera.position;
  const Vector3 low(p.x + fx * distanceAhead, lowHeight, p.z + fz * distanceAhead);
  const Vector3 high(low.x, highHeight, low.z);
  const Vector3 forward(at(0, 2), at(1, 2), at(2, 2));
  const Vector3 up(at(0, 1), at(1, 1), at(2, 1));
  float zL = Dot(low, forward) + at(3, 2);
  float zH = Dot(high, forward) + at(3, 2);
  float yL;
  float yH;
  // A depth of 0 is treated as behind the camera: no division by it.
  if (zL <= 0.0f || zH <= 0.0f) {
    zL = zH = 1.0f;
    yL = -100100.0f;
    yH = -100000.0f;
  } else {
    yL = Dot(low, up) + at(3, 1);
    yH = Dot(high, up) + at(3, 1);
  }
  float lowY = halfH - yL * k / zL;
  float highY = halfH - yH * k / zH;

  clearSky = drawBand = clearGround = 1;
  horizonY = (lowY + highY) / 2.0f;
  if (std::trunc(horizonY) <= std::trunc(view.top)) {
    clearSky = 0;
    horizonY = view.top;
  } else if (std::trunc(horizonY) >= std::trunc(view.bottom)) {
    clearGround = 0;
    horizonY = view.bottom;
  }

  float vTop = BACKDROP_BAND_TOP_V;
  if (highY < view.top) {
    vTop = lowY == highY ? 0.62890625f
                         : BACKDROP_BAND_BOTTOM_V - (view.top - lowY) * kBandV / (highY - lowY);
    highY = view.top;
    if (lowY < view.top) drawBand = 0;
  }
  float vBottom = BACKDROP_BAND_BOTTOM_V;
  if (lowY > view.bottom) {
    vBottom = lowY == highY ? BACKDROP_BAND_BOTTOM_V + (vTop - BACKDROP_BAND_BOTTOM_V) * 0.5f
                            : BACKDROP_BAND_BOTTOM_V + (vTop - BACKDROP_BAND_BOTTOM_V) * (view.bottom - lowY) /
                                                           (highY - lowY);
    lowY = view.bottom;
    if (highY > view.bottom) drawBand = 0;
  }

  const float sScale = g_TextureManager.sScale[texture];
  const float tScale = g_TextureManager.tScale[texture];
  SetCorners(vertices, view.left, highY, view.right, lowY);
  // SetCorners puts the top edge on 0, 1, 3 and the bottom on 2, 4, 5.
  for (int i : {0, 1, 3}) vertices[i].t = vTop * tScale;
  for (int i : {2, 4, 5}) vertices[i].t = vBottom * tScale;

  float heading = std::acos(fz < -1.0f ? -1.0f : fz > 1.0f ? 1.0f : fz);
  if (fx < 0.0f) heading = 2.0f * kPi - heading;
  const float uLeft = (heading - fov) * 4.0f / kPi * sScale;
  const float uRight = (heading + fov) * 4.0f / kPi * sScale;
  for (int i : {0, 3, 5}) vertices[i].s = uLeft;
  for (int i : {1, 2, 4}) vertices[i].s = uRight;

  const float skyBottom = highY + 1.0f < view.bottom ? highY + 1.0f : view.bottom;
  SetCorners(skyQuad, view.left, view.top, view.right, skyBottom);
  return true;
}

bool Backdrop::Draw() {
  const ViewRect view = g_ViewRect;
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  if (clearSky) {
    g_Renderer.clearRed = skyR;
    g_Renderer.clearGreen = skyG;
    g_Renderer.clearBlue = skyB;
    const float bottom = clearGround ? horizonY : view.bottom;
    g_Renderer.ClearRect(static_cast<int>(view.left), static_cast<int>(view.top), static_cast<int>(view.right),
                         static_cast<int>(bottom), true);
    g_Renderer.SetZEnable(false);
    g_Renderer.SetZWriteEnable(false);
    g_TextureManager.Select(texture);
    g_Renderer.DrawTriangles(6, skyQuad);
    g_Renderer.SetZEnable(true);
    g_Renderer.SetZWriteEnable(true);
  }
  if (clearGround) {
    g_Renderer.clearRed = groundR;
    g_Renderer.clearGreen = groundG;
    g_Renderer.clearBlue = groundB;
    const float top = clearSky ? horizonY : view.top;
    g_Renderer.ClearRect(static_cast<int>(view.left), static_cast<int>(top), static_cast<int>(view.right),
                         static_cast<int>(view.bottom), true);
  }
  g_Renderer.SetZEnable(false);
  g_Renderer.SetZWriteEnable(false);
  if (drawBand) {
    g_TextureManager.Select(texture);
    g_Renderer.DrawTriangles(6, vertices);
  }
  return true;
}
