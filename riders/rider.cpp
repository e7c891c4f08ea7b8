#include "riders/rider.h"

#include <new>

#include "engine/game_settings.h"
#include "engine/services/event.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"

SoundSample* g_RiderSounds = nullptr;
std::uint8_t g_RiderSoundCount = 0;
std::uint8_t g_RiderSoundsLoaded = 0;

float g_ConditionSuspension[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
float g_ConditionWheels[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
float g_ConditionEngine[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
float g_ConditionBrakes[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
float g_ConditionGearbox[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

namespace {

constexpr std::uint8_t RACE_PRACTICE = 1;
constexpr std::uint8_t RACE_QUALIFYING = 2;

}  // namespace

bool AllocateRiderSounds(std::uint8_t n) {
  FreeRiderSounds();
  void* block = ::operator new(sizeof(SoundSample) * (n ? n : 1), std::nothrow);
  if (!block) return false;
  g_RiderSounds = static_cast<SoundSample*>(block);
  g_RiderSoundCount = n;
  for (int i = 0; i < n; ++i) new (&g_RiderSounds[i]) SoundSample();
  return true;
}

void FreeRiderSounds() {
  if (!g_RiderSounds) return;
  // Last first, as the bank was built.
  for (int i = g_RiderSoundCount - 1; i >= 0; --i) g_RiderSounds[i].~SoundSample();
  ::operator delete(g_RiderSounds);
  g_RiderSounds = nullptr;
}

Rider::Rider() {
  skill = g_GameSkill;
  if (g_Event) weather = g_Event->CurrentWeather();
  soundPhase = static_cast<float>(crt::rand()) / 32767.0f * 6.28f;

  const float raceSeconds = static_cast<float>(g_RaceLengthRecord.milliseconds) * 0.001f;
  if (g_RaceType != RACE_PRACTICE && g_RaceType != RACE_QUALIFYING) {
    started = 1;
    state = RIDER_WAITING;
    trackTime = entryTime = raceSeconds;
  } else if (g_Event && g_Event->NetworkGame()) {
    started = 0;
    state = RIDER_OUT;
    trackTime = entryTime = raceSeconds;
  } else {
    started = crt::rand() < 16383 ? 1 : 0;
    trackTime = started ? raceSeconds : 0.0f;
    entryTime = (0.25f - static_cast<float>(crt::rand()) / 32767.0f * 0.2f) * raceSeconds;
    state = started ? RIDER_WAITING : RIDER_OUT;
  }

  for (int i = 0; i < PART_POSE_COUNT; ++i) partPoses[i] = startPartPoses[i] = g_IdentityMatrix;
}

Rider::~Rider() {
  nearParts.reset();
  middleParts.reset();
  farMesh.reset();
  FreeRiderSounds();
  g_RiderSoundsLoaded = 0;
  if (bikeTexture) g_TextureManager.Free(bikeTexture);
}

void Rider::SetTrack(Track* t) {
  track = t;
  shadow.track = t;
}

std::uint16_t Rider::GetTrackNode() { return physics.sectionHint; }

void Rider::UpdateRemote(int) {}

std::uint32_t Rider::GetLap() { return lap; }

bool Rider::IsPastFinalLap() {
  const std::uint32_t lengthMs = std::uint32_t{g_RaceLengthMinutes} * 60000u;
  return raceTime.totalMs > lengthMs && finalLap != 0 && lap - finalLap > 1u;
}

bool Rider::IsFollowed() { return followed != 0; }

Vector3* Rider::GetHeading(Vector3* out) {
  *out = Vector3(physics.axes[2][0], physics.axes[2][1], physics.axes[2][2]);
  return out;
}

void Rider::SetFollowed() { followed = 1; }

void Rider::ClearFollowed() {
  hudRefresh = 1;
  followed = 0;
}

void Rider::SetIndex(std::uint8_t i) { index = i; }

