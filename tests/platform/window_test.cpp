#include "platform/win32/window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/interrupt.h"

namespace {

struct Delivered {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Delivered&) const = default;
};

std::vector<Delivered> g_log;
// Per-test behaviour of the procedure; unset means DefWindowProcA.
std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> g_handler;

LRESULT CALLBACK_Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_log.push_back({h, m, w, l});
  if (g_handler) return g_handler(h, m, w, l);
  return DefWindowProcA(h, m, w, l);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseTestWindowing(true);
    platform::SetTextLanguage(0);
    g_log.clear();
    g_handler = nullptr;
    WNDCLASSA wc{};
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = "QDVCLASS";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    g_handler = nullptr;
    platform::ClearInterrupt();
    platform::UseTestWindowing(false);
  }

  HWND Create(DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, HWND parent = nullptr) {
    return CreateWindowExA(0, "QDVCLASS", "Kelvarro", style, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN), parent, nullptr, nullptr, nullptr);
  }

  // Runs the game's loop until no message waits; returns the messages
  // dispatched (WM_QUIT ends the run and is included).
  std::vector<Delivered> Drain() {
    std::vector<Delivered> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      out.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return out;
  }

  static std::vector<UINT> Messages(const std::vector<Delivered>& v) {
    std::vector<UINT> out;
    for (const auto& d : v) out.push_back(d.message);
    return out;
  }
};

TEST_F(WindowTest, ClassesAndCreation) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CALLBACK_Proc;
  wc.lpszClassName = "qdvclass";  // names compare without regard to case
  EXPECT_EQ(RegisterClassA(&wc), 0);
  wc.lpszClassName = "Other";
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassA(&wc), 0);

  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(Create(WS_CHILD), nullptr) << "a child needs a parent";

  // A failing WM_CREATE destroys the window.
  g_handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return m == WM_CREATE ? -1 : DefWindowProcA(h, m, w, l);
  };
  EXPECT_EQ(Create(), nullptr);
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  g_handler = nullptr;

  g_log.clear();
  HWND h = Create();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(platform::NativeWindow(h), nullptr) << "virtual windows have no SDL window";
  // A visible top-level window becomes the active one.
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_CREATE, 0, 0},
                                           {h, WM_ACTIVATEAPP, TRUE, 0},
                                           {h, WM_ACTIVATE, WA_ACTIVE, 0}}));
}

TEST_F(WindowTest, PostedSentAndQuitOrder) {
  HWND h = Create();
  g_log.clear();
  g_handler = [h](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER + 1) {
      // Sent from inside a dispatch: handled before the next posted message.
      EXPECT_EQ(SendMessageA(h, WM_USER + 10, 5, 6), 99);
      PostQuitMessage(3);
    }
    if (m == WM_USER + 10) return 99;
    return DefWindowProcA(hw, m, w, l);
  };
  EXPECT_TRUE(PostMessageA(h, WM_USER + 1, 1, 0));
  EXPECT_TRUE(PostMessageA(h, WM_USER + 2, 2, 0));
  EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 3, 3, 0));  // no window

  // Peeking without removal leaves the message first in line.
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);

  auto got = Drain();
  EXPECT_EQ(Messages(got), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_QUIT}));
  EXPECT_EQ(got.back().wParam, 3u);
  EXPECT_EQ(got.back().hwnd, nullptr);
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_USER + 1, WM_USER + 10, WM_USER + 2}));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT is taken once";
}

