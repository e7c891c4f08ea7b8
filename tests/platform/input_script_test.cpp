#include "platform/win32/input_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/timer.h"
#include "platform/win32/window.h"

namespace {

using platform::ScriptAction;
using platform::ScriptStep;

ScriptStep Key(long frame, ScriptAction action, UINT vk, bool extended = false) {
  ScriptStep s;
  s.frame = frame;
  s.action = action;
  s.vk = vk;
  s.extended = extended;
  return s;
}

ScriptStep Mouse(long frame, ScriptAction action, int button, int dx = 0, int dy = 0) {
  ScriptStep s;
  s.frame = frame;
  s.action = action;
  s.button = button;
  s.dx = dx;
  s.dy = dy;
  return s;
}

ScriptStep Shot(long frame, const char* file) {
  ScriptStep s;
  s.frame = frame;
  s.action = ScriptAction::SHOT;
  s.file = file;
  return s;
}

ScriptStep Close(long frame) {
  ScriptStep s;
  s.frame = frame;
  s.action = ScriptAction::CLOSE;
  return s;
}

constexpr auto DOWN = ScriptAction::KEY_DOWN;
constexpr auto UP = ScriptAction::KEY_UP;

TEST(InputScriptTest, ReadsEachKindOfLine) {
  struct Case {
    const char* line;
    ScriptStep step;
  };
  const Case cases[] = {
      {"60 key-down RETURN", Key(60, DOWN, VK_RETURN)},
      {"61 key-up return", Key(61, UP, VK_RETURN)},
      {"  7\tkey-down   LEFT  ", Key(7, DOWN, VK_LEFT, true)},
      {"1 key-down RCONTROL", Key(1, DOWN, VK_CONTROL, true)},
      {"1 key-down CONTROL", Key(1, DOWN, VK_CONTROL)},
      {"2 key-down NUMPAD4", Key(2, DOWN, VK_NUMPAD4)},
      {"3 key-down F12", Key(3, DOWN, VK_F12)},
      {"4 key-down a", Key(4, DOWN, 'A')},
      {"5 key-up 7", Key(5, UP, '7')},
      {"9 key-down ESCAPE\r", Key(9, DOWN, VK_ESCAPE)},
      {"10 mouse-move -2000 +35", Mouse(10, ScriptAction::MOUSE_MOVE, 0, -2000, 35)},
      {"11 mouse-down left", Mouse(11, ScriptAction::MOUSE_DOWN, 1)},
      {"12 mouse-up RIGHT", Mouse(12, ScriptAction::MOUSE_UP, 3)},
      {"12 mouse-down MIDDLE", Mouse(12, ScriptAction::MOUSE_DOWN, 2)},
      {"6 shot menu.png", Shot(6, "menu.png")},
      {"6 shot  my shots/menu 1.png ", Shot(6, "my shots/menu 1.png")},
      {"8 close ", Close(8)},
  };
  for (const Case& c : cases) {
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(platform::ParseInputScript(c.line, &steps, &error)) << c.line << ": " << error;
    ASSERT_EQ(steps.size(), 1u) << c.line;
    EXPECT_EQ(steps[0], c.step) << c.line;
  }
}

TEST(InputScriptTest, RefusesBadLinesNamingThem) {
  struct Case {
    const char* line;
    const char* error;
  };
  const Case cases[] = {
      {"key-down RETURN", "line 2: the frame \"key-down\" is not a number from 1"},
      {"0 key-down RETURN", "line 2: the frame \"0\" is not a number from 1"},
      {"-5 key-down RETURN", "line 2: the frame \"-5\" is not a number from 1"},
      {"1.5 key-down RETURN", "line 2: the frame \"1.5\" is not a number from 1"},
      {"99999999999999999999 key-down RETURN", "line 2: the frame \"99999999999999999999\" is not a number from 1"},
      {"10 press RETURN", "line 2: \"press\" is none of key-down, key-up, mouse-move, mouse-down, mouse-up, shot, close"},
      {"10", "line 2: \"\" is none of key-down, key-up, mouse-move, mouse-down, mouse-up, shot, close"},
      {"10 key-down", "line 2: one key name expected after key-down"},
      {"10 key-up LEFT RIGHT", "line 2: one key name expected after key-up"},
      {"10 key-down VK_RETURN", "line 2: unknown key \"VK_RETURN\""},
      {"10 key-down ENTER", "line 2: unknown key \"ENTER\""},
      {"10 key-down +", "line 2: unknown key \"+\""},
      {"10 shot", "line 2: a shot without a file"},
      {"10 close now", "line 2: close takes nothing after it"},
      {"10 mouse-move 5", "line 2: mouse-move wants two whole numbers of pixels"},
      {"10 mouse-move 5 6 7", "line 2: mouse-move wants two whole numbers of pixels"},
      {"10 mouse-move 5 1e3", "line 2: mouse-move wants two whole numbers of pixels"},
      {"10 mouse-move - 6", "line 2: mouse-move wants two whole numbers of pixels"},
      {"10 mouse-move 999999 6", "line 2: mouse-move wants two whole numbers of pixels"},
      {"10 mouse-down", "line 2: unknown mouse button \"\""},
      {"10 mouse-up BUTTON4", "line 2: unknown mouse button \"BUTTON4\""},
  };
  for (const Case& c : cases) {
    std::vector<ScriptStep> steps = {Key(1, DOWN, 'A')};
    std::string error;
    // The bad line comes after a good one: nothing of the script is kept.
    EXPECT_FALSE(platform::ParseInputScript(std::string("1 key-down A\n") + c.line + "\n", &steps, &error)) << c.line;
    EXPECT_EQ(error, c.error) << c.line;
    EXPECT_EQ(steps.size(), 1u) << "the caller's steps untouched: " << c.line;
  }
}

TEST(InputScriptTest, SkipsCommentsAndBlankLinesAndOrdersByFrameKeepingTheWrittenOrder) {
  std::vector<ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(platform::ParseInputScript("# the menu\n\n   \n20 key-up RETURN\n10 key-down RETURN\n20 shot a.png\n"
                                         "  # indented comment\n10 key-down RIGHT",
                                         &steps, &error))
      << error;
  const std::vector<ScriptStep> expected = {Key(10, DOWN, VK_RETURN), Key(10, DOWN, VK_RIGHT, true),
                                            Key(20, UP, VK_RETURN), Shot(20, "a.png")};
  EXPECT_EQ(steps, expected);
}

struct Seen {
  UINT message;
  WPARAM wParam;
  bool operator==(const Seen&) const = default;
};
std::vector<Seen> g_seen;

LRESULT SeenProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR) g_seen.push_back({m, w});
  if (m == WM_CLOSE) {
    g_seen.push_back({m, 0});
    return 0;
  }
  return DefWindowProcA(h, m, w, l);
}

