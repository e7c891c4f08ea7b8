// Milliseconds from the monotonic clock, or a test clock that moves only when
// told to.
#include "platform/win32/timer.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace {

bool g_TestTime = false;
DWORD g_TestNow = 0;

}  // namespace

DWORD timeGetTime() {
  if (g_TestTime) return g_TestNow;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);  // wraps every 49.7 days, as callers expect
}

void Sleep(DWORD milliseconds) {
  if (g_TestTime) {
    g_TestNow += milliseconds;
    return;
  }
  if (milliseconds == 0) std::this_thread::yield();
  else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace platform {

void UseTestTime(DWORD ms) {
  g_TestTime = true;
  g_TestNow = ms;
}

void AdvanceTime(DWORD ms) { g_TestNow += ms; }

void UseRealTime() { g_TestTime = false; }

}  // namespace platform