// Another thread's posts (the CD player's end of track) reach the queue at
// the next pump, in their order; those to a window destroyed meanwhile are
// dropped.
TEST_F(WindowTest, PostsFromAnotherThreadArriveAtTheNextPump) {
  HWND h = Create();
  HWND gone = Create();
  std::thread poster([&] {
    EXPECT_TRUE(PostMessageA(h, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageA(gone, WM_USER + 2, 2, 0));
    EXPECT_TRUE(PostMessageA(h, WM_USER + 3, 3, 0));
  });
  poster.join();
  DestroyWindow(gone);
  auto got = Drain();
  EXPECT_EQ(Messages(got), (std::vector<UINT>{WM_USER + 1, WM_USER + 3}));
}

TEST_F(WindowTest, QuitWaitsForPostedMessagesAndIgnoresFilters) {
  HWND h = Create();
  PostQuitMessage(7);
  PostMessageA(h, WM_USER, 0, 0);
  MSG msg;
  // A range that leaves out the posted message: WM_QUIT is returned anyway.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  // Without a filter the posted message comes first.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(WindowTest, FiltersByWindowAndRange) {
  HWND h = Create();
  HWND child = Create(WS_CHILD | WS_VISIBLE, h);
  ASSERT_NE(child, nullptr);
  PostMessageA(nullptr, WM_USER, 0, 0);
  PostMessageA(child, WM_KEYDOWN, 'A', 0);
  PostMessageA(h, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 20));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
  EXPECT_EQ(LOWORD(msg.lParam), 10);
  EXPECT_EQ(HIWORD(msg.lParam), 20);
  ASSERT_TRUE(PeekMessageA(&msg, h, 0, 0, PM_REMOVE)) << "a window's filter takes its children's";
  EXPECT_EQ(msg.hwnd, child);
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, DestroyWindowSendsDestroyAndDropsItsMessages) {
  HWND h = Create();
  HWND child = Create(WS_CHILD, h);
  SetFocus(child);
  PostMessageA(h, WM_USER, 0, 0);
  PostMessageA(child, WM_USER, 0, 0);
  g_log.clear();
  g_handler = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) {
      EXPECT_TRUE(IsWindow(hw)) << "still valid during WM_DESTROY";
      PostQuitMessage(0);
    }
    return DefWindowProcA(hw, m, w, l);
  };
  EXPECT_TRUE(DestroyWindow(h));
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_DESTROY, 0, 0}, {child, WM_DESTROY, 0, 0}}));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(DestroyWindow(h));
  EXPECT_FALSE(PostMessageA(h, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 0);
  EXPECT_EQ(Messages(Drain()), (std::vector<UINT>{WM_QUIT})) << "the window's posted messages are gone";
}

TEST_F(WindowTest, CloseButtonRunsTheDefaultClosePath) {
  HWND h = Create();
  g_handler = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hw, m, w, l);
  };
  g_log.clear();
  platform::InjectCloseButton(h);
  auto got = Drain();
  EXPECT_EQ(Messages(got), (std::vector<UINT>{WM_SYSCOMMAND, WM_QUIT}));
  EXPECT_EQ(got[0].wParam, SC_CLOSE);
  // SC_CLOSE -> WM_CLOSE (sent) -> DestroyWindow -> WM_DESTROY.
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(h));

  // Other defaults answer 0; a mouse activation activates.
  HWND h2 = Create();
  EXPECT_EQ(DefWindowProcA(h2, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
  EXPECT_EQ(DefWindowProcA(h2, WM_SETCURSOR, 0, 0), 0);
  EXPECT_EQ(DefWindowProcA(h2, WM_MOUSEACTIVATE, 0, 0), MA_ACTIVATE);
  EXPECT_TRUE(IsWindow(h2));
}

TEST_F(WindowTest, KeysBecomeVirtualKeysWithScanCodes) {
  struct Case {
    UINT vk;
    bool extended;
    bool numLock;
    UINT expectVk;
    unsigned scan;
    bool expectExtended;
  };
  const Case cases[] = {
      {'A', false, true, 'A', 0x1E, false},
      {'Z', false, true, 'Z', 0x2C, false},
      {'0', false, true, '0', 0x0B, false},
      {'1', false, true, '1', 0x02, false},
      {VK_ESCAPE, false, true, VK_ESCAPE, 0x01, false},
      {VK_RETURN, false, true, VK_RETURN, 0x1C, false},
      {VK_RETURN, true, true, VK_RETURN, 0x1C, true},  // number-pad Enter
      {VK_SPACE, false, true, VK_SPACE, 0x39, false},
      {VK_BACK, false, true, VK_BACK, 0x0E, false},
      {VK_TAB, false, true, VK_TAB, 0x0F, false},
      {VK_SHIFT, false, true, VK_SHIFT, 0x2A, false},
      {VK_CONTROL, true, true, VK_CONTROL, 0x1D, true},  // right Ctrl
      {VK_F1, false, true, VK_F1, 0x3B, false},
      {VK_F11, false, true, VK_F11, 0x57, false},
      {VK_F12, false, true, VK_F12, 0x58, false},
      {VK_LEFT, false, true, VK_LEFT, 0x4B, true},  // only the cursor block has it with Num Lock on
      {VK_UP, true, true, VK_UP, 0x48, true},
      {VK_PRIOR, true, true, VK_PRIOR, 0x49, true},
      {VK_NEXT, true, true, VK_NEXT, 0x51, true},
      {VK_HOME, true, true, VK_HOME, 0x47, true},
      {VK_END, true, true, VK_END, 0x4F, true},
      {VK_INSERT, true, true, VK_INSERT, 0x52, true},
      {VK_DELETE, true, true, VK_DELETE, 0x53, true},
      {VK_NUMPAD1, false, true, VK_NUMPAD1, 0x4F, false},
      {VK_END, false, false, VK_END, 0x4F, false},  // number-pad 1 with Num Lock off
      {VK_DIVIDE, false, true, VK_DIVIDE, 0x35, true},
      {VK_OEM_MINUS, false, true, VK_OEM_MINUS, 0x0C, false},
  };
  HWND h = Create();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "vk 0x" << std::hex << c.vk << " ext " << c.extended);
    ASSERT_TRUE(platform::InjectKey(h, {.vk = c.vk, .extended = c.extended, .numLock = c.numLock}));
    ASSERT_TRUE(platform::InjectKey(h, {.vk = c.vk, .repeat = true, .extended = c.extended, .numLock = c.numLock}));
    ASSERT_TRUE(platform::InjectKey(h, {.vk = c.vk, .down = false, .extended = c.extended, .numLock = c.numLock}));
    MSG down, repeat, up, none;
    ASSERT_TRUE(PeekMessageA(&down, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&repeat, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&up, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&none, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));

    const LPARAM base = 1 | (static_cast<LPARAM>(c.scan) << 16) | (c.expectExtended ? LPARAM{1} << 24 : 0);
    EXPECT_EQ(down.hwnd, h);
    EXPECT_EQ(down.message, WM_KEYDOWN);
    EXPECT_EQ(down.wParam, c.expectVk);
    EXPECT_EQ(down.lParam, base);
    EXPECT_EQ(repeat.message, WM_KEYDOWN);
    EXPECT_EQ(repeat.lParam, base | (LPARAM{1} << 30)) << "auto-repeat: previous state down";
    EXPECT_EQ(up.message, WM_KEYUP);
    EXPECT_EQ(up.wParam, c.expectVk);
    EXPECT_EQ(up.lParam, base | (LPARAM{1} << 30) | (LPARAM{1} << 31));
  }
  EXPECT_FALSE(platform::InjectKey(h, {.vk = 0xFF})) << "no key gives this code";
}

