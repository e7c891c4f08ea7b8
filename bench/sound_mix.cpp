// Mixing 32 looping voices of 22,050 Hz mono (16-bit) into 44.1 kHz stereo,
// with every voice's volume, pan and frequency changed once per game frame
// (1/60 s). Goal: at least 200 seconds of audio mixed per second of CPU
// ("audio_s_per_cpu_s"), under half a percent of one core while a race runs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "tools/sfx.h"

namespace {

constexpr int VOICES = 32;
constexpr int FRAME_SAMPLES = platform::SOUND_OUTPUT_RATE / 60;

void BM_MixVoices(benchmark::State& state) {
  platform::UseTestSound(true);
  platform::RecordSoundCalls(false);
  IDirectSound* ds = nullptr;
  if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) {
    state.SkipWithError("no sound device");
    return;
  }
  ds->SetCooperativeLevel(reinterpret_cast<HWND>(static_cast<std::intptr_t>(1)), DSSCL_NORMAL);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  std::vector<IDirectSoundBuffer*> voices;
  for (int v = 0; v < VOICES; ++v) {
    // Engine-like tones of one second each, different lengths so that the
    // loops do not line up.
    kelvdata::Bytes pcm = kelvdata::SineTonePcm(16, 1, 22050, 80.0 + 13.0 * v, 0.2, 22050 - 97 * v);
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY,
                   static_cast<DWORD>(pcm.size()), 0, &f};
    IDirectSoundBuffer* b = nullptr;
    if (ds->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) {
      state.SkipWithError("buffer creation failed");
      return;
    }
    void* p1;
    void* p2;
    DWORD n1, n2;
    b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER);
    std::memcpy(p1, pcm.data(), n1);
    b->Unlock(p1, n1, p2, n2);
    b->Play(0, 0, DSBPLAY_LOOPING);
    voices.push_back(b);
  }

  std::vector<float> out(2 * FRAME_SAMPLES);
  std::uint32_t x = 2024;
  auto next = [&x] {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
  };
  for (auto _ : state) {
    for (IDirectSoundBuffer* b : voices) {
      b->SetVolume(-static_cast<LONG>(next() % 3000));
      b->SetPan(static_cast<LONG>(next() % 4001) - 2000);
      b->SetFrequency(11025 + next() % 33075);
    }
    platform::RenderMix(FRAME_SAMPLES, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * FRAME_SAMPLES / platform::SOUND_OUTPUT_RATE,
                         benchmark::Counter::kIsRate);

  for (IDirectSoundBuffer* b : voices) b->Release();
  ds->Release();
  platform::UseTestSound(false);
}
BENCHMARK(BM_MixVoices);

}  // namespace
