// The test backend: the output's lines, shaped and failing as the test says,
// every call recorded. Its gains reach the output too, so that a test can
// hear a line.
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "platform/mixer/backend.h"

namespace mixer_detail {
namespace {

struct TestState {
  bool active = false;
  bool present = true;
  std::array<bool, static_cast<int>(Line::COUNT)> missing{};
  std::array<bool, static_cast<int>(Line::COUNT)> withoutControls{};
  DWORD minimum = 0;
  DWORD maximum = platform::MIXER_VOLUME_MAX;
  std::array<bool, static_cast<int>(platform::TestMixerFailure::COUNT)> failures{};
  std::vector<platform::MixerCall> calls;
  std::function<void(const platform::MixerCall&)> observer;
};

TestState& T() {
  static TestState s;
  return s;
}

class TestBackend final : public Backend {
 public:
  explicit TestBackend(Backend* output) : output_(output) {}
  bool Present() override { return T().present; }
  bool LineMissing(Line line) override { return T().missing[static_cast<int>(line)]; }
  bool LineWithoutControls(Line line) override { return T().withoutControls[static_cast<int>(line)]; }
  void Bounds(DWORD* minimum, DWORD* maximum) override {
    *minimum = T().minimum;
    *maximum = T().maximum;
  }
  void Apply(Line line, float left, float right) override { output_->Apply(line, left, right); }
  bool Fails(platform::TestMixerFailure call) override { return T().failures[static_cast<int>(call)]; }
  void Note(const platform::MixerCall& call) override {
    T().calls.push_back(call);
    if (T().observer) T().observer(call);
  }

 private:
  Backend* output_;
};

Line LineOfType(DWORD type) {
  switch (type) {
    case MIXERLINE_COMPONENTTYPE_DST_SPEAKERS:
      return Line::MASTER;
    case MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC:
      return Line::CD;
    case MIXERLINE_COMPONENTTYPE_SRC_DIGITAL:
      return Line::DIGITAL;
    case MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY:
      return Line::AUX;
    case MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT:
      return Line::WAVE;
    case MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER:
      return Line::SYNTH;
    default:
      return Line::COUNT;
  }
}

}  // namespace

bool TestBackendActive() { return T().active; }

Backend& CurrentBackend() {
  static Backend* output = MakeOutputBackend();
  static Backend* test = new TestBackend(output);
  return T().active ? *test : *output;
}

}  // namespace mixer_detail

namespace platform {

using mixer_detail::T;

void UseTestMixer(bool on) {
  T() = mixer_detail::TestState();
  T().active = on;
  mixer_detail::ResetLines();
}

void FailTestMixer(TestMixerFailure call, bool fail) {
  if (call != TestMixerFailure::COUNT) T().failures[static_cast<int>(call)] = fail;
}

void SetTestMixerPresent(bool present) { T().present = present; }

void SetTestMixerLineMissing(DWORD componentType, bool missing) {
  mixer_detail::Line line = mixer_detail::LineOfType(componentType);
  if (line != mixer_detail::Line::COUNT) T().missing[static_cast<int>(line)] = missing;
}

void SetTestMixerLineWithoutControls(DWORD componentType, bool without) {
  mixer_detail::Line line = mixer_detail::LineOfType(componentType);
  if (line != mixer_detail::Line::COUNT) T().withoutControls[static_cast<int>(line)] = without;
}

void SetTestMixerVolumeBounds(DWORD minimum, DWORD maximum) {
  T().minimum = minimum;
  T().maximum = maximum;
  mixer_detail::ResetLines();
}

const std::vector<MixerCall>& RecordedMixerCalls() { return T().calls; }

void ClearRecordedMixerCalls() { T().calls.clear(); }

void SetMixerCallObserver(std::function<void(const MixerCall&)> observer) { T().observer = std::move(observer); }

}  // namespace platform
