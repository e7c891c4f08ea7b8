#include "platform/dsound/output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

namespace {

constexpr int kGains = static_cast<int>(platform::OutputGain::COUNT);

struct Stage {
  std::array<std::atomic<float>, 2 * kGains> gains;
  std::mutex lock;
  platform::OutputStream* stream = nullptr;
  std::atomic<bool> wait{false};
  // The stream's samples, read a piece at a time.
  std::array<float, 2 * 4096> scratch{};

  Stage() {
    for (auto& g : gains) g.store(1.0f);
  }
};

// Never destroyed: the audio thread may still run during exit handlers.
Stage& S() {
  static Stage* stage = new Stage;
  return *stage;
}

// Made before main, so that the first mix does not allocate it.
const bool g_stageMade = (S(), true);

int Index(platform::OutputGain which) { return 2 * static_cast<int>(which); }

}  // namespace

namespace platform {

void SetOutputGain(OutputGain which, float left, float right) {
  if (which == OutputGain::COUNT) return;
  S().gains[Index(which)].store(left);
  S().gains[Index(which) + 1].store(right);
}

void GetOutputGain(OutputGain which, float* left, float* right) {
  if (which == OutputGain::COUNT) return;
  if (left) *left = S().gains[Index(which)].load();
  if (right) *right = S().gains[Index(which) + 1].load();
}

void AttachOutputStream(OutputStream* stream) {
  std::lock_guard<std::mutex> hold(S().lock);
  S().stream = stream;
}

void DetachOutputStream(OutputStream* stream) {
  std::lock_guard<std::mutex> hold(S().lock);
  if (S().stream == stream) S().stream = nullptr;
}

void WaitForOutputStreams(bool on) { S().wait.store(on); }

}  // namespace platform

namespace platform::dsound_detail {

void FinishOutput(float* out, int frames) {
  Stage& s = S();
  const float waveL = s.gains[Index(OutputGain::WAVE)].load();
  const float waveR = s.gains[Index(OutputGain::WAVE) + 1].load();
  const float cdL = s.gains[Index(OutputGain::CD)].load();
  const float cdR = s.gains[Index(OutputGain::CD) + 1].load();
  const float masterL = s.gains[Index(OutputGain::MASTER)].load();
  const float masterR = s.gains[Index(OutputGain::MASTER) + 1].load();
  for (int i = 0; i < frames; ++i) {
    out[2 * i] *= waveL;
    out[2 * i + 1] *= waveR;
  }
  {
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.stream != nullptr) {
      int done = 0;
      while (done < frames) {
        const int n = std::min(frames - done, static_cast<int>(s.scratch.size() / 2));
        std::fill(s.scratch.begin(), s.scratch.begin() + 2 * n, 0.0f);
        s.stream->Read(s.scratch.data(), n, s.wait.load());
        float* o = out + 2 * done;
        for (int i = 0; i < n; ++i) {
          o[2 * i] += s.scratch[2 * i] * cdL;
          o[2 * i + 1] += s.scratch[2 * i + 1] * cdR;
        }
        done += n;
      }
    }
  }
  for (int i = 0; i < frames; ++i) {
    out[2 * i] *= masterL;
    out[2 * i + 1] *= masterR;
  }
}

}  // namespace platform::dsound_detail