// As on Windows: Alt, keys pressed with Alt and F10 are system keys, with
// the context bit (29) while Alt is down; with Ctrl as well (AltGr) they are
// ordinary keys.
TEST_F(WindowTest, AltCombinationsAndF10AreSystemKeys) {
  struct Step {
    UINT vk;
    bool down;
    bool extended;
    UINT expectMessage;
    bool expectContext;
    unsigned scan;
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"Alt+X",
       {{VK_MENU, true, false, WM_SYSKEYDOWN, true, 0x38},
        {'X', true, false, WM_SYSKEYDOWN, true, 0x2D},
        {'X', false, false, WM_SYSKEYUP, true, 0x2D},
        {VK_MENU, false, false, WM_SYSKEYUP, false, 0x38},
        {'X', true, false, WM_KEYDOWN, false, 0x2D}}},
      {"right Alt+F4",
       {{VK_MENU, true, true, WM_SYSKEYDOWN, true, 0x38},
        {VK_F4, true, false, WM_SYSKEYDOWN, true, 0x3E},
        {VK_MENU, false, true, WM_SYSKEYUP, false, 0x38},
        {VK_F4, false, false, WM_KEYUP, false, 0x3E}}},
      {"F10", {{VK_F10, true, false, WM_SYSKEYDOWN, false, 0x44}, {VK_F10, false, false, WM_SYSKEYUP, false, 0x44}}},
      {"Ctrl+Alt+X",
       {{VK_CONTROL, true, false, WM_KEYDOWN, false, 0x1D},
        {VK_MENU, true, false, WM_KEYDOWN, true, 0x38},
        {'X', true, false, WM_KEYDOWN, true, 0x2D},
        {VK_CONTROL, false, false, WM_SYSKEYUP, true, 0x1D},
        {'X', false, false, WM_SYSKEYUP, true, 0x2D},
        {VK_MENU, false, false, WM_SYSKEYUP, false, 0x38}}},
  };
  HWND h = Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const Step& step : c.steps) {
      SCOPED_TRACE(testing::Message() << "vk 0x" << std::hex << step.vk << (step.down ? " down" : " up"));
      ASSERT_TRUE(platform::InjectKey(h, {.vk = step.vk, .down = step.down, .extended = step.extended}));
      MSG msg;
      ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
      const LPARAM lParam = 1 | (static_cast<LPARAM>(step.scan) << 16) | (step.extended ? LPARAM{1} << 24 : 0) |
                            (step.expectContext ? LPARAM{1} << 29 : 0) | (step.down ? 0 : LPARAM{3} << 30);
      EXPECT_EQ(msg.message, step.expectMessage);
      EXPECT_EQ(msg.wParam, step.vk);
      EXPECT_EQ(msg.lParam, lParam);
    }
  }
}

