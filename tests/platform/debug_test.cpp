#include "platform/win32/debug.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(DebugOutput, GoesToStandardErrorOnlyWhenAskedFor) {
  platform::RecordDebugOutput(true);
  platform::ClearRecordedDebugOutput();

  unsetenv("KELVARRO_DEBUG_OUTPUT");
  testing::internal::CaptureStderr();
  OutputDebugStringA("quiet\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  setenv("KELVARRO_DEBUG_OUTPUT", "1", 1);
  testing::internal::CaptureStderr();
  OutputDebugStringA("loud\n");
  OutputDebugStringA(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "loud\n");
  unsetenv("KELVARRO_DEBUG_OUTPUT");

  EXPECT_EQ(platform::RecordedDebugOutput(), (std::vector<std::string>{"quiet\n", "loud\n"}));
  platform::RecordDebugOutput(false);
  OutputDebugStringA("not recorded\n");
  EXPECT_EQ(platform::RecordedDebugOutput().size(), 2u);
  platform::ClearRecordedDebugOutput();
}

}  // namespace
