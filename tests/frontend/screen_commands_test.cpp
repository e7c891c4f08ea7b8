// The screens' commands: bars, the leave action, the way on from the
// results, the weather, the hidden names, the save slots, the results table
// and the starting grid.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/net_game.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "platform/win32/crt.h"
#include "tests/frontend/scene_fixture.h"
#include "tools/scene_files.h"

namespace {

using kelvdata::SceneFile;

class ScreenCommandsTest : public kelvtest::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    g_GameSkill = 0;
    g_NoBudget = 0;
    g_RiderCount = 8;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceType = RACE_TYPE_NONE;
    g_QualifyingSkipped = g_QualifyingSkippedNoFee = 0;
  }
  void TearDown() override {
    g_ShowFrameStats = 0;
    g_RandomRoundOrder = g_MissileMode = g_HiddenNameEntered = 0;
    g_SelectedSaveSlot = 0;
    SceneTest::TearDown();
  }
  static void Run(std::int32_t id, std::int32_t a1 = 0, std::int32_t a2 = 0, const char* text = "NULL") {
    g_GameController.Command(id, a1, a2, text);
  }
  // A scene of `n` widgets per list: toggle buttons, edit texts, static
  // texts and bars.
  UiScene* Widgets(int number, int n) {
    SceneFile f = Plain();
    for (int i = 0; i < n; ++i) {
      f.lists[kelvdata::SCENE_BUTTONS].push_back(Entry("DATA\\UI\\KT.BTN", 10.0f * i));
      f.lists[kelvdata::SCENE_EDIT_TEXTS].push_back(Entry("DATA\\UI\\E.EDT", 10.0f * i));
      f.lists[kelvdata::SCENE_PROGRESS_BARS].push_back(Entry("DATA\\UI\\KP.PRB", 10.0f * i));
    }
    f.lists[kelvdata::SCENE_STATIC_TEXTS].resize(static_cast<std::size_t>(n), Entry("DATA\\UI\\T.STX", 0.0f));
    f.focusList = "DATA\\UI\\K.FLT";
    return Load(number, f);
  }
  static kelvdata::SceneWidgetEntry Entry(const char* path, float x) {
    kelvdata::SceneWidgetEntry e;
    e.path = path;
    e.position[0] = x;
    return e;
  }
  static std::string Static(UiScene* s, int i) { return s->staticTexts[static_cast<std::uint16_t>(i)].String(); }
  static RaceTime Time(std::uint32_t ms) {
    RaceTime t;
    t.totalMs = ms;
    t.minutes = static_cast<std::uint16_t>(ms / 60000);
    t.seconds = static_cast<std::uint16_t>(ms / 1000 % 60);
    t.hundredths = static_cast<std::uint16_t>(ms / 10 % 100);
    return t;
  }
  static void LoadEvent(std::uint8_t mode) {
    g_GameMode = mode;
    Run(CMD_LOAD_EVENT_DATA);
  }
};

TEST_F(ScreenCommandsTest, BarsStopAt99And1AndAnEmptyBarStaysEmpty) {
  UiScene* s = Widgets(6, 1);
  ASSERT_NE(s, nullptr);
  const struct {
    std::uint16_t from;
    std::int32_t command;
    std::uint16_t to;
  } cases[] = {{98, CMD_PROGRESS_BAR_UP, 99}, {99, CMD_PROGRESS_BAR_UP, 99}, {2, CMD_PROGRESS_BAR_DOWN, 1},
               {1, CMD_PROGRESS_BAR_DOWN, 1}, {0, CMD_PROGRESS_BAR_DOWN, 0}};
  for (const auto& c : cases) {
    s->progressBars[0].value = c.from;
    Run(c.command, 0);
    EXPECT_EQ(s->progressBars[0].value, c.to) << c.from << " " << c.command;
  }
}

TEST_F(ScreenCommandsTest, LeavingTheLastChanceScreenOfAQuickRaceGoesBackToItsEvent) {
  for (std::uint8_t mode : {GAME_MODE_QUICK_RACE, GAME_MODE_SINGLE_RACE}) {
    ASSERT_NE(Widgets(22, 1), nullptr);
    g_GameMode = mode;
    Run(CMD_SET_EXIT, 1, 7);
    Run(CMD_LEAVE_SCENE);
    EXPECT_EQ(g_GameController.nextScene, mode == GAME_MODE_QUICK_RACE ? 21 : 7);
  }
}