TEST_F(WindowTest, TextTypedWithAltMakesNoChars) {
  HWND h = Create();
  ASSERT_TRUE(platform::InjectKey(h, {.vk = VK_MENU}));
  ASSERT_TRUE(platform::InjectKey(h, {.vk = 'E', .text = "e"}));
  g_log.clear();
  Drain();
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN}));
}

// The screen saver is held off only while one of our windows is active.
TEST_F(WindowTest, TheScreenSaverIsHeldOffOnlyWhileActive) {
  EXPECT_FALSE(platform::ScreenSaverHeldOff());
  HWND h = Create();
  EXPECT_TRUE(platform::ScreenSaverHeldOff());
  platform::InjectFocus(h, false);
  Drain();
  EXPECT_FALSE(platform::ScreenSaverHeldOff());
  platform::InjectFocus(h, true);
  Drain();
  EXPECT_TRUE(platform::ScreenSaverHeldOff());
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_FALSE(platform::ScreenSaverHeldOff());
  ShowWindow(h, SW_RESTORE);
  EXPECT_TRUE(platform::ScreenSaverHeldOff());
  DestroyWindow(h);
  EXPECT_FALSE(platform::ScreenSaverHeldOff());
}

// A Ctrl-C or SIGTERM closes the active window once, as its close box does;
// one that comes before any window waits for the first.
TEST_F(WindowTest, AnInterruptClosesTheActiveWindowOnce) {
  platform::InjectInterrupt(platform::SIGNAL_INTERRUPT);
  EXPECT_TRUE(Drain().empty());
  HWND other = Create();
  HWND h = Create();
  std::vector<Delivered> delivered = Drain();
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], (Delivered{h, WM_SYSCOMMAND, SC_CLOSE, 0}));
  EXPECT_FALSE(IsWindow(h));  // the default procedure closed it
  EXPECT_TRUE(Drain().empty());
  EXPECT_TRUE(IsWindow(other));
}

TEST_F(WindowTest, KeysGoToTheFocusWindow) {
  HWND h = Create();
  HWND child = Create(WS_CHILD | WS_VISIBLE, h);
  platform::InjectKey(h, {.vk = 'A'});
  auto got = Drain();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].hwnd, h) << "no focus: the window itself";
  SetFocus(child);
  platform::InjectKey(h, {.vk = 'B'});
  got = Drain();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].hwnd, child);
}

TEST_F(WindowTest, TypedTextBecomesCharsInTheLanguageCodePage) {
  struct Case {
    int language;
    const char* text;
    std::vector<WPARAM> chars;
  };
  const Case cases[] = {
      {0, "a", {'a'}},
      {0, "\xC3\xA9", {0xE9}},           // é
      {3, "\xE2\x82\xAC", {0x80}},       // € in Windows-1252
      {0, "\xC3\x9F", {0xDF}},           // ß
      {0, "\xD0\x96", {}},               // Ж: not in Windows-1252
      {7, "\xD0\x96", {0xC6}},           // Ж
      {7, "\xD1\x91", {0xB8}},           // ё
      {7, "\xE2\x82\xAC", {0x88}},       // € in Windows-1251
      {7, "\xC3\xA9", {}},               // é: not in Windows-1251
      {7, "z", {'z'}},
      {0, "\xF0\x9F\x98\x80", {}},       // an emoji
      {0, "a\xC3\xA9", {'a', 0xE9}},     // two characters from one key
      {0, "\xC3", {}},                   // cut UTF-8
  };
  HWND h = Create();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "language " << c.language << " text " << c.text);
    platform::SetTextLanguage(c.language);
    platform::InjectKey(h, {.vk = 'E', .text = c.text});
    platform::InjectKey(h, {.vk = 'E', .down = false});
    g_log.clear();
    auto got = Drain();
    std::vector<UINT> expect{WM_KEYDOWN};
    for (std::size_t i = 0; i < c.chars.size(); ++i) expect.push_back(WM_CHAR);
    expect.push_back(WM_KEYUP);
    ASSERT_EQ(Messages(got), expect) << "characters come between the key's down and up";
    for (std::size_t i = 0; i < c.chars.size(); ++i) {
      EXPECT_EQ(got[1 + i].wParam, c.chars[i]);
      EXPECT_EQ(got[1 + i].lParam, got[0].lParam) << "WM_CHAR carries the key's lParam";
    }
  }
}

