// The riders' engines, skids, wheel spin, impacts and start sound, all from
// the shared bank.
#include <cmath>
#include <cstdlib>

#include "engine/camera.h"
#include "engine/scene/scene.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"
#include "riders/rider.h"
#include "world/track.h"

std::int32_t g_RiderSoundFade = 0;

namespace {

constexpr int SLOT_SKID = 6;
constexpr int SLOT_SPIN = 7;
constexpr int SLOT_IMPACT = 8;
constexpr int SLOT_OTHER_ENGINE = 9;
constexpr int SLOT_START = 29;
constexpr int SLOT_COASTING = 30;

// A slot past a short bank has no sample: the rider stays silent there.
SoundSample* Slot(int slot) {
  if (!g_RiderSounds || slot < 0 || slot >= g_RiderSoundCount) return nullptr;
  return &g_RiderSounds[slot];
}

bool Playing(SoundSample* s) {
  if (!s) return false;
  DWORD status = 0;
  s->GetStatus(&status);
  return (status & DSBSTATUS_PLAYING) != 0;
}

void Stop(SoundSample* s) {
  if (s) s->Stop();
}

void StopIfPlaying(SoundSample* s) {
  if (Playing(s)) s->Stop();
}

void PlayLoopedUnlessPlaying(SoundSample* s) {
  if (s && !Playing(s)) s->Play(true);
}

void Volume(SoundSample* s, std::int32_t v) {
  if (s) s->SetVolume(v);
}

void Frequency(SoundSample* s, std::int32_t hz) {
  if (s) s->SetFrequency(static_cast<DWORD>(hz));
}

std::int32_t Trunc(float f) { return static_cast<std::int32_t>(f); }

}  // namespace

void EngineLayerGains(float q, std::int32_t* low, std::int32_t* high) {
  float m = 0.0001f;
  float n = 1.0f;
  if (q < 0.5f) {
    m = 1.0f - 1.9998f * q;
    n = 1.9998f * q + 0.0001f;
  }
  // A ratio past 1 would take a logarithm of a negative number.
  m = m > 0.0001f ? m : 0.0001f;
  n = n > 0.0001f ? n : 0.0001f;
  auto gain = [](float x) {
    const std::int32_t g = Trunc(2000.0f * std::log10(x));
    return g < -10000 ? -10000 : (g > 0 ? 0 : g);
  };
  *low = gain(m);
  *high = gain(n);
}

std::int32_t ImpactVolume(float a, float b) {
  std::int32_t e = -2000;
  if (a > 200.0f) {
    e = Trunc(a - 700.0f) * 2000 / 500;
  } else if (b > 200.0f) {
    e = Trunc(b - 700.0f) * 2000 / 500;
  }
  return e < 0 ? e : 0;
}

void Rider::StopSounds() {
  if (!g_RiderSounds) return;
  Stop(Slot(SLOT_START));
  if (followed) {
    for (int slot : {2 * skill, 2 * skill + 1, SLOT_COASTING + skill, SLOT_IMPACT, SLOT_SKID, SLOT_SPIN}) {
      Stop(Slot(slot));
    }
  } else {
    Stop(Slot(SLOT_OTHER_ENGINE + index));
  }
}

