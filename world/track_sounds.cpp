// The track's sound emitters: loops, random one-shots around the listener,
// the speed-pitched zone sound and sounds tied to places along the course.
#include <cmath>
#include <cstdlib>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/data_reader.h"
#include "engine/scene/scene.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "platform/win32/crt.h"
#include "world/track.h"
#include "world/track_internal.h"

std::int32_t g_TrackSoundFade = 0;
Vector3 g_TrackRandomOffset = Vector3(0.0f, 0.0f, 0.0f);
Vector3 g_TrackRandomVelocity = Vector3(0.0f, 0.0f, 0.0f);

namespace {

constexpr std::uint32_t kNameSize = 260;
// How far, in sections, a section-tied sound is heard.
constexpr int kHeardSections = 15;

float RandomUnit() { return static_cast<float>(crt::rand()) / 32767.0f * 2.0f - 1.0f; }

}  // namespace

bool Track::LoadTrackObjects(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportTrackError();
    return false;
  }
  DataReader r(&file);
  std::uint8_t count = 0;
  if (!r.U8(&count) || !r.Skip(1)) {
    ReportTrackError();
    return false;
  }
  sounds.reserve(count);
  for (int i = 0; i < count; ++i) sounds.push_back(new SoundSample());
  emitterCodeCounts.assign(count, 0);
  oneShots.assign(count, OneShotClock());
  emitterCodes.resize(count);
  for (int i = 0; i < count; ++i) {
    std::uint8_t slot = 0;
    char name[kNameSize];
    std::uint8_t codes = 0;
    if (!r.U8(&slot) || !r.String(name, kNameSize) || !r.U8(&codes) || codes * 2ull > r.Remaining()) {
      ReportTrackError();
      return false;
    }
    emitterCodes[i].resize(codes);
    emitterCodeCounts[i] = codes;
    for (std::uint16_t& code : emitterCodes[i]) r.U16(&code);
    // A slot past the sample list names no sample: the entry keeps its codes
    // and loads nothing.
    if (slot >= count) continue;
    SoundSample* sample = sounds[slot];
    sample->Load(name);
    if (codes != 0 && (emitterCodes[i][0] & 0xF000u) == TRACK_SOUND_RANDOM) {
      sample->SetConeAngles(360, 360);
    } else {
      sample->Enable3D(false);
    }
  }
  return true;
}

bool Track::Update(unsigned ms, int) {
  if (g_SoundFadeOut) {
    g_TrackSoundFade += static_cast<std::int32_t>(static_cast<float>(ms) * -1.5f);
  } else {
    g_TrackSoundFade = 0;
  }
  const std::int32_t fade = g_TrackSoundFade;
  const Vector3 camera = g_Camera.position;
  const Vector3 right(g_Camera.view.m[0], g_Camera.view.m[4], g_Camera.view.m[8]);
  const int total = sectionCount;
  const int cur = currentSection;
  const std::size_t emitters = emitterCodes.size() < sounds.size() ? emitterCodes.size() : sounds.size();
  if (oneShots.size() < emitters) oneShots.resize(emitters);
  for (std::size_t i = 0; i < emitters; ++i) {
    SoundSample* sample = sounds[i];
    OneShotClock& oneShot = oneShots[i];
    oneShot.Advance(g_FrameTime);
    const std::vector<std::uint16_t>& codes = emitterCodes[i];
    bool running = false;
    bool near = false;
    int nearest = 100000;
    for (std::size_t c = 0; c < codes.size(); ++c) {
      const std::uint16_t code = codes[c];
      if (code == TRACK_SOUND_LOOP) {
        sample->SetVolume(fade);
        sample->Play(true);
        running = true;
      } else if (code == TRACK_SOUND_RANDOM) {
        sample->SetVolume(fade);
        // Playing as the frames count it, whatever the audio thread has got to.
        if (oneShot.Running()) {
          running = true;
          g_TrackRandomOffset = g_TrackRandomOffset + g_FrameTime * g_TrackRandomVelocity;
          if (sample->is3D) {
            const Vector3 at = camera + g_TrackRandomOffset;
            sample->SetPosition(at.x, at.y, at.z);
          }
        } else {
          const int r = crt::rand();
          if (g_FrameTime * 3276.7f > static_cast<float>(r)) {
            sample->Play(false);
            oneShot.Start(sample);
            running = true;
          }
          if (sample->is3D) {
            g_TrackRandomVelocity.x = RandomUnit();
            g_TrackRandomVelocity.y = RandomUnit();
            g_TrackRandomVelocity.z = RandomUnit();
            g_TrackRandomOffset.x = RandomUnit();
            g_TrackRandomOffset.y = RandomUnit();
            g_TrackRandomOffset.z = RandomUnit();
          } else {
            sample->SetPan(crt::rand() * 2000 / 32767 - 1000);
          }
        }
      } else if (code & TRACK_SOUND_ZONE) {
        // Only an emitter's first code opens a zone, and a zone needs its
        // last section too: a single code is ignored.
        if (c != 0 || codes.size() < 2) continue;
        const int lo = code & 0xBFFF;
        const int hi = codes[1] & 0xBFFF;
        if (!(lo < listenerSection && listenerSection < hi)) continue;
        const Vector3 d = listenerPosition - camera;
        float panF = 200.0f * Dot(d, right);
        if (panF < -3000.0f) panF = -3000.0f;
        if (panF > 3000.0f) panF = 3000.0f;
        const LONG pan = static_cast<LONG>(panF);
        LONG loss = 0;
        if (!sample->is3D) {
          const float l = -30.0f * std::sqrt(LengthSquared(d));
          loss = l < -2000.0f ? -2000 : static_cast<LONG>(l);
        }
        if (listenerSpeedLevel < 0.1f) {
          sample->Stop();
          continue;
        }
        sample->SetFrequency(static_cast<DWORD>(20000.0f * listenerSpeedLevel + 5000.0f));
        sample->SetVolume(fade + loss);
        if (sample->is3D) {
          sample->SetPosition(listenerPosition.x, listenerPosition.y, listenerPosition.z);
        } else {
          sample->SetPan(pan);
        }
        DWORD status = 0;
        sample->GetStatus(&status);
        if (!(status & DSBSTATUS_PLAYING)) sample->Play(true);
        running = true;
      } else {
        const int s = code;
        int distance = -1;
        if (s - kHeardSections < 0) {
          if (cur >= s - kHeardSections + total && cur <= total - 1) distance = std::abs(s - cur + total);
          if (cur >= 0 && cur <= s + kHeardSections) distance = std::abs(cur - s);
        } else if (s + kHeardSections > total) {
          if (cur >= s - kHeardSections && cur <= total - 1) distance = std::abs(cur - s);
          if (total > 0 && cur >= 0 && cur <= (s + kHeardSections) % total) distance = std::abs(cur - s + total);
        } else if (s - kHeardSections <= cur && cur <= s + kHeardSections) {
          distance = std::abs(cur - s);
        }
        if (distance >= 0) {
          near = true;
          if (distance < nearest) nearest = distance;
        }
      }
    }
    DWORD status = 0;
    sample->GetStatus(&status);
    if (near) {
      sample->SetVolume(fade - 120 * nearest);
      if (!(status & DSBSTATUS_PLAYING)) sample->Play(true);
    } else if (!running && (status & DSBSTATUS_PLAYING)) {
      sample->Stop();
    }
  }
  return true;
}

void Track::StopSounds() {
  SceneObject::StopSounds();
  for (OneShotClock& c : oneShots) c.Clear();
}
