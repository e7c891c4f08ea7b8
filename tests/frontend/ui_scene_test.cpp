// The UI scene: its file read in order with the colour key of each list,
// the dialogs by scene number, the background picture, the focus list, the
// frame's timing and timed scenes, and the keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/dshow/dshow.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/frontend/front_end_fixture.h"
#include "tests/frontend/scene_fixture.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/scene_files.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace {

using kelvdata::SceneFile;

class UiSceneTest : public kelvtest::SceneTest {};

// The key a texture was loaded with, by its file name.
ColourKey KeyOf(const char* texture) {
  for (int s = 1; s < TEXTURE_SLOT_COUNT; ++s) {
    if (std::strcmp(g_TextureManager.name[s], texture) == 0) return g_TextureManager.keyColour[s];
  }
  ADD_FAILURE() << texture << " not loaded";
  return {1, 2, 3};
}

bool IsMagenta(ColourKey k) { return k.red == 250 && k.green == 0 && k.blue == 200; }
bool IsBlack(ColourKey k) { return k.red == 0 && k.green == 0 && k.blue == 0; }

TEST_F(UiSceneTest, ReadsItsListsInOrderAndPlacesEachWidget) {
  UiScene* s = Load(6, KeyedScene());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->buttons.count, 2);
  EXPECT_EQ(s->editTexts.count, 1);
  EXPECT_EQ(s->staticTexts.count, 1);
  EXPECT_EQ(s->choosers.count, 1);
  EXPECT_EQ(s->progressBars.count, 1);
  EXPECT_EQ(s->sliders.count, 1);
  EXPECT_EQ(s->panels.count, 1);
  EXPECT_EQ(s->TypedObjectCount(), 3u);
  EXPECT_EQ(s->startActions.size(), 1u);
  EXPECT_EQ(s->focusCount, 2);
  EXPECT_FLOAT_EQ(s->buttons[1].x, 40.0f);
  EXPECT_FLOAT_EQ(s->buttons[1].y, 90.0f);
  EXPECT_FLOAT_EQ(s->buttons[1].w, 100.0f);
  EXPECT_FLOAT_EQ(s->panels[0].x, 12.0f);
  EXPECT_FLOAT_EQ(s->panels[0].w, 64.0f);
  // The colour key: black for fonts and choosers, the magenta key for the
  // other lists.
  EXPECT_TRUE(IsBlack(KeyOf("DATA\\UI\\KF.TEX")));
  EXPECT_TRUE(IsMagenta(KeyOf("DATA\\UI\\KB.TEX")));
  EXPECT_TRUE(IsBlack(KeyOf("DATA\\UI\\KC.TEX")));
  EXPECT_TRUE(IsMagenta(KeyOf("DATA\\UI\\KP.TEX")));
  EXPECT_TRUE(IsMagenta(KeyOf("DATA\\UI\\KN.TEX")));
  EXPECT_TRUE(IsBlack(g_ColourKey));
}

TEST_F(UiSceneTest, TheCreditsPanelsTakeTheBlackKey) {
  ASSERT_NE(Load(28, KeyedScene()), nullptr);
  EXPECT_TRUE(IsBlack(KeyOf("DATA\\UI\\KN.TEX")));
}

TEST_F(UiSceneTest, BuildsTheDialogsOfItsSceneNumberWithTheirButtonArguments) {
  const struct {
    int scene;
    std::uint16_t count;
    std::vector<bool> cancel;
  } cases[] = {
      {0, 1, {true}},
      {2, 5, {false, false, false, true, true}},
      {8, 2, {true, false}},
      {17, 0, {}},
      {27 + 6, 0, {}},
  };
  for (const auto& c : cases) {
    ASSERT_NE(Load(c.scene, Plain()), nullptr) << c.scene;
    ASSERT_EQ(g_DialogCount, c.count) << c.scene;
    for (std::uint16_t i = 0; i < c.count; ++i) {
      const Dialog& d = g_Dialogs[i];
      EXPECT_EQ(d.buttons.items[0].actions[0].a1, i) << c.scene;
      EXPECT_EQ(d.buttons.items[0].actions[0].a2, 2) << c.scene;
      if (c.cancel[i]) {
        EXPECT_EQ(d.buttons.items[1].actions[0].a1, i) << c.scene;
        EXPECT_EQ(d.buttons.items[1].actions[0].a2, 0) << c.scene;
      }
    }
  }
}

