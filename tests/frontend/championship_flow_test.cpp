// A championship through the data set's own screens: started from the main
// menu, saved into a slot from the championship menu, and after a fresh
// start of the front end's objects loaded again from the load screen, with
// its round, money, skill and riders as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/ui_scene.h"
#include "platform/glide/glide.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/frontend/data_set_screens.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/dataset.h"
#include "tools/scene_samples.h"

namespace {

class ChampionshipFlowTest : public kelvtest::DataSetScreensTest {
 protected:
  // The front end's objects built anew, as a new run of the program has them.
  static void Restart() {
    for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                   PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
      if (GetProgramObject(slot).exitHandler) GetProgramObject(slot).exitHandler();
      if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
    }
    g_GameController.Command(CMD_LOAD_OPTIONS, 0, 0, "NULL");
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_GameSkill = 0;
    g_RiderCount = 20;
  }
};

TEST_F(ChampionshipFlowTest, ASavedChampionshipComesBackAfterARestart) {
  g_GameSkill = 1;
  g_RiderCount = 14;

  // The main menu's championship button leads to the player screen, whose
  // OK leads to the championship menu.
  UiScene* s = Show(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Press(s, 1), 1);
  EXPECT_EQ(g_GameMode, GAME_MODE_CHAMPIONSHIP);
  ASSERT_GT(g_Championship.entryCount, 4);
  s = Show(1);
  ASSERT_NE(s, nullptr);
  const int menu = Press(s, 0);
  EXPECT_EQ(menu, g_NoBudget ? 18 : 3);
  const std::string player = g_PlayersList.entries[0].name;
  EXPECT_FALSE(player.empty());

  // Some way into the championship.
  g_Championship.current = 3;
  g_Championship.previousRound = 2;
  g_Championship.roundPlayed[0] = g_Championship.roundPlayed[1] = g_Championship.roundPlayed[2] = 1;
  g_GameController.money = 2345;

  // The menu's save button, slot 2 and a label typed into it, then save.
  s = Show(menu);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Press(s, 0), 8);
  s = Show(8);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->editTexts[1].String(), "EMPTY");
  EXPECT_EQ(Press(s, 3), -1);
  EXPECT_EQ(std::string(s->editTexts[1].String()).find("EMPTY"), std::string::npos)
      << "the empty slot's text goes for the label";
  Type(s, "RUN");
  EXPECT_EQ(Press(s, 0), menu);
  ASSERT_TRUE(std::filesystem::exists(Host("DATA/SAVE/02.SVD")));

  Restart();
  ASSERT_EQ(g_Championship.entryCount, 0);

  // The main menu's load button, the slot shown with its label, loaded.
  s = Show(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Press(s, 4), kelvdata::LOAD_SCENE);
  s = Show(kelvdata::LOAD_SCENE);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->staticTexts[1].String(), "RUN");
  EXPECT_STREQ(s->staticTexts[0].String(), "EMPTY");
  EXPECT_EQ(Press(s, 3), -1);
  EXPECT_EQ(Press(s, 0), menu);

  EXPECT_EQ(g_GameMode, GAME_MODE_CHAMPIONSHIP);
  EXPECT_EQ(g_GameSkill, 1);
  EXPECT_EQ(g_RiderCount, 14u);
  EXPECT_EQ(g_Championship.current, 3);
  EXPECT_EQ(g_Championship.previousRound, 2);
  EXPECT_EQ(g_Championship.roundsStarted, 3);
  EXPECT_EQ(g_PlayersList.entries[0].money, 2345);
  EXPECT_EQ(g_GameController.money, 2345);
  EXPECT_EQ(g_PlayersList.entries[0].name, player);
}

}  // namespace
