// The parts of the renderer that every build shares: the cache reset, the
// fade quad and the fade's arithmetic, the depth bias.
#include "engine/renderer.h"

// Until the front end reads "NumPlayers", the texture budget counts every
// rider entry.
std::uint32_t g_RiderCount = 20;

RenderBuild g_RenderBuild = RENDER_BUILD_GLIDE;

void Renderer::ForgetStates() {
  std::int32_t* states = reinterpret_cast<std::int32_t*>(&cache);
  for (std::size_t i = 0; i < sizeof cache / sizeof(std::int32_t); ++i) states[i] = NOT_CACHED;
}

void Renderer::BuildFadeQuad(float width, float height) {
  const float corners[6][2] = {{0.0f, 0.0f},  {width, 0.0f},   {0.0f, height},
                               {width, 0.0f}, {width, height}, {0.0f, height}};
  for (int i = 0; i < 6; ++i) {
    ScreenVertex& v = fadeQuad[i];
    v = ScreenVertex{};
    v.x = corners[i][0];
    v.y = corners[i][1];
    v.z = 65535.0f;
    v.q = 1.0f;
  }
}

void Renderer::StartFade(float duration, std::uint8_t direction, void (*callback)()) {
  fadeDuration = duration;
  fadeDirection = direction;
  fadeCallback = callback;
  fadeElapsed = 0.0f;
  fadeDarkness = direction == FADE_IN ? 1.0f : 0.0f;
}

bool Renderer::StepFade(float frameTime) {
  fadeElapsed += frameTime;
  if (fadeElapsed >= fadeDuration) {
    if (fadeCallback) {
      void (*callback)() = fadeCallback;
      fadeCallback = nullptr;  // it runs once
      callback();
    }
    if (fadeDirection == FADE_IN) return false;
    // A fade of no duration is at once fully dark.
    fadeDarkness = fadeDuration > 0.0f ? fadeElapsed / fadeDuration : 1.0f;
  } else {
    const float done = fadeElapsed / fadeDuration;
    fadeDarkness = fadeDirection == FADE_OUT ? done : 1.0f - done;
  }
  if (fadeDarkness < 0.0f) fadeDarkness = 0.0f;
  if (fadeDarkness > 1.0f) fadeDarkness = 1.0f;
  return true;
}

void Renderer::SetDepthBias(std::uint32_t steps) { depthBias = steps; }