TEST_F(UiSceneTest, RefusesDamagedFilesWithItsMessage) {
  SceneFile edit = KeyedScene();
  edit.objects[0].kind = 7;
  SceneFile huge = KeyedScene();
  huge.listCounts[kelvdata::SCENE_PANELS] = 900;
  SceneFile longName = Plain();
  longName.focusList.length = 100000;
  const struct {
    const char* name;
    SceneFile file;
    const char* message;
  } cases[] = {
      {"typed edit text", edit, UI_SCENE_KIND_ERROR},
      {"panel count", huge, UI_SCENE_FILE_ERROR},
      {"name length", longName, UI_SCENE_FILE_ERROR},
  };
  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    EXPECT_EQ(Load(6, c.file), nullptr) << c.name;
    ASSERT_FALSE(platform::RecordedMessageBoxes().empty()) << c.name;
    EXPECT_EQ(platform::RecordedMessageBoxes().back().text, c.message) << c.name;
  }
}

TEST_F(UiSceneTest, TheBackgroundIsScaledNearestAndPackedAs565) {
  UiScene* s = Load(6, Plain());
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->background.size(), 640u * 480u);
  auto at = [s](int x, int y) { return s->background[static_cast<std::size_t>(y) * 640 + static_cast<std::size_t>(x)]; };
  // Red, green / blue, white: the corners exactly, and everything but the
  // last column and row from the first picture column and row.
  EXPECT_EQ(at(0, 0), 0xF800);
  EXPECT_EQ(at(639, 0), 0x07E0);
  EXPECT_EQ(at(0, 479), 0x001F);
  EXPECT_EQ(at(639, 479), 0xFFFF);
  EXPECT_EQ(at(638, 478), 0xF800);
  // (R >> 3) << 11 | (G >> 2) << 5 | (B >> 3) of (200, 100, 50).
  PutPicture(1, 1, {200, 100, 50});
  ASSERT_TRUE(s->LoadBackground("DATA\\UI\\P.PIC"));
  EXPECT_EQ(at(320, 240), (25 << 11) | (25 << 5) | 6);
}

TEST_F(UiSceneTest, TheGlideBuildLeavesABlackScreenBehind) {
  ASSERT_NE(Load(6, Plain()), nullptr);
  g_Renderer.clearRed = 1.0f;
  platform::ClearGlideRecords();
  g_GameController.ClearUiScene();
  scene_.reset();
  bool clearedBlack = false;
  for (const platform::GlideCall& c : platform::RecordedGlideCalls()) {
    if (c.function == "grBufferClear") clearedBlack = c.args[0] == 0.0;
  }
  EXPECT_TRUE(clearedBlack);
}

TEST_F(UiSceneTest, RefusesABackgroundWithoutPixels) {
  UiScene* s = Load(6, Plain());
  ASSERT_NE(s, nullptr);
  const struct {
    std::uint16_t w;
    std::uint16_t h;
    std::size_t bytes;
  } cases[] = {{0, 2, 12}, {2, 0, 12}, {2, 2, 9}};
  for (const auto& c : cases) {
    PutPicture(c.w, c.h, kelvdata::Bytes(c.bytes, 7));
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(s->LoadBackground("DATA\\UI\\P.PIC")) << c.w << "x" << c.h;
    ASSERT_EQ(platform::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(platform::RecordedMessageBoxes()[0].text, UI_BACKGROUND_ERROR);
  }
}

TEST_F(UiSceneTest, AFrameOfMoreThanHalfASecondCountsAsTenMilliseconds) {
  UiScene* s = Load(6, Plain());
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->RenderScene());
  EXPECT_EQ(g_UiSceneTimer, 0);
  platform::AdvanceTime(501);
  s->RenderScene();
  EXPECT_EQ(g_UiSceneTimer, 10);
  platform::AdvanceTime(500);
  s->RenderScene();
  EXPECT_EQ(s->GetState(), UI_SCENE_RUNNING);
}

