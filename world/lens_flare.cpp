#include "world/lens_flare.h"

#include <cmath>
#include <cstring>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/texture_manager.h"
#include "world/effects_internal.h"
#include "world/track.h"

namespace {

struct QuadConstant {
  float line;
  float size;
  float uLow;
};
constexpr QuadConstant kQuads[LENS_FLARE_QUADS] = {
    {0.0f, 0.1f, 0.0f},     {0.0f, 0.08f, 0.75f},  {0.0f, 0.105f, 0.75f}, {9.0f, 0.07f, 0.5f},
    {7.0f, 0.13f, 0.5f},    {5.0f, 0.05f, 0.5f},   {0.0f, 0.015f, 0.75f}, {-1.5f, 0.05f, 0.25f},
    {-5.0f, 0.12f, 0.25f},  {-5.5f, 0.05f, 0.5f},  {-6.0f, 0.2f, 0.75f},
};
constexpr float kCornerX[6] = {-0.5f, -0.5f, 0.5f, -0.5f, 0.5f, 0.5f};
constexpr float kCornerY[6] = {0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f};
constexpr std::uint32_t kSunColour = 0xFF666666u;

float Snap16(float v) { return std::trunc(16.0f * v) / 16.0f; }

}  // namespace

LensFlareEffect::LensFlareEffect() {
  std::memset(screen, 0, sizeof screen);
  for (int k = 0; k < LENS_FLARE_QUADS; ++k) {
    line[k] = kQuads[k].line;
    sizes[k] = kQuads[k].size * static_cast<float>(g_ScreenWidth);
    for (int c = 0; c < 6; ++c) {
      model[k][c] = ModelCorner{kCornerX[c], kCornerY[c], kCornerX[c] < 0.0f ? kQuads[k].uLow : kQuads[k].uLow + 0.25f,
                                kCornerY[c] > 0.0f ? 1.0f : 0.75f};
      screen[k][c].q = 1.0f;
      screen[k][c].colour = kSunColour;
    }
  }
}

bool LensFlareEffect::Load(const char* textureName) {
  if (!world_effects::LoadTexture(textureName, &texture, 8)) return false;
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    for (auto& quad : model) {
      for (ModelCorner& c : quad) {
        c.u = c.u * g_TextureManager.sScale[texture];
        c.v = c.v * g_TextureManager.tScale[texture];
      }
    }
  }
  for (auto& quad : screen) {
    for (ScreenVertex& v : quad) v.q = 1.0f;
  }
  sunPosition = -50000.0f * g_LightDirection;
  return true;
}

bool LensFlareEffect::Update(unsigned, int) {
  visible = 1;
  const float vw = g_ViewWidth;
  for (int k = 0; k < LENS_FLARE_QUADS; ++k) sizes[k] = kQuads[k].size * vw;
  const Vector3 s = TransformPoint(sunPosition, g_Camera.view);
  // A sun in the camera's plane has no screen point: it counts as behind.
  // Without a view there is nothing to lay out.
  if (!(s.z > 0.0f) || !(vw > 0.0f)) {
    visible = 0;
    return true;
  }
  Vector3 d(s.x, s.y, s.z - 10.0f);
  const float length = std::sqrt(LengthSquared(d));
  sunDirection = length > 0.0f ? d / length : Vector3(0.0f, 0.0f, 0.0f);
  const float p00 = g_Camera.projection.m[0];
  const float halfW = static_cast<float>(g_ScreenWidth) / 2.0f;
  const float halfH = static_cast<float>(g_ScreenHeight) / 2.0f;
  sunX = halfW + vw / 2.0f * p00 * s.x / s.z;
  sunY = halfH - vw / 2.0f * p00 * s.y / s.z;
  const float a = sizes[0];
  boxLeft = sunX - a / 2.0f;
  boxRight = sunX + a / 2.0f;
  boxTop = sunY - a / 2.0f;
  boxBottom = sunY + a / 2.0f;
  const ViewRect& r = g_ViewRect;
  if (boxRight < r.left || boxLeft > r.right || boxBottom < r.top || boxTop > r.bottom) {
    visible = 0;
    return true;
  }
  float w, h;
  if (boxLeft >= r.left) {
    w = boxRight > r.right ? r.right - boxLeft : a;
  } else {
    w = boxRight - r.left;
  }
  if (boxTop >= r.top) {
    h = boxBottom > r.bottom ? r.bottom - boxTop : a;
  } else {
    h = boxBottom - r.top;
  }
  fraction = a > 0.0f ? (w / a) * (h / a) : 0.0f;
  return true;
}