TEST_F(WindowTest, CharsNeedTranslateAndControlKeysMakeControlChars) {
  HWND h = Create();
  // Without TranslateMessage, no characters.
  platform::InjectKey(h, {.vk = 'A', .text = "a"});
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  // Keys that type control characters in Win32.
  for (UINT vk : {VK_BACK, VK_TAB, VK_RETURN, VK_ESCAPE}) platform::InjectKey(h, {.vk = vk});
  platform::InjectKey(h, {.vk = VK_F1});  // types nothing
  std::vector<WPARAM> chars;
  for (const auto& d : Drain()) {
    if (d.message == WM_CHAR) chars.push_back(d.wParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{8, 9, 13, 27}));

  // Text from an input method, with no key, arrives as WM_CHAR by itself.
  platform::SetTextLanguage(7);
  platform::InjectText(h, "\xD0\xAF");  // Я
  auto got = Drain();
  ASSERT_EQ(Messages(got), (std::vector<UINT>{WM_CHAR}));
  EXPECT_EQ(got[0].wParam, 0xDFu);
}

TEST_F(WindowTest, FocusChangesBecomeActivationMessages) {
  HWND h = Create();
  g_log.clear();
  auto wa = [](WORD state, WORD minimized) { return MAKEWPARAM(state, minimized); };

  platform::InjectFocus(h, false);
  platform::InjectFocus(h, false);  // already inactive: nothing more
  Drain();
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_ACTIVATE, wa(WA_INACTIVE, 0), 0}, {h, WM_ACTIVATEAPP, FALSE, 0}}));

  g_log.clear();
  platform::InjectFocus(h, true);
  Drain();
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_ACTIVATEAPP, TRUE, 0}, {h, WM_ACTIVATE, wa(WA_ACTIVE, 0), 0}}));

  // Minimised while active: deactivated with the minimised flag.
  g_log.clear();
  platform::InjectMinimized(h);
  Drain();
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_ACTIVATE, wa(WA_INACTIVE, 1), 0}, {h, WM_ACTIVATEAPP, FALSE, 0}}));

  // Activated while still minimised, then restored: told again, not minimised.
  g_log.clear();
  platform::InjectFocus(h, true);
  platform::InjectRestored(h);
  Drain();
  EXPECT_FALSE(IsIconic(h));
  EXPECT_EQ(g_log, (std::vector<Delivered>{{h, WM_ACTIVATEAPP, TRUE, 0},
                                           {h, WM_ACTIVATE, wa(WA_ACTIVE, 1), 0},
                                           {h, WM_ACTIVATE, wa(WA_ACTIVE, 0), 0}}));
}

TEST_F(WindowTest, MinimiseOnDeactivationAndRestore) {
  // The game minimises itself when deactivated and shows itself again when activated.
  HWND h = Create();
  g_handler = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_ACTIVATE && LOWORD(w) == WA_INACTIVE) ShowWindow(hw, SW_MINIMIZE);
    if (m == WM_ACTIVATE && LOWORD(w) != WA_INACTIVE && HIWORD(w) == 0) ShowWindow(hw, SW_SHOWNORMAL);
    return DefWindowProcA(hw, m, w, l);
  };
  platform::InjectFocus(h, false);
  platform::InjectMinimized(h);  // the window manager's echo of the game's own minimise
  g_log.clear();
  Drain();
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP}));

  // The user restores it: restored first, focus next.
  g_log.clear();
  platform::InjectRestored(h);
  platform::InjectFocus(h, true);
  Drain();
  EXPECT_FALSE(IsIconic(h));
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE}));
  EXPECT_EQ(g_log.back().wParam, MAKEWPARAM(WA_ACTIVE, 0));

  // Minimising the active window deactivates it; opening it again (after a
  // message box) activates it.
  g_log.clear();
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  EXPECT_TRUE(OpenIcon(h));
  EXPECT_FALSE(IsIconic(h));
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP, WM_ACTIVATEAPP, WM_ACTIVATE}));
  EXPECT_EQ(g_log[0].wParam, MAKEWPARAM(WA_INACTIVE, 1));
  EXPECT_EQ(g_log[3].wParam, MAKEWPARAM(WA_ACTIVE, 0));
}

