#include "world/rain.h"

#include <cmath>
#include <cstring>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/texture_manager.h"
#include "platform/dsound/dsound.h"
#include "world/effects_internal.h"
#include "world/track.h"

Vector3 g_RainPreviousCamera = Vector3(0.0f, 0.0f, 0.0f);
float g_RainPreviousViewWidth = 0.0f;
std::int32_t g_RainAttenuation = 0;

using world_effects::Random01;

namespace {

constexpr float kDropFrameStep = 0.1254902f;   // 32/255
constexpr float kDropFrameWidth = 0.12156863f;  // 31/255
// Which quad corners lie on the drop's left (x - h) and top (y - h) sides.
constexpr bool kLeft[6] = {true, false, false, true, false, true};
constexpr bool kTop[6] = {true, true, false, true, false, false};

}  // namespace

RainEffect::RainEffect() {
  matrix = g_IdentityMatrix;
  for (int i = 0; i < RAIN_STREAKS; ++i) {
    const float x = 20.0f * Random01() - 10.0f;
    const float y = 20.0f * Random01();
    const float z = 10.0f * Random01() + 0.01f;
    positions[3 * i] = Vector3(x - 0.01f, y - 0.25f, z);
    positions[3 * i + 1] = Vector3(x + 0.01f, y - 0.25f, z);
    positions[3 * i + 2] = Vector3(x, y, z);
    attributes[3 * i] = VertexAttribute{0xFF000000u, 0.0f, 0.0f};
    attributes[3 * i + 1] = VertexAttribute{0xFF191919u, 0.0f, 0.0f};
    attributes[3 * i + 2] = VertexAttribute{0xFF333333u, 0.0f, 0.0f};
  }
  for (int i = 0; i < RAIN_STREAKS * 3; ++i) indices[i] = static_cast<std::uint16_t>(i);
  std::memset(drops, 0, sizeof drops);
  for (int i = 0; i < RAIN_MAX_DROPS; ++i) {
    LensDrop& d = drops[i];
    d.halfSize = 20.0f * Random01() + 10.0f;
    d.x = Random01() * static_cast<float>(g_ScreenWidth);
    d.y = Random01() * static_cast<float>(g_ScreenHeight);
    d.age = 0.8f * Random01();
  }
  dropCount = RAIN_MAX_DROPS;
  nextDrop = RAIN_MAX_DROPS;
  std::memset(quads, 0, sizeof quads);
  for (int i = 0; i < RAIN_DROP_RING * 6; ++i) {
    ScreenVertex& v = quads[i];
    v.colour = 0xFF7F7F7Fu;
    v.z = 65535.0f;
    v.q = 1.0f;
    v.t = kTop[i % 6] ? 0.625f : 0.75f;
  }
}

RainEffect::~RainEffect() = default;

bool RainEffect::LoadAssets(const char* textureName) {
  if (!world_effects::LoadTexture(textureName, &texture, g_TextureSizeClasses[SIZE_CLASS_RAIN])) return false;
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    for (ScreenVertex& v : quads) {
      v.s = v.s * g_TextureManager.sScale[texture];
      v.t = v.t * g_TextureManager.tScale[texture];
    }
  }
  rain.Load("SOUNDS\\RAIN.SFX");
  thunder.Load("SOUNDS\\THUNDER.SFX");
  rain.Enable3D(false);
  thunder.SetMinDistance(100.0f);
  thunder.SetMaxDistance(200.0f);
  thunder.SetConeAngles(360, 360);
  thunder.SetConeOutsideVolume(0);
  return true;
}