void LensFlareEffect::Layout() {
  const float W = static_cast<float>(g_ScreenWidth), H = static_cast<float>(g_ScreenHeight);
  const float vw = g_ViewWidth;
  const float f = fraction;
  const float o = (sunX - W / 2.0f) / (vw / 2.0f);
  const float m = sizes[0] / vw + 1.0f;
  float t = f * (0.6f - 0.5f * std::fabs(o) / m);
  if (t < 0.1f) t = 0.1f;
  if (t > 0.6f) t = 0.6f;
  const std::uint32_t A = static_cast<std::uint32_t>(255.0f * t);
  const std::uint32_t colour = 0xFF000000u | A << 16 | A << 8 | A;
  const float p00 = g_Camera.projection.m[0];
  const bool glide = g_RenderBuild == RENDER_BUILD_GLIDE;
  const ViewRect& r = g_ViewRect;
  for (int k = 0; k < LENS_FLARE_QUADS; ++k) {
    float cx = sunX, cy = sunY;
    if (k == 2) cx = sunX + o * vw * 0.03125f;
    if (k >= 3) {
      const float D = line[k];
      const float depth = D * sunDirection.z + 10.0f;
      cx = W / 2.0f + vw / 2.0f * p00 * D * sunDirection.x / depth;
      cy = H / 2.0f - vw / 2.0f * p00 * D * sunDirection.y / depth;
    }
    const float side = sizes[k] * f;
    ScreenVertex* q = screen[k];
    for (int c = 0; c < 6; ++c) {
      q[c].x = cx + model[k][c].x * side;
      q[c].y = cy + model[k][c].y * side;
      if (glide) {
        q[c].x = Snap16(q[c].x);
        q[c].y = Snap16(q[c].y);
      }
      q[c].colour = k == 0 ? kSunColour : colour;
      q[c].s = model[k][c].u;
      q[c].t = model[k][c].v;
    }
    quadVisible[k] = 1;
    const ModelCorner* mc = model[k];
    const float xl = q[0].x, xr = q[2].x, du = mc[2].u - mc[0].u;
    if (xl >= r.left) {
      if (xr > r.right) {
        if (xl > r.right) {
          quadVisible[k] = 0;
          continue;
        }
        const float u = mc[0].u + du * (r.right - xl) / (xr - xl);
        for (int c : {2, 4, 5}) {
          q[c].x = r.right;
          q[c].s = u;
        }
      }
    } else if (xr >= r.left) {
      const float u = mc[0].u + du * (r.left - xl) / (xr - xl);
      for (int c : {0, 1, 3}) {
        q[c].x = r.left;
        q[c].s = u;
      }
    } else {
      quadVisible[k] = 0;
      continue;
    }
    const float yt = q[1].y, yb = q[0].y, dv = mc[0].v - mc[1].v;
    if (yt >= r.top) {
      if (yb > r.bottom) {
        if (yt > r.bottom) {
          quadVisible[k] = 0;
          continue;
        }
        const float v = mc[1].v + dv * (r.bottom - yt) / (yb - yt);
        for (int c : {0, 2, 5}) {
          q[c].y = r.bottom;
          q[c].t = v;
        }
      }
    } else if (yb >= r.top) {
      const float v = mc[1].v + dv * (r.top - yt) / (yb - yt);
      for (int c : {1, 3, 4}) {
        q[c].y = r.top;
        q[c].t = v;
      }
    } else {
      quadVisible[k] = 0;
    }
  }
}

bool LensFlareEffect::Draw() {
  if (visible == 0) return true;
  g_TextureManager.Select(texture);
  Layout();
  for (int k = 0; k < LENS_FLARE_QUADS; ++k) {
    if (quadVisible[k] == 1) g_Renderer.DrawTriangles(6, screen[k]);
  }
  return true;
}