TEST_F(WindowTest, SetFocusReturnsThePreviousFocus) {
  HWND h = Create();
  HWND child = Create(WS_CHILD, h);
  EXPECT_EQ(SetFocus(h), nullptr);
  EXPECT_EQ(SetFocus(h), h);
  EXPECT_EQ(SetFocus(child), h);
  EXPECT_EQ(SetFocus(reinterpret_cast<HWND>(0x1234)), nullptr) << "invalid window";
  EXPECT_EQ(GetFocus(), child) << "unchanged by an invalid window";
  DestroyWindow(child);
  EXPECT_EQ(SetFocus(h), nullptr) << "the focus died with its window";
}

TEST_F(WindowTest, RecordsWindowManagerCalls) {
  platform::SetTestScreen(800, 600, false);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(GetSystemMetrics(SM_MOUSEPRESENT), 0);
  platform::SetTestScreen(1024, 768, true);

  HWND h = Create();
  platform::ClearRecordedWindowCalls();
  SetFocus(h);
  EXPECT_FALSE(ShowWindow(h, SW_SHOWNORMAL) == FALSE) << "it was visible";
  UpdateWindow(h);
  HCURSOR first = SetCursor(nullptr);
  EXPECT_NE(first, nullptr) << "the arrow before";
  EXPECT_EQ(SetCursor(nullptr), nullptr);
  SetForegroundWindow(h);
  DestroyWindow(h);

  using K = platform::WindowCallKind;
  const auto& calls = platform::RecordedWindowCalls();
  ASSERT_EQ(calls.size(), 7u);
  const K kinds[] = {K::SetFocus, K::ShowWindow, K::UpdateWindow, K::SetCursor, K::SetCursor,
                     K::SetForegroundWindow, K::DestroyWindow};
  for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].kind, kinds[i]) << i;
  EXPECT_EQ(calls[1].value, SW_SHOWNORMAL);
  EXPECT_EQ(calls[3].value, 0);
  EXPECT_EQ(calls[6].hwnd, h);
}

TEST_F(WindowTest, RecordsWhatTheProcedureReturned) {
  HWND h = Create();
  g_handler = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_SETCURSOR) {
      SetCursor(nullptr);
      return TRUE;
    }
    if (m == WM_USER) return SendMessageA(hw, WM_SETCURSOR, 0, 0) + 41;
    return DefWindowProcA(hw, m, w, l);
  };
  platform::ClearRecordedProcCalls();
  PostMessageA(h, WM_USER, 0, 0);
  Drain();
  const auto& calls = platform::RecordedProcCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].message, WM_USER) << "in the order the calls began";
  EXPECT_EQ(calls[0].result, 42);
  EXPECT_EQ(calls[1].message, WM_SETCURSOR);
  EXPECT_EQ(calls[1].result, TRUE);
}

TEST_F(WindowTest, TheMouseOnlyAsksForTheCursor) {
  HWND h = Create();
  g_handler = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_SETCURSOR) {
      SetCursor(nullptr);
      return TRUE;
    }
    return DefWindowProcA(hw, m, w, l);
  };
  g_log.clear();
  platform::InjectMouseMove(h, 10, 20);
  EXPECT_TRUE(Drain().empty()) << "no mouse message is queued";
  EXPECT_EQ(g_log, (std::vector<Delivered>{
                       {h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)}}));
  EXPECT_EQ(SetCursor(nullptr), nullptr) << "the procedure hid the pointer";
}

TEST_F(WindowTest, ListenersSeeTheRawEvents) {
  static int seen = 0;
  seen = 0;
  auto listener = [](const void*) { ++seen; };
  platform::AddSdlEventListener(listener);
  HWND h = Create();
  platform::InjectFocus(h, false);
  platform::InjectKey(h, {.vk = 'A', .text = "a"});
  Drain();
  platform::RemoveSdlEventListener(listener);
  platform::InjectFocus(h, true);
  Drain();
  EXPECT_EQ(seen, 3);
}