bool RainEffect::Update(unsigned ms, int) {
  const float dt = g_FrameTime;
  const Camera& cam = g_Camera;
  const Vector3 camera = cam.position;
  const Matrix4& view = cam.view;
  const Vector3 right(view.m[0], view.m[4], view.m[8]);
  const Vector3 up(view.m[1], view.m[5], view.m[9]);
  const Vector3 forward(view.m[2], view.m[6], view.m[10]);
  const float tanT = std::tan(cam.fieldOfView);
  float moved = std::sqrt(LengthSquared(camera - g_RainPreviousCamera));
  if (moved > 1.67f) moved = 1.67f;
  g_RainPreviousCamera = camera;
  const float depthLimit = 10.0f / tanT + moved + 0.1f;
  // Before a screen is open there is no shape to fill: a 4:3 one serves.
  const float aspect =
      g_ScreenWidth != 0 ? static_cast<float>(g_ScreenHeight) / static_cast<float>(g_ScreenWidth) : 0.75f;

  for (int i = 0; i < RAIN_STREAKS; ++i) {
    float* h = heads[i];
    Vector3 base = h[0] * right + h[1] * up + h[2] * forward + camera;
    Vector3& head = positions[3 * i + 2];
    head.y = head.y - 20.0f * dt;
    const Vector3 rel = head - camera;
    float a = Dot(rel, right), b = Dot(rel, up), c = Dot(rel, forward);
    const bool inView = c >= 0.1f && c <= depthLimit && b >= -aspect * c * tanT && -c * tanT <= a && a <= c * tanT;
    if (!inView) {
      c = 0.1f + Random01() * (depthLimit - 0.1f);
      a = (2.0f * Random01() - 1.0f) * 1.2f * c * tanT;
      b = Random01() * aspect * c * tanT;
      head = a * right + b * up + c * forward + camera;
      base = head - Vector3(0.0f, 0.25f, 0.0f);
    }
    const Vector3 v = head - base;
    const float length = std::sqrt(LengthSquared(v));
    positions[3 * i] = length > 0.25f ? head - 0.25f * (v / length) : base;
    positions[3 * i + 1] = head + 0.01f * right;
    h[0] = a;
    h[1] = b;
    h[2] = c;
  }

  if (g_ViewWidth != g_RainPreviousViewWidth) {
    dropCount = 0;
    oldestDrop = 0;
    nextDrop = 0;
  }
  g_RainPreviousViewWidth = g_ViewWidth;
  dropTimer = dropTimer + dt;
  if (dropTimer > 0.1f) {
    dropTimer = 0.0f;
    const int n = 1 + static_cast<int>(1.7964072f * moved);
    const float s = g_ViewWidth * 0.0015625f;
    for (int k = 0; k < n && dropCount < RAIN_MAX_DROPS; ++k) {
      LensDrop& d = drops[nextDrop];
      d.halfSize = (17.5f * Random01() + 7.5f) * s;
      d.x = (589.0f * Random01() + 25.0f) * s + g_ViewRect.left;
      d.y = (429.0f * Random01() + 25.0f) * s + g_ViewRect.top;
      d.age = 0.0f;
      d.frame = 0;
      dropCount = static_cast<std::uint16_t>(dropCount + 1);
      nextDrop = static_cast<std::uint16_t>((nextDrop + 1) % RAIN_DROP_RING);
    }
  }
  if (dropCount != 0) {
    // The walk stops at the index that was next when it began; drops only
    // age 0.8 s, so the oldest is always the first to go.
    const std::uint16_t end = nextDrop;
    for (std::uint16_t i = oldestDrop; i != end; i = static_cast<std::uint16_t>((i + 1) % RAIN_DROP_RING)) {
      LensDrop& d = drops[i];
      d.age = d.age + dt;
      if (d.age >= 0.8f) {
        oldestDrop = static_cast<std::uint16_t>((oldestDrop + 1) % RAIN_DROP_RING);
        dropCount = static_cast<std::uint16_t>(dropCount - 1);
      } else {
        d.frame = static_cast<std::uint32_t>(d.age * 10.0f);
      }
    }
  }
  if (dropCount != 0) {
    const float sScale = g_RenderBuild == RENDER_BUILD_GLIDE ? g_TextureManager.sScale[texture] : 1.0f;
    std::uint16_t k = oldestDrop;
    for (int q = 0; q < dropCount; ++q, k = static_cast<std::uint16_t>((k + 1) % RAIN_DROP_RING)) {
      const LensDrop& d = drops[k];
      const float lo = static_cast<float>(d.frame) * kDropFrameStep;
      for (int c = 0; c < 6; ++c) {
        ScreenVertex& v = quads[q * 6 + c];
        v.x = kLeft[c] ? d.x - d.halfSize : d.x + d.halfSize;
        v.y = kTop[c] ? d.y - d.halfSize : d.y + d.halfSize;
        v.s = (kLeft[c] ? lo : lo + kDropFrameWidth) * sScale;
      }
    }
  }

  if (g_SoundFadeOut != 0) {
    g_RainAttenuation = g_RainAttenuation + static_cast<std::int32_t>(static_cast<float>(ms) * -1.5f);
  } else {
    g_RainAttenuation = 0;
  }
  DWORD status = 0;
  rain.GetStatus(&status);
  if ((status & DSBSTATUS_PLAYING) == 0) {
    rain.SetVolume(0);
    rain.Play(true);
  }
  thunderClap.Advance(dt);
  const bool clapping = thunderClap.Running();
  if (static_cast<float>(crt::rand()) < dt * 2184.4666f) {
    if (!clapping) {
      thunder.SetVolume(0);
      thunder.Play(false);
      thunderClap.Start(&thunder);
      if (thunder.buffer3D != nullptr) {
        const float x = 2.0f * Random01() - 1.0f;
        const float y = 2.0f * Random01();
        const float z = 2.0f * Random01() - 1.0f;
        thunder.SetPosition(camera.x + x, camera.y + y, camera.z + z);
      } else {
        thunder.SetPan(static_cast<LONG>(static_cast<float>(crt::rand()) * 10000.0f / 32767.0f) - 5000);
      }
    }
  } else if (!clapping) {
    thunder.Stop();
  }
  rain.SetVolume(g_RainAttenuation);
  thunder.SetVolume(g_RainAttenuation);
  return true;
}

bool RainEffect::Draw() {
  g_TextureManager.Select(0);
  g_GeometryPipeline.objectMatrix = nullptr;
  const std::uint16_t sizes[1] = {RAIN_STREAKS * 3};
  g_GeometryPipeline.TransformMesh(1, positions, sizes, attributes, indices, RAIN_STREAKS * 3, &output, &emitted,
                                   nullptr, Vector3(0.0f, 0.0f, 0.0f));
  if (emitted % 3 == 0) g_Renderer.DrawTriangles(emitted, output);
  g_TextureManager.Select(texture);
  if (dropCount != 0) g_Renderer.DrawTriangles(static_cast<std::uint16_t>(6 * dropCount), quads);
  return true;
}

void RainEffect::StopSounds() {
  rain.Stop();
  thunder.Stop();
  thunderClap.Clear();
}
