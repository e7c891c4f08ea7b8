#include "platform/win32/msgbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/interrupt.h"
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
// standard error (as UTF-8) and nobody answers: Cancel where the box has it,
// so that a question asked again and again ends.
TEST_F(MessageBoxTest, HeadlessBoxWritesToStandardErrorAndNobodyAnswers) {
  const struct {
    UINT type;
    int answer;
  } cases[] = {{MB_TOPMOST | MB_ICONEXCLAMATION | MB_OKCANCEL, IDCANCEL}, {MB_TOPMOST | MB_ICONHAND, IDOK}};
  platform::UseTestMessageBoxes(false);
  const char* old = std::getenv("SDL_VIDEODRIVER");
  std::string saved = old ? old : "";
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    int answer = MessageBoxA(nullptr, "Caf\xe9 \x80 error.\nPlease reinstall.", "Kelvarro", c.type);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, c.answer) << c.type;
    EXPECT_EQ(err, "Kelvarro: Caf\xc3\xa9 \xe2\x82\xac error.\nPlease reinstall.\n") << c.type;
  }
  if (old) setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
  platform::UseTestMessageBoxes(true);
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

// After a Ctrl-C or SIGTERM nobody answers either, whatever the script says.
TEST_F(MessageBoxTest, AfterAnInterruptNobodyAnswers) {
  platform::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
  platform::InjectInterrupt(platform::SIGNAL_TERMINATE);
  const int okCancel = MessageBoxA(nullptr, "Please insert the CD.", "Kelvarro", MB_OKCANCEL);
  const int ok = MessageBoxA(nullptr, "Error.", "Kelvarro", MB_OK);
  platform::ClearInterrupt();
  EXPECT_EQ(okCancel, IDCANCEL);
  EXPECT_EQ(ok, IDOK);
  EXPECT_EQ(platform::RecordedMessageBoxes().size(), 2u);
  EXPECT_EQ(MessageBoxA(nullptr, "again", "Kelvarro", MB_OKCANCEL), IDOK) << "the script again";
}

}  // namespace
