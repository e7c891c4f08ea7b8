#include "riders/tachometer.h"

#include <cmath>
#include <new>

#include "engine/display.h"
#include "engine/texture_manager.h"
#include "riders/hud_text.h"

namespace {

constexpr float kNeedle[Tachometer::CORNERS][2] = {{-70.0f, 0.0f}, {-4.0f, -2.0f}, {-4.0f, 2.0f}};
constexpr std::uint32_t kRed = 0xFFFF0000u;

float Snapped(float v) {
  return g_RenderBuild == RENDER_BUILD_GLIDE ? static_cast<float>(static_cast<int>(v * 16.0f)) * 0.0625f : v;
}

}  // namespace

Tachometer::Tachometer() {
  const float w = static_cast<float>(g_ScreenWidth);
  const float h = static_cast<float>(g_ScreenHeight);
  matrix.m[12] = w - w * 0.0734375f;
  matrix.m[13] = h - h * 0.09791667f;
}

Tachometer::~Tachometer() = default;

bool Tachometer::Load(const char*) {
  model.reset(new (std::nothrow) ScreenVertex[CORNERS]);
  screen.reset(new (std::nothrow) ScreenVertex[CORNERS]);
  if (!model || !screen) return false;
  // Nearest depth: larger is nearer in the Glide build, smaller in the other.
  const float depth = g_RenderBuild == RENDER_BUILD_GLIDE ? 65535.0f : 0.0f;
  for (int i = 0; i < CORNERS; ++i) {
    ScreenVertex v = {};
    v.x = kNeedle[i][0];
    v.y = kNeedle[i][1];
    v.colour = kRed;
    v.z = depth;
    v.q = 1.0f;
    model[i] = screen[i] = v;
  }
  return true;
}

bool Tachometer::Update(unsigned, int) {
  const float a = NeedleAngle(value, top, bottom);
  const float c = std::cos(a);
  const float s = std::sin(a);
  matrix.m[0] = c;
  matrix.m[1] = -s;
  matrix.m[4] = s;
  matrix.m[5] = c;
  const float w = static_cast<float>(g_ScreenWidth);
  const float h = static_cast<float>(g_ScreenHeight);
  matrix.m[12] = w - w * 0.00625f;
  matrix.m[13] = h - h * 0.008333334f;
  return false;
}

bool Tachometer::Draw() {
  g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
  g_Renderer.SetAlphaTest(false);
  g_TextureManager.Select(0);
  if (!model || !screen) return true;
  const float* m = matrix.m;
  for (int i = 0; i < CORNERS; ++i) {
    const float x = model[i].x;
    const float y = model[i].y;
    screen[i].x = Snapped(x * m[0] + y * m[4] + m[12]);
    screen[i].y = Snapped(x * m[1] + y * m[5] + m[13]);
  }
  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.DrawTriangles(CORNERS, screen.get());
  return true;
}
