// Milliseconds from the monotonic clock, or a test clock that moves only when
// told to.
#include "platform/win32/timer.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

bool g_TestTime = false;
DWORD g_TestNow = 0;
// The scripted run's clock: the calls in a row that found it standing.
bool g_ScriptTime = false;
DWORD g_StandingCalls = 0;
constexpr DWORD kWaitingCalls = 64;

}  // namespace

DWORD timeGetTime() {
  if (g_TestTime) {
    // A loop that keeps asking for the time without drawing or sleeping
    // waits for time to pass (a movie scene waits for its movie): it gets it.
    if (g_ScriptTime && ++g_StandingCalls >= kWaitingCalls) ++g_TestNow;
    return g_TestNow;
  }
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);  // wraps every 49.7 days, as callers expect
}

void Sleep(DWORD milliseconds) {
  if (g_TestTime) {
    g_TestNow += milliseconds;
    g_StandingCalls = 0;
    return;
  }
  if (milliseconds == 0) std::this_thread::yield();
  else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace platform {

void UseTestTime(DWORD ms) {
  g_TestTime = true;
  g_ScriptTime = false;
  g_TestNow = ms;
}

void UseScriptTime(DWORD ms) {
  UseTestTime(ms);
  g_ScriptTime = true;
  g_StandingCalls = 0;
}

void AdvanceTime(DWORD ms) {
  g_TestNow += ms;
  g_StandingCalls = 0;
}

void UseRealTime() { g_TestTime = g_ScriptTime = false; }

DWORD FramePacer::Wait() {
  const DWORD now = timeGetTime();
  if (!started_) {
    started_ = true;
    origin_ = now;
    next_ = periodMs_;
    return 0;
  }
  const double at = static_cast<double>(static_cast<DWORD>(now - origin_));
  DWORD waited = 0;
  if (at < next_) {
    // The slots fall between whole milliseconds; a rounding error of the
    // sum must not add a millisecond.
    waited = static_cast<DWORD>(std::ceil(next_ - at - 1e-6));
    Sleep(waited);
    next_ += periodMs_;
  } else if (at - next_ > periodMs_) {
    next_ = at + periodMs_;
  } else {
    next_ += periodMs_;
  }
  // Keep the numbers small: move the origin up to the last whole slot.
  const double shift = std::floor(next_ - periodMs_);
  if (shift > 0.0) {
    origin_ += static_cast<DWORD>(shift);
    next_ -= shift;
  }
  return waited;
}

}  // namespace platform
