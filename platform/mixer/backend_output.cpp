// The real backend: the lines are gains of the program's audio output.
#include "platform/dsound/output.h"
#include "platform/mixer/backend.h"

namespace mixer_detail {
namespace {

class OutputBackend final : public Backend {
 public:
  bool Present() override { return true; }
  void Bounds(DWORD* minimum, DWORD* maximum) override {
    *minimum = 0;
    *maximum = platform::MIXER_VOLUME_MAX;
  }
  void Apply(Line line, float left, float right) override {
    switch (line) {
      case Line::MASTER:
        platform::SetOutputGain(platform::OutputGain::MASTER, left, right);
        break;
      case Line::CD:
        platform::SetOutputGain(platform::OutputGain::CD, left, right);
        break;
      case Line::WAVE:
        platform::SetOutputGain(platform::OutputGain::WAVE, left, right);
        break;
      default:  // no source behind the line
        break;
    }
  }
};

}  // namespace

Backend* MakeOutputBackend() { return new OutputBackend; }

}  // namespace mixer_detail
