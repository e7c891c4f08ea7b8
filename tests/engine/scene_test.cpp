// The scene base class, the frame step and the scene factory, driven through
// the recording devices.
#include <gtest/gtest.h>

#include "engine/app.h"
#include "engine/display.h"
#include "engine/scene/scene.h"
#include "engine/scene/scene_table.h"
#include "engine/texture_manager.h"
#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "tests/engine/program_fixture.h"

namespace {

using kelvtest::DeviceLog;
using kelvtest::Devices;
using kelvtest::LogEntries;
using Log = std::vector<std::string>;

class SceneTest : public kelvtest::ProgramTest {
 protected:
  // A table of 40 scenes (10 and 11 races) and the main window, at 640x480.
  void SetUp() override {
    ProgramTest::SetUp();
    LoadTable(40, {10, 11});
    CreateWindow();
    ASSERT_TRUE(g_Renderer.Open());
  }

  // Makes scene `n` current and runs its first frame, the restore pass.
  void StartScene(int n) {
    ASSERT_TRUE(CreateScene(n));
    ASSERT_TRUE(g_CurrentScene->RunFrame());
    DeviceLog().clear();
  }
};

TEST_F(SceneTest, SetFrameTimeKeepsTheFrameBetweenOneMillisecondAndFifty) {
  StartScene(0);
  const struct {
    unsigned ms;
    float seconds;
  } cases[] = {{0, 0.001f}, {1, 0.001f}, {20, 0.02f}, {50, 0.05f}, {51, 0.05f}, {200, 0.05f}};
  for (const auto& c : cases) {
    g_CurrentScene->SetFrameTime(c.ms);
    EXPECT_FLOAT_EQ(g_FrameTime, c.seconds) << c.ms << " ms";
  }
}

TEST_F(SceneTest, ANewSceneFirstRestoresThenDraws) {
  ASSERT_TRUE(CreateScene(0));
  DeviceLog().clear();
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(DeviceLog(), (Log{"Renderer::RestoreSurfaces", "TextureManager::ReloadAll"}));

  DeviceLog().clear();
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(LogEntries("Renderer::RestoreSurfaces"), Log{});
  EXPECT_EQ(DeviceLog().back(), "Renderer::Present");
  EXPECT_EQ(LogEntries("ui scene RenderScene").size(), 1u);

  // After a deactivation the next frame is a restore pass again.
  g_CurrentScene->RequestRestore();
  DeviceLog().clear();
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(DeviceLog(), (Log{"Renderer::RestoreSurfaces", "TextureManager::ReloadAll"}));
}

TEST_F(SceneTest, AFailedTextureReloadLeavesTheRestorePending) {
  ASSERT_TRUE(CreateScene(0));
  Devices().reloadFails = true;
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_TRUE(kelvtest::ProgramTest::Current()->RestorePending());
  EXPECT_EQ(g_RestoreFailureCount, 1u);
  Devices().reloadFails = false;
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_FALSE(kelvtest::ProgramTest::Current()->RestorePending());
  EXPECT_EQ(g_RestoreFailureCount, 0u);
}

TEST_F(SceneTest, ThirtyFailedRestoresAreToleratedAndASuccessResetsTheCount) {
  ASSERT_TRUE(CreateScene(0));
  Devices().restoreFailures = 30;
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(g_CurrentScene->RunFrame()) << i;
  EXPECT_EQ(g_RestoreFailureCount, 30u);
  EXPECT_TRUE(g_CurrentScene->RunFrame());  // succeeds
  EXPECT_EQ(g_RestoreFailureCount, 0u);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(g_AppClosing, 0);
}

TEST_F(SceneTest, TheThirtyFirstFailedRestoreEndsTheProgram) {
  ASSERT_TRUE(CreateScene(0));
  Devices().restoreFailures = 1000;
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(g_CurrentScene->RunFrame()) << i;
  // The count belongs to the frame step: a new scene does not reset it.
  ASSERT_TRUE(CreateScene(1));
  EXPECT_FALSE(g_CurrentScene->RunFrame());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Error: Unable to restore rendering surfaces. Aborting program execution.\n"
                         "Please check you have the latest version of your display driver."}));
  // The close request followed at once.
  EXPECT_EQ(g_AppClosing, 1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CLOSE);
}

