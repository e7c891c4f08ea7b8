#include "platform/win32/msgbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/game_root.h"

namespace {

class MessageBoxTest : public kelvtest::GameRootTest {};

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x1234)); }

TEST_F(MessageBoxTest, TestBackendRecordsAndAnswersFromTheScript) {
  platform::ScriptMessageBoxAnswers({IDCANCEL, IDOK});
  EXPECT_EQ(MessageBoxA(FakeWindow(), "Please insert the CD.", "Kelvarro", MB_OKCANCEL | MB_ICONEXCLAMATION),
            IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "second", "Kelvarro", MB_OKCANCEL), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "script used up", "Kelvarro", MB_OKCANCEL), IDOK);

  const auto& boxes = platform::RecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Please insert the CD.");
  EXPECT_EQ(boxes[0].caption, "Kelvarro");
  EXPECT_EQ(boxes[0].type, MB_OKCANCEL | MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes[0].owner, FakeWindow());
  EXPECT_EQ(boxes[2].text, "script used up");
  platform::ClearRecordedMessageBoxes();
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

// Without a display the box must not wait for anyone: the text goes to
// standard error (as UTF-8) and the answer is OK.
TEST_F(MessageBoxTest, HeadlessBoxWritesToStandardErrorAndAnswersOk) {
  platform::UseTestMessageBoxes(false);
  const char* old = std::getenv("SDL_VIDEODRIVER");
  std::string saved = old ? old : "";
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, "Caf\xe9 \x80 error.\nPlease reinstall.", "Kelvarro",
                           MB_TOPMOST | MB_ICONEXCLAMATION | MB_OKCANCEL);
  std::string err = testing::internal::GetCapturedStderr();
  if (old) setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
  platform::UseTestMessageBoxes(true);

  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(err, "Kelvarro: Caf\xc3\xa9 \xe2\x82\xac error.\nPlease reinstall.\n");
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

}  // namespace
