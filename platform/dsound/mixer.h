// The software mixer behind the sound device: every playing secondary buffer
// is resampled (linear interpolation) to the output rate and added into a
// stereo float stream with its volume and pan gains.
//
// Threads: the owner (the game thread) changes a voice only under the
// mixer's lock and only for a few stores. Mix runs on the audio thread (or the
// test's thread): it copies the parameters of the playing voices into a fixed
// snapshot under the lock, mixes from the snapshot without holding anything,
// and writes the new play positions back under the lock unless the owner has
// moved or stopped the voice in between. Mix never allocates, and nothing
// allocates while holding the lock. Memory that a pass may be reading (a
// voice being removed, data about to be written) is only touched after
// WaitForPass.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/dsound/dsound.h"

namespace platform::dsound_detail {

// Volume or pan in hundredths of a decibel to a linear gain; -10000 and below
// is silence.
float HundredthsDbToGain(LONG hundredths);

struct Voice {
  // Fixed while the voice is registered.
  const BYTE* data = nullptr;
  std::uint32_t frames = 0;  // whole frames in the data
  WORD channels = 1;
  WORD bits = 8;

  // Guarded by the mixer's lock.
  bool playing = false;
  bool looping = false;
  bool locked = false;         // the owner is writing the data: not mixed
  std::uint64_t position = 0;  // frames, 32.32 fixed point
  std::uint32_t change = 0;    // bumped when the owner moves, stops or starts the voice
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
  std::uint32_t hz = 22050;
};

class Mixer {
 public:
  static constexpr int CHUNK_FRAMES = 512;

  std::mutex& Lock() { return lock_; }
  // Takes the lock itself. The list grows outside the lock, so that the
  // audio thread never waits on an allocation.
  void Add(Voice* voice);
  // Takes the lock itself; when it returns no pass reads the voice any more.
  void Remove(Voice* voice);
  // Returns once a pass that was running at the call has finished.
  void WaitForPass() const;

  // Mixes `frames` frames into `out` (interleaved stereo, overwritten).
  void Mix(float* out, int frames);

 private:
  struct Snapshot {
    Voice* voice;
    const BYTE* data;
    std::uint32_t frames;
    WORD channels;
    WORD bits;
    bool looping;
    bool ended;
    std::uint64_t position;
    std::uint64_t step;
    std::uint32_t change;
    float gainLeft;
    float gainRight;
  };

  void MixChunk(float* out, int frames);

  std::mutex lock_;
  // Changed only by the owner, under the lock; the owner may read it without.
  std::vector<Voice*> voices_;
  // Odd while a pass runs.
  std::atomic<std::uint64_t> passes_{0};
  std::array<Snapshot, SOUND_MAX_MIXED_VOICES> snapshot_{};
};

// The mixer of the open test device (null without one), for tests that
// watch its lock.
Mixer* TestMixer();

}  // namespace platform::dsound_detail
