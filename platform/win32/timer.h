// Time: timeGetTime, milliseconds from a monotonic clock, wrapping at 2^32.
#pragma once

#include "platform/win32/types.h"

DWORD timeGetTime();
void Sleep(DWORD milliseconds);

namespace platform {

// Test backend: time stands at `ms` and moves only by AdvanceTime (and Sleep).
void UseTestTime(DWORD ms);
void AdvanceTime(DWORD ms);
void UseRealTime();

// A scripted run's clock: the test time, moved on by AdvanceTime as frames
// are presented and by Sleep; a program that asks for the time 64 times in a
// row without either (a loop waiting for time to pass) sees it move on by a
// millisecond at each further call.
void UseScriptTime(DWORD ms);

// Holds a loop to a steady rate where nothing else does (a buffer swap that
// does not wait for the display): Wait returns at the next slot, `periodMs`
// after the previous one, or at once when the frame took longer; a loop that
// fell more than a period behind starts a new cadence rather than rushing to
// catch up. It waits through Sleep, so under the test time it only moves the
// test clock.
class FramePacer {
 public:
  explicit FramePacer(double periodMs) : periodMs_(periodMs) {}
  // The milliseconds waited.
  DWORD Wait();

 private:
  double periodMs_;
  bool started_ = false;
  DWORD origin_ = 0;
  double next_ = 0.0;  // ms after origin_
};

}  // namespace platform