TEST_F(ScreenCommandsTest, ContinueEventGoesOnByModeSessionAndRank) {
  ASSERT_NE(Widgets(12, 1), nullptr);
  const struct {
    std::uint8_t mode;
    std::uint8_t type;
    std::uint32_t playerLap;  // the others: 50000, 60000, 70000...
    std::uint8_t skipped;
    std::int32_t scene;  // -1: the event's own scene
  } cases[] = {
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_PRACTICE, 1000, 0, -1},
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_MOTO_1, 1000, 0, -1},
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_QUALIFYING, 0, 0, 22},
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_QUALIFYING, 1000, 0, 19},
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_QUALIFYING, 1000, 1, 22},
      {GAME_MODE_QUICK_RACE, RACE_TYPE_MOTO_2, 999999, 0, 22},
      {GAME_MODE_QUICK_RACE, RACE_TYPE_MOTO_2, 55000, 0, 19},
      {GAME_MODE_CHAMPIONSHIP, RACE_TYPE_MOTO_1, 1000, 0, -1},
      {GAME_MODE_CHAMPIONSHIP, RACE_TYPE_QUALIFYING, 1000, 0, 19},
      {GAME_MODE_CHAMPIONSHIP, RACE_TYPE_QUALIFYING, 999999, 0, 22},
      {GAME_MODE_MULTIPLAYER, RACE_TYPE_PRACTICE, 1000, 0, 16},
  };
  for (const auto& c : cases) {
    LoadEvent(c.mode);
    RaceSeries& series = CurrentSeries();
    series.bestLaps[0] = Time(c.playerLap);
    for (int i = 1; i < 20; ++i) series.bestLaps[i] = Time(40000u + 10000u * static_cast<std::uint32_t>(i));
    g_RaceType = c.type;
    g_QualifyingSkipped = c.skipped;
    g_GameController.nextScene = -5;
    Run(CMD_CONTINUE_EVENT);
    const std::int32_t expected = c.scene >= 0 ? c.scene : series.Current()->sceneNumber;
    EXPECT_EQ(g_GameController.nextScene, expected) << int{c.mode} << " " << int{c.type} << " " << c.playerLap;
  }
}

// Records what the event commands ask of the network session.
class EventNetGame : public NetGame {
 public:
  void EnableJoining() override { ++joining; }
  void LeaveSession() override { ++left; }
  int joining = 0;
  int left = 0;
};

TEST_F(ScreenCommandsTest, StartEventGoesOnByModeAndSession) {
  ASSERT_NE(Widgets(12, 1), nullptr);
  const struct {
    std::uint8_t mode;
    std::uint8_t type;
    bool host;
    std::int32_t scene;
    std::uint8_t confirmed;  // g_NetConfirmed after, from 1
    int joining;
  } cases[] = {
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_PRACTICE, false, 5, 1, 0},
      {GAME_MODE_SINGLE_RACE, RACE_TYPE_MOTO_2, false, 4, 1, 0},
      {GAME_MODE_QUICK_RACE, RACE_TYPE_MOTO_2, false, 0, 1, 0},
      {GAME_MODE_MULTIPLAYER, RACE_TYPE_QUALIFYING, true, 5, 1, 0},
      // After the second moto a new network event begins: confirmed anew,
      // and the host's session takes players again.
      {GAME_MODE_MULTIPLAYER, RACE_TYPE_MOTO_2, true, 21, 0, 1},
      {GAME_MODE_MULTIPLAYER, RACE_TYPE_MOTO_2, false, 21, 0, 0},
  };
  for (const auto& c : cases) {
    EventNetGame net;
    net.isHost = c.host ? 1 : 0;
    InstallNetGame(&net);
    g_GameMode = c.mode;
    g_NetChampionship = 0;
    g_RaceType = c.type;
    g_NetConfirmed = 1;
    g_GameController.nextScene = -5;
    Run(CMD_START_EVENT, 1);
    InstallNetGame(nullptr);
    const std::string at = std::to_string(c.mode) + " " + std::to_string(c.type) + (c.host ? " host" : "");
    EXPECT_EQ(g_GameController.nextScene, c.scene) << at;
    EXPECT_EQ(g_NetConfirmed, c.confirmed) << at;
    EXPECT_EQ(net.joining, c.joining) << at;
  }
  g_NetConfirmed = 0;
}