TEST_F(SceneTest, FrameClearsOnlyOutsideTheView) {
  StartScene(0);
  // The full view (Open sets the view to width - 1): whole screen with depth,
  // then two-pixel strips on the right and at the bottom.
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(LogEntries("Renderer::ClearRect"),
            (Log{"Renderer::ClearRect 0 0 639 479 1 colour 0.000000,0.000000,0.000000",
                 "Renderer::ClearRect 638 0 640 480 1 colour 0.000000,0.000000,0.000000",
                 "Renderer::ClearRect 0 478 640 480 1 colour 0.000000,0.000000,0.000000"}));

  // A smaller view: the four borders around it, without depth, in black even
  // when the clear colour was something else.
  g_ViewWidth = 400.0f;
  g_ViewHeight = 300.0f;
  g_ViewRect = {100.5f, 500.9f, 60.2f, 360.7f};
  g_Renderer.clearRed = 1.0f;
  DeviceLog().clear();
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(LogEntries("Renderer::ClearRect"),
            (Log{"Renderer::ClearRect 0 0 640 60 0 colour 0.000000,0.000000,0.000000",
                 "Renderer::ClearRect 0 60 100 360 0 colour 0.000000,0.000000,0.000000",
                 "Renderer::ClearRect 500 60 640 360 0 colour 0.000000,0.000000,0.000000",
                 "Renderer::ClearRect 0 360 640 480 0 colour 0.000000,0.000000,0.000000"}));
  // Clear, then the scene draws, then the frame is shown.
  EXPECT_EQ(DeviceLog()[4], "ui scene RenderScene");
  EXPECT_EQ(DeviceLog()[5], "Renderer::Present");
}

TEST_F(SceneTest, StartupScenesTwentySevenAndTwentyNineOnlyRunTheirOwnStep) {
  for (int n : {27, 29}) {
    ASSERT_TRUE(CreateScene(n));
    DeviceLog().clear();
    // No restore pass even for a new scene, nothing cleared or presented,
    // no statistics; a failing step is not reported.
    g_ShowFrameStats = 1;
    Current()->script.renderResults = {true, false};
    EXPECT_TRUE(g_CurrentScene->RunFrame());
    EXPECT_TRUE(g_CurrentScene->RunFrame());
    EXPECT_EQ(DeviceLog(), (Log{"ui scene RenderScene", "ui scene RenderScene"})) << n;
    EXPECT_TRUE(Boxes().empty()) << n;
  }
}

TEST_F(SceneTest, AFailedRenderSceneIsReportedOutsideTheMovieScenes) {
  for (int n : {0, 28, 30}) {
    StartScene(n);
    platform::ClearRecordedMessageBoxes();
    Current()->script.renderResults = {false};
    EXPECT_FALSE(g_CurrentScene->RunFrame()) << n;
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Error: RenderScene failed."})) << n;
    EXPECT_EQ(LogEntries("Renderer::Present"), Log{}) << n;
  }
}

TEST_F(SceneTest, SceneTwentyEightPresentsWithoutStatistics) {
  g_ShowFrameStats = 1;
  Devices().statistics = {100, 200, 300, 0};
  StartScene(28);
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(LogEntries("Renderer::ResetStatistics"), Log{});
  EXPECT_EQ(LogEntries("Renderer::DrawFade"), Log{});
  EXPECT_EQ(DeviceLog().back(), "Renderer::Present");

  StartScene(30);
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_EQ(LogEntries("Renderer::ResetStatistics").size(), 1u);
  EXPECT_EQ(DeviceLog().back(), "Renderer::Present");
}

TEST_F(SceneTest, StatisticsLinesShowOnlyTheValuesAboveZero) {
  StartScene(0);
  g_ShowFrameStats = 1;
  // Triangles drawn 1234, into the pipeline 2000 and 6000 vertices, 614400
  // pixels a frame (twice the 640x480 screen); 30 frames in one second.
  Devices().statistics = {1234, 2000, 6000, 614400};
  for (int i = 0; i < 30; ++i) {
    if (i == 29) platform::AdvanceTime(1000);
    ASSERT_TRUE(g_CurrentScene->RunFrame());
  }
  EXPECT_STREQ(g_CurrentScene->StatsLine(0), "30.00 FPS 001234 TOUT 0002.00 OD 002000 TIN 006000 VIN ");
  EXPECT_STREQ(g_CurrentScene->StatsLine(1), "640X480X16  RGB");
  EXPECT_FLOAT_EQ(g_CurrentScene->StatsLineX(1), 320.0f - 5.0f * 15.0f);

  // Before the first 30 frames there is no rate; zero counters show nothing.
  StartScene(1);
  Devices().statistics = {0, 0, 7, 0};
  ASSERT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_STREQ(g_CurrentScene->StatsLine(0), "000007 VIN ");
  // The overlay turns depth off and on around the texts, then fades.
  EXPECT_EQ(LogEntries("Renderer::Set"), (Log{"Renderer::SetZEnable 0", "Renderer::SetZWriteEnable 0",
                                              "Renderer::SetZEnable 1", "Renderer::SetZWriteEnable 1"}));
}

