// The rain of a wet race: streaks falling around the camera, recycled when
// they leave the view; drops that land on the lens and run off it; a looping
// rain sound and thunder at random.
#pragma once

#include <cstdint>

#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"
#include "engine/sound_sample.h"

constexpr int RAIN_STREAKS = 200;
constexpr int RAIN_DROP_RING = 25;
constexpr int RAIN_MAX_DROPS = 24;

struct LensDrop {
  float halfSize;  // pixels
  float x;
  float y;
  float age;  // seconds
  std::uint32_t frame;
};

class RainEffect : public SceneObject {
 public:
  RainEffect();
  ~RainEffect() override;
  bool Load(const char*) override { return true; }
  // The rain texture (the race's effects texture) and both sounds. False
  // only when the texture does not load.
  bool LoadAssets(const char* textureName);
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  void StopSounds() override;

  Vector3 positions[RAIN_STREAKS * 3];  // tail, side, head per streak
  VertexAttribute attributes[RAIN_STREAKS * 3];
  std::uint16_t indices[RAIN_STREAKS * 3];
  ScreenVertex* output = nullptr;
  std::uint16_t emitted = 0;
  // Per streak: the head relative to the camera (across, up, depth).
  float heads[RAIN_STREAKS][3] = {};
  LensDrop drops[RAIN_DROP_RING];
  std::uint16_t dropCount = 0;
  std::uint16_t oldestDrop = 0;
  std::uint16_t nextDrop = 0;
  float dropTimer = 0.0f;
  ScreenVertex quads[RAIN_DROP_RING * 6];
  SoundSample rain;
  SoundSample thunder;
  // The clap as the frames count it: whether a clap may start, and what it
  // draws, never hangs on the audio thread's pace.
  OneShotClock thunderClap;
};

// Kept for all rain objects and races together, as the race expects: the
// camera position and view width of the previous update, and the sound
// attenuation in hundredths of a decibel.
extern Vector3 g_RainPreviousCamera;
extern float g_RainPreviousViewWidth;
extern std::int32_t g_RainAttenuation;