TEST_F(UiSceneTest, ArrowsMoveTheFocusOnKeyUpOnly) {
  UiScene* s = Running(6, KeyedScene());
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->focusIndex, 0);
  s->OnKey(WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(s->focusIndex, 0);
  s->OnKey(WM_KEYUP, VK_RIGHT, 0);
  EXPECT_EQ(s->focusIndex, 1);
  EXPECT_EQ(s->buttons[1].state, Button::HIGHLIGHTED);
  s->OnKey(WM_KEYUP, VK_RIGHT, 0);
  EXPECT_EQ(s->focusIndex, 0);
  s->OnKey(WM_KEYUP, VK_LEFT, 0);
  EXPECT_EQ(s->focusIndex, 1);
}

TEST_F(UiSceneTest, TheCountdownWaitsWhileAnAbandonDialogIsOpen) {
  SceneFile f = Plain();
  f.lists[kelvdata::SCENE_STATIC_TEXTS].resize(21, f.lists[kelvdata::SCENE_STATIC_TEXTS][0]);
  UiScene* s = Running(19, f);
  ASSERT_NE(s, nullptr);
  Frame(s, 50);
  const std::int32_t before = g_UiCountdownMs;
  EXPECT_LT(before, 30000);
  OpenDialog(1);
  for (int i = 0; i < 5; ++i) Frame(s, 50);
  EXPECT_EQ(g_UiCountdownMs, before);
  g_Dialogs[1].mode = 0;
  Frame(s, 50);
  EXPECT_EQ(g_UiCountdownMs, before - 50);
  // The race starts when the seconds reach 0.
  g_UiCountdownMs = 1040;
  Frame(s, 40);
  EXPECT_FALSE(s->IsClosing());
  Frame(s, 40);
  EXPECT_TRUE(s->IsClosing());
}

TEST_F(UiSceneTest, TheAttractScreenStartsItsRaceAfterFourSeconds) {
  UiScene* s = Running(32, Plain());
  ASSERT_NE(s, nullptr);
  g_GameMode = GAME_MODE_SINGLE_RACE;
  for (int i = 0; i < 79; ++i) Frame(s, 50);
  EXPECT_FALSE(s->IsClosing());
  Frame(s, 50);
  EXPECT_TRUE(s->IsClosing());
  EXPECT_EQ(g_GameMode, GAME_MODE_CHAMPIONSHIP);
  EXPECT_EQ(g_RaceType, RACE_TYPE_MOTO_1);
  EXPECT_EQ(g_GameController.nextScene, 33);
}

TEST_F(UiSceneTest, TheCreditsAreLaidOutBelowTheScreenAndRiseThirtyPixelsASecond) {
  SceneFile f = Plain();
  f.lists[kelvdata::SCENE_PANELS].assign(8, f.lists[kelvdata::SCENE_STATIC_TEXTS][0]);
  for (auto& p : f.lists[kelvdata::SCENE_PANELS]) p.path = "DATA\\UI\\KN.OSP";
  f.actions = {{92, 0, 0, "NULL"}};
  UiScene* s = Running(28, f);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->staticTexts.count, 106);
  // Line 0 after the first two panels (176 pixels), its shadow 2 right and
  // 3 down; line 1 after panels 2 and 3 (50 + 238 + 36) and 18 for line 0.
  // The frame that started the scene moved everything up by 1.5 already.
  const float up = 1.5f;
  EXPECT_FLOAT_EQ(s->panels[0].y, 480.0f - up);
  EXPECT_FLOAT_EQ(s->staticTexts[53].originY, 656.0f - up);
  EXPECT_FLOAT_EQ(s->staticTexts[0].originX, 322.0f);
  EXPECT_FLOAT_EQ(s->staticTexts[0].originY, 659.0f - up);
  EXPECT_FLOAT_EQ(s->staticTexts[54].originY, 998.0f - up);
  EXPECT_STREQ(s->staticTexts[54].String(), "T1049");
  Frame(s, 50);
  EXPECT_FLOAT_EQ(s->staticTexts[53].originY, 656.0f - 2.0f * up);
  EXPECT_FLOAT_EQ(s->panels[0].y, 480.0f - 2.0f * up);
}