// The real SDL path, on SDL's offscreen driver (set by the test run).
class SdlWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    platform::UseTestWindowing(false);
    platform::UseOpenGLWindows(false);
    WNDCLASSA wc{};
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = "QDVCLASS";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    unsetenv("KELVARRO_WINDOW");
    WindowTest::TearDown();
    platform::UseOpenGLWindows(true);
  }
};

TEST_F(SdlWindowTest, CreatesPumpsAndDestroysARealWindow) {
  HWND h = Create();
  if (h == nullptr) GTEST_SKIP() << "no SDL video driver here";
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_NE(platform::NativeWindow(h), nullptr);

  // Input pushed through SDL's own queue comes out translated.
  ASSERT_TRUE(platform::InjectKey(h, {.vk = VK_F5}));
  platform::InjectCloseButton(h);
  std::vector<Delivered> keys;
  std::vector<Delivered> sys;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_KEYDOWN) keys.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
    if (msg.message == WM_SYSCOMMAND) sys.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
  }
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].wParam, VK_F5);
  EXPECT_EQ(keys[0].lParam, 1 | (0x3F << 16));
  ASSERT_EQ(sys.size(), 1u);
  EXPECT_EQ(sys[0].wParam, SC_CLOSE);

  g_log.clear();
  EXPECT_TRUE(DestroyWindow(h));
  EXPECT_EQ(Messages(g_log), (std::vector<UINT>{WM_DESTROY}));
  EXPECT_EQ(platform::NativeWindow(h), nullptr);
}

TEST_F(SdlWindowTest, FocusBackOnAWindowThatWasNeverMinimised) {
  // The offscreen driver ignores minimise requests, as some window managers
  // do: the window comes back active and not minimised.
  HWND h = Create();
  if (h == nullptr) GTEST_SKIP() << "no SDL video driver here";
  platform::InjectFocus(h, false);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  g_log.clear();
  platform::InjectFocus(h, true);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  EXPECT_FALSE(IsIconic(h));
  ASSERT_FALSE(g_log.empty());
  EXPECT_EQ(g_log.back(), (Delivered{h, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0}));
  DestroyWindow(h);
}

TEST_F(SdlWindowTest, DevelopmentWindowSize) {
  setenv("KELVARRO_WINDOW", "800x600", 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  HWND h = Create();
  if (h == nullptr) GTEST_SKIP() << "no SDL video driver here";
  EXPECT_TRUE(DestroyWindow(h));

  // A malformed value is ignored: the desktop size again.
  for (const char* bad : {"800", "800x", "x600", "0x600", "800x600x2", "800y600", "-800x600", "99999999999x600"}) {
    setenv("KELVARRO_WINDOW", bad, 1);
    EXPECT_NE(GetSystemMetrics(SM_CXSCREEN), 800) << bad;
  }
}

// A signal that comes while the program waits for input ends the wait.
TEST_F(SdlWindowTest, AnInterruptEndsTheWaitForInput) {
  HWND h = Create();
  if (h == nullptr) GTEST_SKIP() << "no SDL video driver here";
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  std::atomic<bool> woken{false};
  std::atomic<bool> nudged{false};
  std::thread signal([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    platform::InjectInterrupt(platform::SIGNAL_TERMINATE);
    // A wait that the signal does not end is ended by a key, much later,
    // so that the test fails instead of hanging.
    for (int i = 0; i < 100 && !woken; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!woken) {
      nudged = true;
      platform::InjectKey(h, {.vk = VK_F5});
    }
  });
  WaitMessage();
  woken = true;
  signal.join();
  EXPECT_FALSE(nudged);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_SYSCOMMAND);
  EXPECT_EQ(msg.wParam, SC_CLOSE);
  DestroyWindow(h);
}

TEST_F(SdlWindowTest, AMalformedDevelopmentSizeIsReportedOnce) {
  setenv("KELVARRO_WINDOW", "640by480", 1);
  testing::internal::CaptureStderr();
  GetSystemMetrics(SM_CXSCREEN);
  GetSystemMetrics(SM_CYSCREEN);
  HWND h = Create();
  const std::string err = testing::internal::GetCapturedStderr();
  if (h != nullptr) DestroyWindow(h);
  EXPECT_EQ(err, "Kelvarro: KELVARRO_WINDOW=\"640by480\" is not WIDTHxHEIGHT; ignored\n");
}

}  // namespace
