// Inside the mixer layer: what the program's output (or the test backend)
// offers the mixer API. The line values live in the API layer; a backend
// decides whether the device exists, how its lines look, and where the gains
// go.
#pragma once

#include "platform/mixer/mixer.h"

namespace mixer_detail {

enum class Line { MASTER, CD, DIGITAL, AUX, WAVE, SYNTH, COUNT };

class Backend {
 public:
  virtual ~Backend() = default;
  virtual bool Present() = 0;
  virtual bool LineMissing(Line) { return false; }
  virtual bool LineWithoutControls(Line) { return false; }
  virtual void Bounds(DWORD* minimum, DWORD* maximum) = 0;
  // A line's gains changed: linear 0..1 per channel, muting included.
  virtual void Apply(Line line, float left, float right) = 0;
  // Test backend only.
  virtual bool Fails(platform::TestMixerFailure) { return false; }
  virtual void Note(const platform::MixerCall&) {}
};

// The test backend while platform::UseTestMixer is on, else the output's.
Backend& CurrentBackend();
Backend* MakeOutputBackend();
Backend* MakeTestBackend();
bool TestBackendActive();
// Back to full volume, unmuted (the start of a run).
void ResetLines();

}  // namespace mixer_detail