TEST_F(ScreenCommandsTest, EndingTheLastRoundOfANetworkChampionshipLeavesTheSession) {
  for (std::uint8_t mode : {GAME_MODE_CHAMPIONSHIP, GAME_MODE_MULTIPLAYER}) {
    ASSERT_NE(Widgets(9, 1), nullptr);  // a scene that is not yet closing
    EventNetGame net;
    InstallNetGame(&net);
    g_GameMode = mode;
    g_Championship.roundPlayed.assign(10, 1);
    g_GameController.nextScene = -5;
    Run(CMD_END_EVENT);
    InstallNetGame(nullptr);
    EXPECT_EQ(g_GameController.nextScene, 0) << int{mode};
    EXPECT_EQ(net.left, mode == GAME_MODE_MULTIPLAYER ? 1 : 0) << int{mode};
  }
}

TEST_F(ScreenCommandsTest, FogWithoutFogDistanceIsStoredAsFarFogAndShownAsFog) {
  UiScene* s = Widgets(4, 10);
  ASSERT_NE(s, nullptr);
  LoadEvent(GAME_MODE_SINGLE_RACE);
  g_OptionWeather = 1;
  g_OptionFogDistance = 0;
  g_SingleRace.current = 0;
  Run(CMD_SET_WEATHER, 2);
  for (const RaceEntry& e : g_SingleRace.entries) EXPECT_EQ(e.weather, 3);
  EXPECT_EQ(Static(s, 9), "T34");
  EXPECT_EQ(s->buttons[8].toggleState, 1);
  EXPECT_EQ(s->buttons[6].toggleState, 0);
  // Entry 9 is always clear.
  g_SingleRace.current = 9;
  Run(CMD_SET_WEATHER, 1);
  for (const RaceEntry& e : g_SingleRace.entries) EXPECT_EQ(e.weather, 0);
  EXPECT_EQ(Static(s, 9), "T32");
  EXPECT_EQ(s->buttons[6].toggleState, 1);
}

TEST_F(ScreenCommandsTest, TheHiddenNames) {
  UiScene* s = Widgets(1, 1);
  ASSERT_NE(s, nullptr);
  auto enter = [s](const char* name) {
    s->editTexts[0].SetText(name);
    Run(CMD_ENTER_PLAYER_NAME, 0, 0);
  };
  for (std::uint8_t mode : {GAME_MODE_SINGLE_RACE, GAME_MODE_MULTIPLAYER}) {
    g_GameMode = mode;
    enter("tollwick");
    EXPECT_EQ(g_ShowFrameStats, 1) << int{mode};
    EXPECT_EQ(g_HiddenNameEntered, 1);
    enter("TollWick");
    EXPECT_EQ(g_ShowFrameStats, 0) << int{mode};
  }
  g_GameMode = GAME_MODE_MULTIPLAYER;
  enter("MAVO");
  EXPECT_EQ(g_RandomRoundOrder, 0);
  EXPECT_EQ(g_MissileMode, 0);
  EXPECT_EQ(g_HiddenNameEntered, 0);
  g_GameMode = GAME_MODE_SINGLE_RACE;
  enter("mavo");
  EXPECT_EQ(g_RandomRoundOrder, 1);
  EXPECT_EQ(g_MissileMode, 1);
}

