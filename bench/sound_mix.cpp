// The sound mixer's speed as a multiple of real time.
//
// Real time here: seconds of 44.1 kHz stereo output mixed per CPU second of
// the mixing thread, with `voices` looping 16-bit mono sounds of 22,050 Hz
// playing, and every voice's volume, pan and frequency changed once per game
// frame (1/60 s of output, 735 frames), as a race does. 1x is what the game
// needs; the goal is at least 200x for 32 voices (the counter x_real_time),
// which keeps the audio thread under half a percent of one core.
//
// The mix is the one the SDL audio callback runs, driven through the test
// backend so that no device paces it. Each repetition starts from the same
// sounds and the same seeded parameter sequence and mixes the same number of
// game frames, so the repetitions do identical work and their spread is the
// machine's; the aggregates give mean, median, spread and range.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "tools/sfx.h"

namespace {

constexpr int FRAME_SAMPLES = platform::SOUND_OUTPUT_RATE / 60;
// Game frames per repetition: 200 s of output.
constexpr int GAME_FRAMES = 12000;

void BM_MixVoices(benchmark::State& state) {
  const int voiceCount = static_cast<int>(state.range(0));
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
  for (int v = 0; v < voiceCount; ++v) {
    // Engine-like tones of about a second each, of different lengths so that
    // the loops do not line up.
    kelvdata::Bytes pcm = kelvdata::SineTonePcm(16, 1, 22050, 80.0 + 13.0 * v, 0.2, 22050 - 97 * (v % 64));
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
  // Divided by the loop's CPU time: seconds of output per CPU second.
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * FRAME_SAMPLES / platform::SOUND_OUTPUT_RATE,
                         benchmark::Counter::kIsRate);

  for (IDirectSoundBuffer* b : voices) b->Release();
  ds->Release();
  platform::UseTestSound(false);
}
BENCHMARK(BM_MixVoices)
    ->ArgName("voices")
    ->Arg(32)
    ->Iterations(GAME_FRAMES)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->Unit(benchmark::kMicrosecond);

}  // namespace
