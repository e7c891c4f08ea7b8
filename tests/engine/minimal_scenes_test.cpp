// The front end's and the race's scenes as they stand: the scene factory can
// make, start, run and delete them through the services they install.
#include <gtest/gtest.h>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene_table.h"
#include "engine/services/front_end.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "race/race/race_scene.h"
#include "race/race_install.h"
#include "tests/engine/program_fixture.h"
#include "tools/bbf.h"
#include "tools/qdv.h"
#include "tools/scene_files.h"

namespace {

class MinimalScenesTest : public kelvtest::ProgramTest {
 protected:
  // The program as it will be built: the front end and the race installed
  // before the global objects.
  void SetUp() override {
    ProgramTest::SetUp();
    RunProgramExitHandlers();
    for (int i = 0; i < PROGRAM_OBJECT_COUNT; ++i) saved_[i] = GetProgramObject(static_cast<ProgramObjectSlot>(i));
    InstallFrontEnd();
    InstallRace();
    ConstructProgramObjects();
    // Scene 27 as a plain screen: a background picture and no focus.
    kelvdata::SceneFile scene;
    scene.background = "DATA\\UI\\B.PIC";
    scene.focusList = "DATA\\UI\\F.FLT";
    Put("DATA/UI/SCENE27.SCN", kelvdata::BuildScene(scene));
    Put("DATA/UI.BBF", kelvdata::BuildBbf({{"B.PIC", kelvdata::BuildBackground(2, 2, kelvdata::Bytes(12, 100))},
                                           {"F.FLT", kelvdata::BuildFlt({})}}));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }
  void TearDown() override {
    Exit();
    for (int i = 0; i < PROGRAM_OBJECT_COUNT; ++i) SetProgramObject(static_cast<ProgramObjectSlot>(i), saved_[i]);
    ProgramTest::TearDown();
  }

  // A table of `count` front-end scenes named as the data set names them,
  // with scene 10 a race.
  void LoadGameTable(std::uint32_t count) {
    std::vector<kelvdata::QdvEntry> entries;
    for (std::uint32_t i = 0; i < count; ++i)
      entries.push_back({i == 10 ? 1u : 0u, "DATA\\UI\\SCENE" + std::to_string(i) + ".SCN", 0});
    Put("DATA/QDV.BIN", kelvdata::BuildQdv(entries));
    ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
  }

  ProgramObject saved_[PROGRAM_OBJECT_COUNT];
};

TEST_F(MinimalScenesTest, AreMadeStartedRunAndDeleted) {
  LoadGameTable(40);
  CreateWindow();
  g_GameWidth = 640;
  g_GameHeight = 480;
  ASSERT_TRUE(g_Renderer.Open());

  ASSERT_TRUE(CreateScene(27));
  EXPECT_EQ(g_GameController.uiScene, g_CurrentScene);
  EXPECT_FALSE(g_FrontEnd->IsMovieScene(g_CurrentScene));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(g_CurrentScene->RunFrame());

  // The game controller's pending change, carried out as WinMain does: the
  // race scene is made and started, and without its loading picture it
  // fails with its box and is deleted again.
  g_GameController.pendingSceneChange = 1;
  g_GameController.nextScene = 10;
  ASSERT_TRUE(g_FrontEnd->IsSceneChangePending());
  EXPECT_FALSE(CreateScene(static_cast<int>(g_FrontEnd->NextSceneNumber())));
  g_FrontEnd->ClearSceneChange();
  EXPECT_FALSE(g_FrontEnd->IsSceneChangePending());
  EXPECT_EQ(g_GameController.uiScene, nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"File error opening ui back data.\nPlease reinstall Kelvarro."}));
  DeleteCurrentScene();
  EXPECT_EQ(g_GameController.raceScene, nullptr);
}

TEST_F(MinimalScenesTest, AFrontEndSceneWithoutItsFileFailsToLoad) {
  LoadGameTable(40);
  CreateWindow();
  ASSERT_TRUE(g_Renderer.Open());
  EXPECT_FALSE(CreateScene(28));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"File error opening ui data.\nPlease reinstall Kelvarro."}));
}

// The main loop's idle pass as WinMain runs it: a scene change that fails
// still leaves the game controller with nothing pending.
TEST_F(MinimalScenesTest, AFailedSceneChangeStillClearsThePendingChange) {
  LoadGameTable(40);
  CreateWindow();
  ASSERT_TRUE(g_Renderer.Open());
  g_GameController.Command(CMD_GO_TO_SCENE, 28, 0, "NULL");
  g_GameController.pendingSceneChange = 1;
  ASSERT_TRUE(g_FrontEnd->IsSceneChangePending());
  EXPECT_FALSE(CreateScene(static_cast<int>(g_FrontEnd->NextSceneNumber())));
  DeleteCurrentScene();
  g_FrontEnd->ClearSceneChange();
  EXPECT_EQ(g_GameController.pendingSceneChange, 0);
  EXPECT_EQ(g_GameController.nextScene, 0);
  EXPECT_EQ(g_GameController.uiScene, nullptr);
}

TEST_F(MinimalScenesTest, ARaceStopsTheMusic) {
  kelvtest::InsertGameCd();
  LoadGameTable(40);
  CreateWindow();
  g_GameWidth = 640;
  g_GameHeight = 480;
  g_CdAudio.track = 2;
  ASSERT_TRUE(g_CdAudio.Open());
  ASSERT_TRUE(g_CdAudio.Play());
  // Stopped as the scene is made, before its load (which fails here).
  EXPECT_FALSE(CreateScene(10));
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_STOPPED);
}

}  // namespace
