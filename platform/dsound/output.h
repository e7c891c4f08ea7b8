// The last stage of the program's audio output: the gains of the mixer lines
// and the streamed sources that are not DirectSound buffers (CD audio).
// Process-wide, so that the lines and the CD exist before and after the sound
// device; whichever device is open mixes them in.
//
// Threads: the gains are set from the game thread and read by the audio
// thread without a lock. A stream is read by the audio thread under the
// stage's lock, so that once DetachOutputStream returns no pass reads it.
#pragma once

#include "platform/dsound/dsound.h"

namespace platform {

// The program's own gains, never the desktop's volume: MASTER scales all that
// the program plays, WAVE every secondary buffer, CD the CD stream.
enum class OutputGain { MASTER, WAVE, CD, COUNT };

// Linear gains 0..1 per channel; all start at 1.
void SetOutputGain(OutputGain which, float left, float right);
void GetOutputGain(OutputGain which, float* left, float* right);

// A source of interleaved stereo floats at SOUND_OUTPUT_RATE, mixed in under
// the CD and master gains. Read runs on the audio thread and must not block:
// it fills what it has and leaves the rest of `out` untouched. Only when
// `wait` is set (rendering into memory, where no clock runs) may it wait
// until it has the frames or has none to come.
class OutputStream {
 public:
  virtual void Read(float* out, int frames, bool wait) = 0;

 protected:
  ~OutputStream() = default;
};

// One CD stream at a time; attaching replaces the one before.
void AttachOutputStream(OutputStream* stream);
// When it returns, no pass reads the stream any more.
void DetachOutputStream(OutputStream* stream);

// Rendering into memory (RenderMix): the stream is waited for instead of
// being mixed as far as it has arrived, so that the rendered sound does not
// depend on the reader thread's pace. Off by default.
void WaitForOutputStreams(bool on);

}  // namespace platform

namespace platform::dsound_detail {

// Called by the mixer with the voices' sum in `out` (interleaved stereo),
// before it clips: applies the wave gain, adds the CD stream under its gain
// and applies the master gain.
void FinishOutput(float* out, int frames);

}  // namespace platform::dsound_detail