TEST_F(ScreenCommandsTest, SaveSlotClicks) {
  UiScene* s = Widgets(8, 6);
  ASSERT_NE(s, nullptr);
  auto shown = [s] {
    std::string on;
    for (std::uint16_t b = 2; b <= 5; ++b) on += s->buttons[b].toggleState ? '1' : '0';
    return on;
  };
  const struct {
    std::int32_t slot;
    std::int32_t a2;
    std::uint8_t selected;
    const char* buttons;
  } clicks[] = {
      {3, 0, 3, "0100"},  // choose
      {3, 0, 0, "0000"},  // the same again clears
      {2, 0, 2, "1000"},
      {4, 1, 2, "1000"},  // another with a2 keeps the first
      {4, 0, 4, "0010"},  // without a2 it moves
  };
  for (const auto& c : clicks) {
    Run(CMD_SELECT_SAVE_SLOT, c.slot, c.a2);
    EXPECT_EQ(g_SelectedSaveSlot, c.selected) << c.slot << " " << c.a2;
    EXPECT_EQ(shown(), c.buttons) << c.slot << " " << c.a2;
  }
  // Typing a label: the slot's edit text joins the focus, once.
  const std::uint16_t before = s->focusCount;
  Run(CMD_SELECT_SAVE_SLOT, 4, 0);
  Run(CMD_SELECT_SAVE_SLOT, 5, 1);
  ASSERT_EQ(s->focusCount, before + 1);
  EXPECT_EQ(s->FocusedEntry()->kind, WIDGET_EDIT_TEXT);
  EXPECT_EQ(s->FocusedEntry()->index, 3);
  Run(CMD_SELECT_SAVE_SLOT, 5, 1);
  EXPECT_EQ(g_SelectedSaveSlot, 0);
  EXPECT_EQ(s->focusCount, before);
  Run(CMD_SELECT_SAVE_SLOT, 2, 0);
  Run(CMD_SELECT_SAVE_SLOT, 2, 1);
  EXPECT_EQ(s->focusCount, before);
}

TEST_F(ScreenCommandsTest, SavingOverwritesOnlyAfterTheQuestionWasAnswered) {
  LoadEvent(GAME_MODE_CHAMPIONSHIP);
  UiScene* s = Widgets(8, 6);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(g_DialogCount, 2);
  char label[256] = "";
  Run(CMD_SELECT_SAVE_SLOT, 2, 0);
  s->editTexts[0].SetText("");
  Run(CMD_SAVE_GAME);
  ASSERT_TRUE(ReadSaveGameName(0, label, sizeof label));
  EXPECT_STREQ(label, "SAVED_GAME");
  EXPECT_EQ(g_GameController.nextScene, 3);

  ASSERT_NE(Widgets(8, 6), nullptr);
  scene_->editTexts[0].SetText("SECOND");
  g_SelectedSaveSlot = 0;
  Run(CMD_SELECT_SAVE_SLOT, 2, 0);
  Run(CMD_SAVE_GAME);
  EXPECT_EQ(g_Dialogs[0].mode, 1);
  ASSERT_TRUE(ReadSaveGameName(0, label, sizeof label));
  EXPECT_STREQ(label, "SAVED_GAME");
  g_Dialogs[0].mode = 2;
  Run(CMD_SAVE_GAME);
  ASSERT_TRUE(ReadSaveGameName(0, label, sizeof label));
  EXPECT_STREQ(label, "SECOND");
}

TEST_F(ScreenCommandsTest, ResultsShareTiedPlacesAndListNonFinishersFromTheBottom) {
  LoadEvent(GAME_MODE_SINGLE_RACE);
  UiScene* s = Widgets(11, 1);
  ASSERT_NE(s, nullptr);
  g_RaceType = RACE_TYPE_QUALIFYING;
  const std::uint32_t laps[8] = {60000, 60000, 50000, 70000, 0, 0, 80000, 90000};
  for (int i = 0; i < 8; ++i) {
    g_SingleRace.bestLaps[i] = Time(laps[i]);
    g_SingleRace.outOfRace[i] = i == 4 || i == 5;
  }
  Run(CMD_SHOW_RIDER_LIST, 1, 0);
  ASSERT_EQ(s->staticTexts.count, 64);
  const int rowOfSlot[8] = {1, 2, 0, 3, 7, 6, 4, 5};
  for (int slot = 0; slot < 8; ++slot) {
    EXPECT_EQ(Static(s, rowOfSlot[slot]), g_PlayersList.entries[slot].name) << slot;
  }
  EXPECT_EQ(Static(s, 20 + 1), "01'00\"00");
  EXPECT_EQ(Static(s, 20 + 7), "DNF");
  EXPECT_EQ(Static(s, 20 + 6), "DNF");
  EXPECT_EQ(Static(s, 40), "01");
  EXPECT_EQ(Static(s, 8), "");
  EXPECT_EQ(Static(s, 60), "T157");
}