TEST_F(UiSceneTest, AKeyInAMovieSceneGoesToTheMainMenuWithoutAFade) {
  UiScene* s = Running(29, Plain());
  ASSERT_NE(s, nullptr);
  g_GameController.nextScene = 5;
  s->OnKey(WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(s->IsClosing());
  EXPECT_EQ(g_GameController.nextScene, 0);
  EXPECT_EQ(g_GameController.pendingSceneChange, 1);
}

// The program's main window with its own procedure, for what the scenes ask
// of the program through it (the quit) and what reaches them by it (the
// movie's events).
class UiSceneWindowTest : public UiSceneTest {
 protected:
  void SetUp() override {
    UiSceneTest::SetUp();
    platform::UseTestWindowing(true);
    platform::UseTestMovies(true);
    g_AppClosing = 0;
    ASSERT_TRUE(g_App.CreateMainWindow());
    Pump();  // the window's own start, before any scene is current
  }
  void TearDown() override {
    g_CurrentScene = nullptr;
    UiSceneTest::TearDown();
    g_App.hwnd = nullptr;
    g_MainWindow = nullptr;
    g_AppClosing = 0;
    platform::UseTestMovies(false);
    platform::UseTestWindowing(false);
  }

  // The scene as the current one of the program.
  UiScene* Current(UiScene* s) {
    g_CurrentScene = s;
    return s;
  }

  // Dispatches what waits, as the message loop does, and gives the messages
  // posted to the main window that the procedure only posts on (WM_CLOSE).
  static std::vector<UINT> Pump() {
    std::vector<UINT> closes;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_CLOSE) {
        closes.push_back(msg.message);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return closes;
  }

  // The credits of the layout test: 106 lines over eight panels.
  static SceneFile Credits() {
    SceneFile f = Plain();
    f.lists[kelvdata::SCENE_PANELS].assign(8, f.lists[kelvdata::SCENE_STATIC_TEXTS][0]);
    for (auto& p : f.lists[kelvdata::SCENE_PANELS]) p.path = "DATA\\UI\\KN.OSP";
    f.actions = {{92, 0, 0, "NULL"}};
    return f;
  }
};

TEST_F(UiSceneWindowTest, TheCreditsEndInAQuitOnceTheirLastLineHasGone) {
  UiScene* s = Current(Running(28, Credits()));
  ASSERT_NE(s, nullptr);
  const StaticText& last = s->staticTexts[static_cast<std::uint16_t>(s->staticTexts.count - 1)];
  int frames = 0;
  while (g_AppClosing == 0 && frames < 4000) {
    ASSERT_GT(last.originY + last.textHeight, -20.0f) << "still rising after its last line had gone";
    Frame(s, 50);
    ++frames;
  }
  // The last line 20 pixels above the screen: the close request reached the
  // main window, which posted its close.
  EXPECT_LE(last.originY + last.textHeight, -20.0f);
  EXPECT_GT(last.originY + last.textHeight, -20.0f - 1.5f) << "one 50 ms step past the line";
  EXPECT_EQ(g_AppClosing, 1);
  EXPECT_EQ(Pump(), std::vector<UINT>{WM_CLOSE});
}

TEST_F(UiSceneWindowTest, AKeyDuringTheCreditsQuits) {
  UiScene* s = Current(Running(28, Credits()));
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(platform::InjectKey(g_App.hwnd, {.vk = 'A'}));
  EXPECT_EQ(Pump(), std::vector<UINT>{WM_CLOSE});
  EXPECT_EQ(g_AppClosing, 1);
}

TEST_F(UiSceneWindowTest, TheMoviesEndGoesToTheMainMenuWithoutAFade) {
  Put("DATA/MOVIES/INTRO.MPG", {1});
  platform::SetTestMovie(2.0, S_OK);
  SceneFile f = Plain();
  f.hasMovie = 1;
  f.movie = "DATA\\MOVIES\\INTRO.MPG";
  UiScene* s = Current(Running(29, f));
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->movie.state, MOVIE_PLAYING);
  Pump();
  g_GameController.nextScene = 5;
  EXPECT_FALSE(s->IsClosing());

  // The end reaches the scene through the main window as the movie's event.
  platform::InjectMovieEvent(EC_COMPLETE, 0, 0);
  Pump();
  EXPECT_EQ(s->movie.state, MOVIE_STOPPED);
  EXPECT_TRUE(s->IsClosing());
  EXPECT_EQ(g_GameController.nextScene, 0);
  EXPECT_EQ(g_GameController.pendingSceneChange, 1) << "raised at once, with no fade out first";
  EXPECT_EQ(g_AppClosing, 0);
}