void Rider::UpdateSound() {
  if (!g_RiderSounds) return;
  const float dt = g_FrameTime;
  const RiderPhysics& p = physics;
  if (g_SoundFadeOut) {
    g_RiderSoundFade += Trunc(dt * -1500.0f);
  } else {
    g_RiderSoundFade = 0;
  }
  std::int32_t v = g_RiderSoundFade;

  SoundSample* low = Slot(2 * skill);
  SoundSample* high = Slot(2 * skill + 1);
  SoundSample* coasting = Slot(SLOT_COASTING + skill);
  SoundSample* const mine[] = {low, high, coasting, Slot(SLOT_IMPACT), Slot(SLOT_SKID), Slot(SLOT_SPIN)};
  SoundSample* other = Slot(SLOT_OTHER_ENGINE + index);

  if (low && low->buffer3D) {
    if (followed) {
      for (SoundSample* s : mine) {
        if (!s) continue;
        s->SetPosition(p.position.x, p.position.y, p.position.z);
        s->SetVelocity(p.velocity.x, p.velocity.y, p.velocity.z);
      }
    } else if (other) {
      other->SetPosition(p.position.x, p.position.y, p.position.z);
      other->SetVelocity(p.velocity.x, p.velocity.y, p.velocity.z);
    }
  } else {
    const float dx = p.position.x - g_Camera.position.x;
    const float dy = p.position.y - g_Camera.position.y;
    const float dz = p.position.z - g_Camera.position.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float side = dx * g_Camera.view.m[0] + dy * g_Camera.view.m[4] + dz * g_Camera.view.m[8];
    if (d > 70.0f && followed) {
      for (SoundSample* s : mine) Stop(s);
      return;
    }
    if (!followed && d > 50.0f) {
      StopIfPlaying(other);
      return;
    }
    const std::int32_t far = Trunc(d * -30.0f);
    v = (far > -2000 ? far : -2000) + g_RiderSoundFade;
    std::int32_t pan = Trunc(side * 200.0f);
    pan = pan < -3000 ? -3000 : (pan > 3000 ? 3000 : pan);
    if (followed) {
      for (SoundSample* s : mine) {
        if (s) s->SetPan(pan);
      }
    } else if (other) {
      other->SetPan(pan);
    }
  }

  soundPhase += dt * 31.415924f;
  const std::int32_t w = Trunc(std::sin(soundPhase) * 100.0f);
  const float r = p.maxRevs != 0.0f ? p.revs / p.maxRevs : 0.0f;

  if (!followed) {
    if (state == RIDER_WAITING) {
      Volume(other, v - 1000);
      // The sample's own flag, which only Play and Stop change: a looped
      // sample plays until stopped, and asking the buffer would tie the
      // random pitch, and the draws after it, to the audio thread.
      if (other && !other->playing) {
        Frequency(other, 20000 + crt::rand() * 5000 / 32767);
        other->Play(true);
      }
    } else if (state == RIDER_RACING && !p.crashed) {
      Frequency(other, Trunc(r * 15000.0f + 10000.0f) + w);
      Volume(other, v);
      PlayLoopedUnlessPlaying(other);
    } else if (p.crashed) {
      StopIfPlaying(other);
    }
    return;
  }

  SoundSample* start = Slot(SLOT_START);
  if (state == RIDER_RACING) {
    Stop(start);
  } else if (state == RIDER_WAITING) {
    Volume(start, v);
    if (start) start->Play(true);
  }
  StopIfPlaying(other);

  const bool onGround = p.rearWheel.world.y - p.rearWheel.groundHeight < 0.1f;
  SoundSample* skid = Slot(SLOT_SKID);
  Volume(skid, v);
  if (p.brake > 0.0f && p.forwardSpeed > 8.0f && onGround) {
    if (skid && !Playing(skid)) skid->Play(false);
  } else {
    Stop(skid);
  }

  SoundSample* spin = Slot(SLOT_SPIN);
  const float excess = std::fabs(p.wheelRadius * p.rearWheel.spinRate - std::fabs(p.forwardSpeed)) * 0.36f;
  if (excess > 0.1f && !p.crashed && onGround) {
    Frequency(spin, 22050 + Trunc(r * 10000.0f));
    Volume(spin, v - Trunc((1.0f - r) * 600.0f));
    PlayLoopedUnlessPlaying(spin);
  } else {
    Stop(spin);
  }

  SoundSample* impact = Slot(SLOT_IMPACT);
  const std::int32_t e = ImpactVolume(dt * p.frontLoad, dt * p.rearLoad);
  if (e > -2000) {
    if (impact) {
      impact->SetVolume(e + v);
      impact->Rewind();
      impact->Play(false);
    }
  } else if (impact && !Playing(impact)) {
    impact->Stop();
  }

  if (p.crashed) {
    if (p.contactCount == 3) {
      Stop(low);
      Stop(high);
      Stop(coasting);
      smoothedRevs = 0.0f;
    }
  } else if (p.throttle > 0.1f || r < 0.2f) {
    PlayLoopedUnlessPlaying(low);
    PlayLoopedUnlessPlaying(high);
    StopIfPlaying(coasting);
  } else {
    StopIfPlaying(low);
    StopIfPlaying(high);
    PlayLoopedUnlessPlaying(coasting);
  }

  if (r > smoothedRevs) {
    smoothedRevs = r;
  } else {
    smoothedRevs += (r - smoothedRevs) * dt * 1.5f;
  }
  const float q = smoothedRevs;
  std::int32_t gLow = 0, gHigh = 0;
  EngineLayerGains(q, &gLow, &gHigh);
  Volume(low, v + gLow);
  Volume(high, v + gHigh);
  Volume(coasting, v + gHigh);
  const float highRange = skill == 0 ? 20000.0f : 25000.0f;
  Frequency(low, w + Trunc(q * 20000.0f + 22050.0f));
  Frequency(high, w + Trunc(q * highRange + 10000.0f));
  Frequency(coasting, w + Trunc(q * highRange + 10000.0f));

  if (track) {
    const float level = p.frontWheel.spinRate / 150.0f;
    track->listenerSpeedLevel = level < 1.0f ? level : 1.0f;
    track->listenerSection = p.frontWheel.sectionHint;
    track->listenerPosition = p.position;
  }
}