TEST_F(ScreenCommandsTest, RidersPickTheirPlacesInTheOrderOfTheirTimes) {
  LoadEvent(GAME_MODE_SINGLE_RACE);
  UiScene* s = Widgets(25, 1);
  ASSERT_NE(s, nullptr);
  const std::uint32_t laps[8] = {3000, 1000, 1000, 0, 2000, 0, 4000, 5000};
  for (int i = 0; i < 8; ++i) g_SingleRace.bestLaps[i] = Time(laps[i]);
  g_SingleRace.Current()->playerAtBack = 0;
  Run(CMD_BUILD_BIKE_OBJECTS);
  const std::uint8_t picks[8] = {1, 2, 4, 0, 6, 7, 5, 3};
  for (int p = 0; p < 8; ++p) EXPECT_EQ(g_GatePickOrder[p], picks[p]) << p;
  // Those before the player and the player's own mark are shown.
  EXPECT_EQ(Static(s, 0), "B");
  EXPECT_EQ(Static(s, 2), "E");
  EXPECT_EQ(Static(s, 3), "A");
  EXPECT_EQ(Static(s, 4), "");
  Run(CMD_MOVE_PLAYER_LINE, 1);
  EXPECT_EQ(Static(s, 3), "");
  EXPECT_EQ(Static(s, 4), "A");
  Run(CMD_START_RACE);
  const std::uint8_t grid[8] = {1, 2, 4, 6, 0, 7, 5, 3};
  for (int p = 0; p < 8; ++p) EXPECT_EQ(g_GridOrder[p], grid[p]) << p;
}

TEST_F(ScreenCommandsTest, ThePlayersLineWrapsRoundToTheOtherSide) {
  LoadEvent(GAME_MODE_SINGLE_RACE);
  UiScene* s = Widgets(25, 1);
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < 8; ++i) g_SingleRace.bestLaps[i] = Time(i == 0 ? 9000u : 1000u + 100u * static_cast<std::uint32_t>(i));
  g_SingleRace.Current()->playerAtBack = 0;
  Run(CMD_BUILD_BIKE_OBJECTS);
  ASSERT_EQ(Static(s, 7), "A");
  Run(CMD_MOVE_PLAYER_LINE, 1);
  // Every place but the player's is taken: nothing moves.
  EXPECT_EQ(Static(s, 7), "A");
  s->staticTexts[2].SetText("");
  Run(CMD_MOVE_PLAYER_LINE, 1);
  EXPECT_EQ(Static(s, 2), "A");
  EXPECT_EQ(Static(s, 7), "");
}

TEST_F(ScreenCommandsTest, ARandomGridIsAFullOrderWithThePlayerAtTheEnd) {
  LoadEvent(GAME_MODE_SINGLE_RACE);
  ASSERT_NE(Widgets(25, 1), nullptr);
  g_SingleRace.Current()->playerAtBack = 0;
  std::uint8_t first[8] = {};
  for (int round = 0; round < 2; ++round) {
    crt::srand(7);
    Run(CMD_SHUFFLE_GRID);
    std::set<int> seen(g_GridOrder, g_GridOrder + 8);
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_EQ(*seen.rbegin(), 7);
    EXPECT_EQ(g_GridOrder[7], 0);
    EXPECT_EQ(g_GatePickOrder[7], 0);
    if (round == 0) std::copy(g_GridOrder, g_GridOrder + 8, first);
  }
  EXPECT_TRUE(std::equal(first, first + 8, g_GridOrder));
  g_RiderCount = 1;
  Run(CMD_SHUFFLE_GRID);
  EXPECT_EQ(g_GridOrder[0], 0);
}

}  // namespace
