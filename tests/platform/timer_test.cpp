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

}  // namespace
