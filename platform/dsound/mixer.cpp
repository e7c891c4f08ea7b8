#include "platform/dsound/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/dsound/output.h"

namespace platform::dsound_detail {

float HundredthsDbToGain(LONG hundredths) {
  if (hundredths <= DSBVOLUME_MIN) return 0.0f;
  if (hundredths == 0) return 1.0f;
  return std::pow(10.0f, static_cast<float>(hundredths) / 2000.0f);
}

void Mixer::Add(Voice* voice) {
  if (voices_.size() == voices_.capacity()) {
    // Only the owner changes the list, so it may be copied without the lock;
    // the old storage is freed when `grown` goes, after the lock is let go.
    std::vector<Voice*> grown;
    grown.reserve(std::max<std::size_t>(16, 2 * voices_.capacity()));
    grown.assign(voices_.begin(), voices_.end());
    std::lock_guard<std::mutex> hold(lock_);
    voices_.swap(grown);
  }
  std::lock_guard<std::mutex> hold(lock_);
  voices_.push_back(voice);
}

void Mixer::Remove(Voice* voice) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = std::find(voices_.begin(), voices_.end(), voice);
    if (it != voices_.end()) {
      *it = voices_.back();
      voices_.pop_back();
    }
  }
  WaitForPass();
}

void Mixer::WaitForPass() const {
  std::uint64_t seen = passes_.load();
  if ((seen & 1) == 0) return;
  while (passes_.load() == seen) std::this_thread::yield();
}

void Mixer::Mix(float* out, int frames) {
  while (frames > 0) {
    int n = std::min(frames, CHUNK_FRAMES);
    MixChunk(out, n);
    out += 2 * n;
    frames -= n;
  }
}

namespace {

constexpr float kFractionScale = 1.0f / 4294967296.0f;

template <int Bits>
inline float Sample(const BYTE* data, std::uint32_t index) {
  if constexpr (Bits == 8) {
    return static_cast<float>(static_cast<int>(data[index]) - 128);
  } else {
    std::int16_t v;
    std::memcpy(&v, data + 2 * static_cast<std::size_t>(index), 2);
    return static_cast<float>(v);
  }
}

// Adds `n` output frames of one voice into `out`. The gains already hold the
// scale of the sample format. Returns false when a one-shot ran off its end.
template <int Bits, int Channels>
bool MixVoice(const BYTE* data, std::uint32_t frames, bool looping, std::uint64_t* position, std::uint64_t step,
              float gainLeft, float gainRight, float* out, int n) {
  const std::uint64_t end = static_cast<std::uint64_t>(frames) << 32;
  // Below this position the frame after the current one lies inside the data.
  const std::uint64_t last = static_cast<std::uint64_t>(frames - 1) << 32;
  std::uint64_t pos = *position;
  int i = 0;
  while (i < n) {
    if (pos >= end) {
      if (!looping) {
        *position = pos;
        return false;
      }
      pos %= end;
    }
    if (pos < last) {
      std::uint64_t run = (last - pos + step - 1) / step;
      int count = static_cast<int>(std::min<std::uint64_t>(run, static_cast<std::uint64_t>(n - i)));
      float* o = out + 2 * i;
      for (int k = 0; k < count; ++k) {
        std::uint32_t idx = static_cast<std::uint32_t>(pos >> 32);
        float t = static_cast<float>(static_cast<std::uint32_t>(pos)) * kFractionScale;
        if constexpr (Channels == 1) {
          float a = Sample<Bits>(data, idx);
          float b = Sample<Bits>(data, idx + 1);
          float v = a + (b - a) * t;
          o[0] += v * gainLeft;
          o[1] += v * gainRight;
        } else {
          float al = Sample<Bits>(data, 2 * idx);
          float ar = Sample<Bits>(data, 2 * idx + 1);
          float bl = Sample<Bits>(data, 2 * idx + 2);
          float br = Sample<Bits>(data, 2 * idx + 3);
          o[0] += (al + (bl - al) * t) * gainLeft;
          o[1] += (ar + (br - ar) * t) * gainRight;
        }
        o += 2;
        pos += step;
      }
      i += count;
      continue;
    }
    // The last frame: it leads to the first one when looping, else it holds.
    std::uint32_t idx = frames - 1;
    std::uint32_t next = looping ? 0 : idx;
    float t = static_cast<float>(static_cast<std::uint32_t>(pos)) * kFractionScale;
    float* o = out + 2 * i;
    if constexpr (Channels == 1) {
      float a = Sample<Bits>(data, idx);
      float b = Sample<Bits>(data, next);
      float v = a + (b - a) * t;
      o[0] += v * gainLeft;
      o[1] += v * gainRight;
    } else {
      float al = Sample<Bits>(data, 2 * idx);
      float ar = Sample<Bits>(data, 2 * idx + 1);
      float bl = Sample<Bits>(data, 2 * next);
      float br = Sample<Bits>(data, 2 * next + 1);
      o[0] += (al + (bl - al) * t) * gainLeft;
      o[1] += (ar + (br - ar) * t) * gainRight;
    }
    pos += step;
    ++i;
  }
  if (pos >= end) {
    if (!looping) {
      *position = pos;
      return false;
    }
    pos %= end;
  }
  *position = pos;
  return true;
}

}  // namespace

void Mixer::MixChunk(float* out, int frames) {
  passes_.fetch_add(1);
  int count = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (Voice* v : voices_) {
      if (!v->playing || v->locked || v->frames == 0) continue;
      if (count == SOUND_MAX_MIXED_VOICES) break;
      Snapshot& s = snapshot_[count++];
      s.voice = v;
      s.data = v->data;
      s.frames = v->frames;
      s.channels = v->channels;
      s.bits = v->bits;
      s.looping = v->looping;
      s.ended = false;
      s.position = v->position;
      s.step = (static_cast<std::uint64_t>(v->hz) << 32) / SOUND_OUTPUT_RATE;
      s.change = v->change;
      float scale = v->bits == 8 ? 1.0f / 128.0f : 1.0f / 32768.0f;
      s.gainLeft = v->gainLeft * scale;
      s.gainRight = v->gainRight * scale;
    }
  }

  std::fill(out, out + 2 * frames, 0.0f);
  for (int i = 0; i < count; ++i) {
    Snapshot& s = snapshot_[i];
    bool going;
    if (s.bits == 8) {
      going =
          s.channels == 1
              ? MixVoice<8, 1>(s.data, s.frames, s.looping, &s.position, s.step, s.gainLeft, s.gainRight, out, frames)
              : MixVoice<8, 2>(s.data, s.frames, s.looping, &s.position, s.step, s.gainLeft, s.gainRight, out, frames);
    } else {
      going =
          s.channels == 1
              ? MixVoice<16, 1>(s.data, s.frames, s.looping, &s.position, s.step, s.gainLeft, s.gainRight, out, frames)
              : MixVoice<16, 2>(s.data, s.frames, s.looping, &s.position, s.step, s.gainLeft, s.gainRight, out, frames);
    }
    s.ended = !going;
  }

  {
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = 0; i < count; ++i) {
      const Snapshot& s = snapshot_[i];
      Voice* v = s.voice;
      // The owner moved, stopped or restarted the voice meanwhile: its word wins.
      if (v->change != s.change) continue;
      if (s.ended) {
        v->playing = false;
        v->position = 0;
      } else {
        v->position = s.position;
      }
    }
  }
  passes_.fetch_add(1);

  FinishOutput(out, frames);
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace platform::dsound_detail
