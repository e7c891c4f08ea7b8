#include "platform/win32/timer.h"

#include <gtest/gtest.h>

namespace {

TEST(Timer, TestClockWrapsLikeTheRealOne) {
  platform::UseTestTime(0xFFFFFFF0u);
  DWORD start = timeGetTime();
  platform::AdvanceTime(0x20);
  EXPECT_EQ(timeGetTime(), 0x10u);
  EXPECT_EQ(timeGetTime() - start, 0x20u) << "elapsed time survives the wrap";
  Sleep(5);
  EXPECT_EQ(timeGetTime(), 0x15u) << "Sleep moves the test clock instead of waiting";
  platform::UseRealTime();
}

TEST(Timer, RealClockMovesForwardAcrossASleep) {
  platform::UseRealTime();
  DWORD start = timeGetTime();
  Sleep(20);
  DWORD elapsed = timeGetTime() - start;
  EXPECT_GE(elapsed, 19u);  // whole milliseconds at both ends
  EXPECT_LT(elapsed, 0x80000000u);
}

TEST(Timer, FramePacerHoldsSixtyFramesASecondAndStartsAgainAfterASlowFrame) {
  platform::UseTestTime(0xFFFFFF00u);  // the cadence survives the clock's wrap
  platform::FramePacer pacer(1000.0 / 60.0);
  const DWORD start = timeGetTime();
  EXPECT_EQ(pacer.Wait(), 0u) << "the first frame sets the cadence";
  // Sixty quick frames of 5 ms each take one second.
  for (int i = 0; i < 60; ++i) {
    platform::AdvanceTime(5);
    const DWORD waited = pacer.Wait();
    EXPECT_GE(waited, 11u) << i;
    EXPECT_LE(waited, 12u) << i;
  }
  EXPECT_EQ(timeGetTime() - start, 1000u);
  // A frame within its slot's period waits for nothing and keeps the cadence.
  platform::AdvanceTime(20);
  EXPECT_EQ(pacer.Wait(), 0u);
  platform::AdvanceTime(5);
  EXPECT_EQ(pacer.Wait(), 9u) << "back on the 60 Hz slots";
  // A frame late by more than a period is not followed by a rush.
  platform::AdvanceTime(100);
  EXPECT_EQ(pacer.Wait(), 0u);
  platform::AdvanceTime(5);
  EXPECT_EQ(pacer.Wait(), 12u);
  platform::UseRealTime();
}

}  // namespace