TEST_F(SceneTest, ALostSurfaceOnPresentMakesTheNextFrameRestore) {
  StartScene(0);
  Devices().present = PresentResult::SURFACE_LOST;
  EXPECT_TRUE(g_CurrentScene->RunFrame());
  EXPECT_TRUE(Current()->RestorePending());
  Devices().present = PresentResult::FAILED;
  EXPECT_TRUE(g_CurrentScene->RunFrame());  // the restore pass
  EXPECT_FALSE(g_CurrentScene->RunFrame());
}

// ---- The scene factory ------------------------------------------------------

TEST_F(SceneTest, CreateSceneStartsAFrontEndSceneInOrder) {
  DeviceLog().clear();
  ASSERT_TRUE(CreateScene(5));
  EXPECT_EQ(DeviceLog(), (Log{"ui scene made", "GameController::ClearRaceScene", "GameController::SetUiScene",
                              "Renderer::SetDefaultStates", "ui scene Load SCENE5.SCN"}));
  EXPECT_EQ(g_SceneNumber, 5u);
  EXPECT_EQ(frontEnd_.uiScene, g_CurrentScene);
  EXPECT_EQ(g_ColourKey.red, 250);
  EXPECT_EQ(g_ColourKey.green, 0);
  EXPECT_EQ(g_ColourKey.blue, 200);

  // The next scene replaces it: the old one is deleted first.
  DeviceLog().clear();
  ASSERT_TRUE(CreateScene(6));
  EXPECT_EQ(DeviceLog()[0], "ui scene deleted");
}

TEST_F(SceneTest, EachSceneMadeIsNamedOnTheDebuggerOutput) {
  platform::RecordDebugOutput(true);
  platform::ClearRecordedDebugOutput();
  ASSERT_TRUE(CreateScene(5));
  ASSERT_TRUE(CreateScene(10));
  ASSERT_TRUE(CreateScene(0));
  // A number the table does not have makes no scene and names none.
  EXPECT_FALSE(CreateScene(1000));
  EXPECT_EQ(platform::RecordedDebugOutput(), (Log{"scene 5\n", "scene 10\n", "scene 0\n"}));
  platform::RecordDebugOutput(false);
  platform::ClearRecordedDebugOutput();
}

TEST_F(SceneTest, RaceScenesSwitchTheDisplayUnlessTheRaceSizeIs640By480) {
  const struct {
    std::uint32_t width, height;
    bool switches;
  } cases[] = {{640, 480, false}, {800, 600, true}, {640, 400, true}};
  for (const auto& c : cases) {
    g_GameWidth = c.width;
    g_GameHeight = c.height;
    ASSERT_TRUE(CreateScene(0));
    DeviceLog().clear();

    ASSERT_TRUE(CreateScene(10));
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    const Log reopen = {"Cursor::FreeTextures", "Renderer::Close", "Renderer::Open " + size, "Cursor::ReloadTextures",
                        "Cursor::SetClipRect 0 0 " + std::to_string(c.width - 1) + " " +
                            std::to_string(c.height - 1) + " 1"};
    Log expected = {"ui scene deleted", "GameController::ClearUiScene", "GameController::ClearRaceScene"};
    if (c.switches) expected.insert(expected.end(), reopen.begin(), reopen.end());
    expected.insert(expected.end(), {"race scene made", "GameController::ClearUiScene",
                                     "GameController::SetRaceScene", "Renderer::SetDefaultStates",
                                     "race scene Load SCENE10.SCN"});
    EXPECT_EQ(DeviceLog(), expected) << size;
    EXPECT_EQ(g_ColourKey.red, 0);
    EXPECT_EQ(g_ColourKey.blue, 0);

    // A race after a race reopens the display again at the same size.
    DeviceLog().clear();
    ASSERT_TRUE(CreateScene(11));
    EXPECT_EQ(LogEntries("Renderer::Open").size(), c.switches ? 1u : 0u) << size;

    // Back to the front end: 640x480 again when the race had another size.
    DeviceLog().clear();
    ASSERT_TRUE(CreateScene(0));
    EXPECT_EQ(LogEntries("Renderer::Open"), c.switches ? Log{"Renderer::Open 640x480"} : Log{}) << size;
  }
}

TEST_F(SceneTest, SceneNumbersOutsideTheTableAndUnknownKindsAreDataErrors) {
  kelvdata::Bytes table = kelvdata::BuildQdv({{0, "A.SCN"}, {2, "ODD.SCN"}});
  Put("DATA/QDV.BIN", table);
  ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
  for (int n : {1, 2, 1000, -1}) {
    ASSERT_TRUE(CreateScene(0));
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(CreateScene(n)) << n;
    EXPECT_EQ(g_CurrentScene, nullptr) << n;
    EXPECT_EQ(frontEnd_.uiScene, nullptr) << n;
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"File error (unknown scene type).\nPlease reinstall Kelvarro."}))
        << n;
  }
}