TEST_F(UiSceneTest, AClosingSceneFadesOutBeforeRaisingTheChange) {
  UiScene* s = Running(6, Plain());
  ASSERT_NE(s, nullptr);
  g_GameController.Command(CMD_GO_TO_SCENE, 4, 0, "NULL");
  Frame(s, 50);
  EXPECT_EQ(g_GameController.pendingSceneChange, 0);
  for (int i = 0; i < 8; ++i) Frame(s, 50);
  EXPECT_EQ(g_GameController.pendingSceneChange, 1);
  EXPECT_EQ(g_GameController.nextScene, 4);
}

TEST_F(UiSceneTest, TheNetworkNoticesOpenTheScenesDialogForThemAndAreClearedEverywhere) {
  const struct {
    int scene;
    int hostDialog;  // -1: the scene has none
    int lostDialog;
  } cases[] = {
      {1, 1, 2}, {2, 1, 2}, {3, 1, 2}, {4, 0, 1}, {5, 0, 1}, {9, 2, 3}, {10, 3, 4}, {13, 2, 3}, {16, 1, 2},
      {21, 0, 1}, {24, 1, 2}, {15, -1, -1}, {17, -1, -1},
  };
  const struct {
    std::uint8_t* flag;
    bool host;
  } notices[] = {{&g_NetBecameHost, true}, {&g_NetSessionLost, false}};
  for (const auto& c : cases) {
    for (const auto& n : notices) {
      const std::string at = "scene " + std::to_string(c.scene) + (n.host ? " host" : " lost");
      UiScene* s = Running(c.scene, Plain());
      ASSERT_NE(s, nullptr) << at;
      *n.flag = 1;
      Frame(s, 50);
      EXPECT_EQ(*n.flag, 0) << at;
      const int shown = n.host ? c.hostDialog : c.lostDialog;
      for (std::uint16_t i = 0; i < g_DialogCount; ++i) {
        EXPECT_EQ(g_Dialogs[i].mode, i == shown ? 1 : 0) << at << " dialog " << i;
        if (i == shown) EXPECT_EQ(g_Dialogs[i].active, 1) << at;
      }
    }
  }
}

TEST_F(UiSceneTest, EscapeOpensTheScenesExitDialog) {
  UiScene* s = Running(0, Plain());
  ASSERT_NE(s, nullptr);
  s->OnKey(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(g_Dialogs[0].mode, 0);
  s->OnKey(WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(g_Dialogs[0].mode, 1);
  EXPECT_EQ(g_Dialogs[0].active, 1);
}

TEST_F(UiSceneTest, TheSaveScreensExtraFocusEntryIsAppendedOnce) {
  UiScene* s = Load(8, KeyedScene());
  ASSERT_NE(s, nullptr);
  s->RemoveAppendedFocusEntry();
  EXPECT_EQ(s->focusCount, 2);
  s->AppendFocusEntry({WIDGET_EDIT_TEXT, 0});
  s->AppendFocusEntry({WIDGET_EDIT_TEXT, 0});
  EXPECT_EQ(s->focusCount, 3);
  EXPECT_EQ(s->focusIndex, 2);
  s->RemoveAppendedFocusEntry();
  s->RemoveAppendedFocusEntry();
  EXPECT_EQ(s->focusCount, 2);
}

}  // namespace