// The script that KELVARRO_SCRIPT names, played on the test windowing.
class InputScriptRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseTestWindowing(true);
    platform::SetTextLanguage(0);
    platform::UseTestTime(1000);
    g_seen.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = SeenProc;
    wc.lpszClassName = "SCRIPTED";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = CreateWindowExA(0, "SCRIPTED", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    SetFocus(window_);
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = (std::filesystem::temp_directory_path() / ("kelv_script_" + name + ".txt")).string();
  }
  void TearDown() override {
    unsetenv("KELVARRO_SCRIPT");
    std::remove(path_.c_str());
    platform::StartInputScript();
    platform::UseTestWindowing(false);
    platform::UseRealTime();
  }
  void Write(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    setenv("KELVARRO_SCRIPT", path_.c_str(), 1);
  }
  // One frame presented: the script's steps, then the game's message loop.
  std::vector<Seen> Frame(long n) {
    platform::RunInputScript(n, nullptr);
    g_seen.clear();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return g_seen;
  }

  HWND window_ = nullptr;
  std::string path_;
};

TEST_F(InputScriptRunTest, KeysReachTheFocusedWindowAfterTheirFrameWithTheirCharacters) {
  Write("2 key-down SHIFT\n2 key-down K\n3 key-up K\n3 key-up SHIFT\n3 key-down K\n"
        "3 key-down 4\n5 key-down RETURN\n");
  ASSERT_TRUE(platform::StartInputScript());
  EXPECT_EQ(Frame(1), std::vector<Seen>{});
  EXPECT_EQ(Frame(2), (std::vector<Seen>{{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'K'}, {WM_CHAR, 'K'}}));
  EXPECT_EQ(Frame(3), (std::vector<Seen>{{WM_KEYUP, 'K'}, {WM_KEYUP, VK_SHIFT}, {WM_KEYDOWN, 'K'}, {WM_CHAR, 'k'},
                                         {WM_KEYDOWN, '4'}, {WM_CHAR, '4'}}));
  // A frame skipped (the program presents every frame, but nothing is lost
  // if it did not): frame 5's key comes at the first frame from 5.
  EXPECT_EQ(Frame(6), (std::vector<Seen>{{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'}}));
  EXPECT_EQ(Frame(7), std::vector<Seen>{});
}

TEST_F(InputScriptRunTest, CloseIsTheWindowsCloseBox) {
  Write("2 close\n");
  ASSERT_TRUE(platform::StartInputScript());
  EXPECT_EQ(Frame(1), std::vector<Seen>{});
  EXPECT_EQ(Frame(2), (std::vector<Seen>{{WM_CLOSE, 0}}));
}

TEST_F(InputScriptRunTest, AScriptedRunPresentsAtMostSixtyFramesASecond) {
  Write("100 key-down RETURN\n");
  ASSERT_TRUE(platform::StartInputScript());
  const DWORD start = timeGetTime();
  Frame(1);
  EXPECT_EQ(timeGetTime() - start, 16u) << "a frame drawn at once is held";
  platform::AdvanceTime(10);
  Frame(2);
  EXPECT_EQ(timeGetTime() - start, 32u) << "held for the rest of its time";
  platform::AdvanceTime(40);
  Frame(3);
  EXPECT_EQ(timeGetTime() - start, 72u) << "a slow frame is not held";
}

TEST_F(InputScriptRunTest, AScriptedRunOnTheFrameClockKeepsItsOwnClockFromAFixedStart) {
  platform::UseRealTime();
  Write("100 key-down RETURN\n");
  setenv("KELVARRO_FRAME_CLOCK", "1", 1);
  const bool started = platform::StartInputScript();
  unsetenv("KELVARRO_FRAME_CLOCK");
  ASSERT_TRUE(started);
  // The same start on every run, whatever the machine's clock says.
  const DWORD start = timeGetTime();
  EXPECT_EQ(start, 100000u);
  Frame(1);
  Frame(2);
  EXPECT_EQ(timeGetTime() - start, 34u) << "two frames drawn at once are two frames of a 60 Hz display";
  // A wait of the program's own moves the clock, and the beat goes on from it.
  platform::AdvanceTime(5);
  Sleep(5);
  Frame(3);
  EXPECT_EQ(timeGetTime() - start, 50u);
}

TEST(ScriptTimeTest, StandsButForALoopThatWaitsOnIt) {
  // A movie scene presents nothing while it waits for its movie's time.
  platform::UseScriptTime(5000);
  for (int call = 1; call < 64; ++call) ASSERT_EQ(timeGetTime(), 5000u) << call;
  EXPECT_EQ(timeGetTime(), 5001u);
  EXPECT_EQ(timeGetTime(), 5002u);
  Sleep(10);
  EXPECT_EQ(timeGetTime(), 5012u) << "a wait ends the row";
  platform::AdvanceTime(0);
  for (int call = 1; call < 64; ++call) ASSERT_EQ(timeGetTime(), 5012u) << call;
  EXPECT_EQ(timeGetTime(), 5013u);
  platform::UseTestTime(5000);
  for (int call = 1; call < 100; ++call) ASSERT_EQ(timeGetTime(), 5000u) << "a test's own time never moves by itself";
  platform::UseRealTime();
}

TEST_F(InputScriptRunTest, AMissingOrBadScriptIsRefusedAndNoneIsNoScript) {
  EXPECT_TRUE(platform::StartInputScript()) << "no variable";
  Write("1 key-down RETURN\n2 key-down NOSUCHKEY\n");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::StartInputScript());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("line 2: unknown key \"NOSUCHKEY\""), std::string::npos);
  EXPECT_EQ(Frame(1), std::vector<Seen>{}) << "nothing of a refused script plays";
  std::remove(path_.c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::StartInputScript());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot read"), std::string::npos);
  Write("");
  EXPECT_TRUE(platform::StartInputScript()) << "an empty script";
}

}  // namespace