TEST_F(SceneTest, FailuresOfTheFactory) {
  // No scene can be made.
  frontEnd_.failCreate = true;
  EXPECT_FALSE(CreateScene(0));
  EXPECT_EQ(g_CurrentScene, nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Error: Not enough memory to run."}));
  frontEnd_.failCreate = false;

  // A failing load leaves the scene current (WinMain deletes it).
  frontEnd_.nextScene.loadOk = false;
  EXPECT_FALSE(CreateScene(0));
  ASSERT_NE(g_CurrentScene, nullptr);
  frontEnd_.nextScene.loadOk = true;

  // A display that cannot be reopened: the old scene is gone, no new one.
  g_GameWidth = 800;
  g_GameHeight = 600;
  Devices().openFails = true;
  EXPECT_FALSE(CreateScene(10));
  EXPECT_EQ(g_CurrentScene, nullptr);
  EXPECT_EQ(LogEntries("race scene made"), Log{});
  Devices().openFails = false;

  // Cursor textures that do not come back fail the change as well.
  Devices().cursorReloadFails = true;
  EXPECT_FALSE(CreateScene(10));
  EXPECT_EQ(g_CurrentScene, nullptr);
}

// ---- The scene table ----------------------------------------------------------

TEST_F(SceneTest, TheSceneTableKeepsKindNameAndFlag) {
  std::string longest(255, 'N');
  Put("DATA/QDV.BIN", kelvdata::BuildQdv({{1, "RACE.SCN", 7}, {0, longest, 0}, {0, "", 1}}));
  ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
  ASSERT_EQ(g_App.sceneCount, 3u);
  EXPECT_EQ(g_SceneTable[0].kind, SCENE_KIND_RACE);
  EXPECT_STREQ(g_SceneTable[0].name, "RACE.SCN");
  EXPECT_EQ(g_SceneTable[0].flag, 7);
  EXPECT_EQ(std::string(g_SceneTable[1].name), longest);
  EXPECT_STREQ(g_SceneTable[2].name, "");
  EXPECT_EQ(g_SceneTable[2].flag, 1);

  // An empty table loads; every scene number is then outside it.
  Put("DATA/QDV.BIN", kelvdata::BuildQdv({}));
  ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
  EXPECT_EQ(g_App.sceneCount, 0u);
  EXPECT_FALSE(CreateScene(0));
}

TEST_F(SceneTest, DamagedSceneTablesAreRejected) {
  using kelvdata::Bytes;
  using kelvdata::QdvRecord;
  const Bytes good = kelvdata::BuildQdv({{0, "A.SCN", 0}, {1, "B.SCN", 0}});
  const Bytes name = {'A', '.', 'S', 'C', 'N', 0};
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty file", {}},
      {"count only half there", {2, 0}},
      {"count beyond the file", kelvdata::BuildQdvRaw(3, {{0, 6, name, 0}, {0, 6, name, 0}})},
      {"huge count", kelvdata::BuildQdvRaw(0xFFFFFFFFu, {{0, 6, name, 0}})},
      {"name length 0", kelvdata::BuildQdvRaw(1, {{0, 0, {}, 0}})},
      {"name length 257", kelvdata::BuildQdvRaw(1, {{0, 257, Bytes(257, 'A'), 0}})},
      {"name without its NUL", kelvdata::BuildQdvRaw(1, {{0, 5, {'A', '.', 'S', 'C', 'N'}, 0}})},
      {"cut in the last name", Bytes(good.begin(), good.end() - 4)},
      {"cut before the last flag", Bytes(good.begin(), good.end() - 1)},
  };
  for (const auto& c : cases) {
    Put("DATA/QDV.BIN", good);
    ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
    platform::ClearRecordedMessageBoxes();
    Put("DATA/QDV.BIN", c.bytes);
    EXPECT_FALSE(g_App.LoadSceneTable("DATA\\QDV.BIN")) << c.what;
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"File error opening game data.\nPlease reinstall Kelvarro."}))
        << c.what;
    // Nothing of the damaged file, nor of the earlier table, stays.
    EXPECT_EQ(g_App.sceneCount, 0u) << c.what;
    EXPECT_EQ(g_SceneTable, nullptr) << c.what;
  }

  platform::ClearRecordedMessageBoxes();
  EXPECT_FALSE(g_App.LoadSceneTable("DATA\\NONE.BIN"));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"File error opening game data.\nPlease reinstall Kelvarro."}));
}

}  // namespace
