// The lobby's commands on a UI scene built in place, with the network game
// installed but no session: the settings' steps, the session list and its
// choice, the moving list of lines, the start with one player, and a
// client's wait on the event screen for the host.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "frontend/championship.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "network/net_game.h"
#include "platform/glide/glide.h"
#include "platform/win32/timer.h"
#include "tests/network/net_game_fixture.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/game_root.h"

namespace {

class LobbyCommandsTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    InstallFrontEnd();
    for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                   PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
      if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
    }
    g_GameMode = GAME_MODE_MULTIPLAYER;
    g_SceneNumber = 15;
    g_NetPlayerCount = 1;
    g_NetSessionCount = 0;
    game_ = std::make_unique<DirectPlayNetGame>();
    InstallNetGame(game_.get());
    scene_ = std::make_unique<UiScene>();
    scene_->staticTexts.items = std::make_unique<StaticText[]>(17);
    scene_->staticTexts.count = 17;
    scene_->editTexts.items = std::make_unique<EditText[]>(2);
    scene_->editTexts.count = 2;
    scene_->uiTexts.items = std::make_unique<UiStaticText[]>(14);
    scene_->uiTexts.count = 14;
    g_GameController.SetUiScene(scene_.get());
  }
  void TearDown() override {
    g_GameController.ClearUiScene();
    scene_.reset();
    InstallNetGame(nullptr);
    game_.reset();
    g_NetSessionCount = 0;
    g_NetPlayerCount = 1;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    GameRootTest::TearDown();
  }

  void Command(std::int32_t id, std::int32_t a1 = 0, std::int32_t a2 = 0) {
    g_GameController.Command(id, a1, a2, "NULL");
  }
  const char* StaticString(std::uint16_t i) { return scene_->staticTexts[i].String(); }
  std::string EditString(std::uint16_t i) {
    char out[256];
    scene_->editTexts[i].TextWithoutCaret(out);
    return out;
  }
  void ListSessions(int count) {
    g_NetSessionCount = static_cast<std::uint8_t>(count);
    for (int i = 0; i < count; ++i) {
      g_NetSessions[i] = NetSessionEntry{};
      std::snprintf(g_NetSessions[i].name, sizeof g_NetSessions[i].name, "cup %d", i);
    }
  }

  std::unique_ptr<DirectPlayNetGame> game_;
  std::unique_ptr<UiScene> scene_;
};

TEST_F(LobbyCommandsTest, SettingsStepWithinTheirRangesAndShowTheirTexts) {
  Command(CMD_NET_CYCLE_SETTING, NET_SETTING_PARITY, 0);
  EXPECT_EQ(game_->settings.parityIndex, 0) << "stepping down from 0";
  Command(CMD_NET_CYCLE_SETTING, NET_SETTING_BAUD_RATE, 1);
  EXPECT_STREQ(StaticString(NET_SETTING_BAUD_RATE), "300");
  for (int i = 0; i < 20; ++i) Command(CMD_NET_CYCLE_SETTING, NET_SETTING_BAUD_RATE, 1);
  EXPECT_STREQ(StaticString(NET_SETTING_BAUD_RATE), "256000");
  Command(CMD_NET_CYCLE_SETTING, NET_SETTING_BAUD_RATE, 0);
  EXPECT_STREQ(StaticString(NET_SETTING_BAUD_RATE), "128000");
  Command(CMD_NET_CYCLE_SETTING, 6, 1);
  EXPECT_STREQ(StaticString(6), "") << "no setting 6";
}

TEST_F(LobbyCommandsTest, TheConnectionScreenForgetsSessionsAndUpperCasesTheAddresses) {
  g_NetSessionCount = 3;
  g_NetPlayerCount = 4;
  std::strcpy(game_->hostAddress, "track.example");
  std::strcpy(game_->phoneNumber, "555-0100");
  Command(CMD_NET_SHOW_SETUP);
  EXPECT_EQ(g_NetSessionCount, 0);
  EXPECT_EQ(g_NetPlayerCount, 1);
  EXPECT_EQ(EditString(0), "TRACK.EXAMPLE");
  EXPECT_STREQ(game_->hostAddress, "TRACK.EXAMPLE");
  EXPECT_EQ(EditString(1), "555-0100");
  EXPECT_STREQ(StaticString(NET_SETTING_STOP_BITS), "1.0");
}

TEST_F(LobbyCommandsTest, ARowPastTheListKeepsTheChoiceButRefreshes) {
  ListSessions(2);
  Command(CMD_NET_LOBBY, 5);
  EXPECT_EQ(game_->sessionIndex, 1);
  EXPECT_EQ(EditString(0), "CUP 1");
  g_NetPlayerCount = 3;
  Command(CMD_NET_LOBBY, 9);
  EXPECT_EQ(game_->sessionIndex, 1);
  EXPECT_EQ(g_NetPlayerCount, 1);
  EXPECT_STREQ(StaticString(3), "CUP 0");
  EXPECT_STREQ(StaticString(4), "CUP 1");
  EXPECT_STREQ(StaticString(5), "");
}

TEST_F(LobbyCommandsTest, AfterScrollingTheRowTheNameAndTheSessionAreOne) {
  ListSessions(9);
  Command(CMD_NET_LOBBY, 3);
  Command(CMD_NET_LOBBY, 3);
  Command(CMD_NET_LOBBY, 3);
  EXPECT_EQ(game_->FirstShownSession(), 2) << "nine sessions show at most from the third";
  Command(CMD_NET_LOBBY, 4 + 1);
  EXPECT_EQ(game_->sessionIndex, 3);
  EXPECT_STREQ(StaticString(3 + 1), "CUP 3");
  EXPECT_EQ(EditString(0), "CUP 3");
  EXPECT_STREQ(game_->sessionName, "CUP 3");
  Command(CMD_NET_LOBBY, 2);
  EXPECT_EQ(game_->FirstShownSession(), 1);
  EXPECT_STREQ(StaticString(3 + 2), "CUP 3") << "the chosen session moved down a row";
}

TEST_F(LobbyCommandsTest, RemovingALineMovesTheLinesBelowUp) {
  for (std::uint16_t i = 7; i <= 13; ++i) scene_->uiTexts[i].SetText(("line " + std::to_string(i)).c_str());
  Command(CMD_NET_LOBBY, 12, 3);
  EXPECT_STREQ(scene_->uiTexts[9].String(), "line 9");
  EXPECT_STREQ(scene_->uiTexts[10].String(), "line 11");
  EXPECT_STREQ(scene_->uiTexts[11].String(), "line 12");
  EXPECT_STREQ(scene_->uiTexts[12].String(), "line 13");
  EXPECT_STREQ(scene_->uiTexts[13].String(), "");
  Command(CMD_NET_LOBBY, 12, 6);
  EXPECT_STREQ(scene_->uiTexts[12].String(), "line 13");
}

TEST_F(LobbyCommandsTest, StartingAloneDoesNotStartButMarksTheChampionshipRound) {
  g_Championship.entries.assign(2, RaceEntry{});
  g_Championship.entries[0].sceneNumber = 40;
  g_Championship.entryCount = 2;
  g_Championship.roundPlayed.assign(2, 0);
  g_Championship.current = 0;
  Command(CMD_NET_LOBBY, 1);
  EXPECT_EQ(game_->isChampionship, 1);
  g_GameController.nextScene = 0;
  Command(CMD_NET_START_RACE);
  EXPECT_EQ(g_Championship.roundPlayed[0], 1);
  EXPECT_EQ(g_GameController.nextScene, 0);
  g_Championship.entries.clear();
  g_Championship.entryCount = 0;
  g_Championship.roundPlayed.clear();
  Command(CMD_NET_LOBBY, 0);
}

// The client's event screen (scene 21) run frame by frame, drawn on the
// recording board.
class EventScreenTest : public LobbyCommandsTest {
 protected:
  void SetUp() override {
    LobbyCommandsTest::SetUp();
    kelvtest::OpenFuzzRenderer();
    platform::UseTestTime(1000);
    g_NetConfirmed = g_NetRaceStartReceived = 0;
  }
  void TearDown() override {
    g_NetConfirmed = g_NetRaceStartReceived = 0;
    g_GameController.ClearUiScene();
    scene_.reset();
    g_Renderer.Close();
    platform::ClearGlideRecords();
    platform::UseRealTime();
    LobbyCommandsTest::TearDown();
  }

  // The scene the screen asks for within `ms` of running (0 for none).
  std::int32_t NextSceneWithin(unsigned ms) {
    g_SceneNumber = 21;
    scene_ = std::make_unique<UiScene>();
    scene_->sceneNumber = 21;
    scene_->SetState(UI_SCENE_RUNNING);
    scene_->previousTime = timeGetTime();
    g_UiSceneTimer = 0;
    g_GameController.SetUiScene(scene_.get());
    g_GameController.nextScene = 0;
    for (unsigned t = 0; t < ms; t += 100) {
      platform::AdvanceTime(100);
      scene_->RenderScene();
    }
    return g_GameController.nextScene;
  }
};

// A client waits on the event screen until the host has settled the event,
// then goes on to the garage and, from the players screen, to the race. The
// host confirms its choice only from the lobby: a client that confirms its
// rider after the host started the race has the start alone, and without it
// would stay while every other machine waits for it at the start.
TEST_F(EventScreenTest, AClientGoesOnOnceTheHostConfirmedOrStartedTheRace) {
  NetRaceStart start;
  start.playerIds = {100, 200, 0, 0, 0, 0, 0};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> fromHost;
    std::int32_t next;
  };
  const Case cases[] = {
      {"nothing from the host yet", {}, 0},
      {"the host's confirmation", kelvtest::Bytes(EncodeNetSignal(NET_MSG_CONFIRM)), 5},
      {"the race start", kelvtest::Bytes(EncodeNetRaceStart(start)), 5},
  };
  for (const Case& c : cases) {
    g_NetConfirmed = g_NetRaceStartReceived = 0;
    if (!c.fromHost.empty()) game_->HandleGameMessage(c.fromHost, 200, 100);
    EXPECT_EQ(NextSceneWithin(3000), c.next) << c.what;
  }
}

TEST_F(LobbyCommandsTest, HostingWithoutASessionNameStaysOnTheScreen) {
  g_GameController.nextScene = 0;
  Command(CMD_NET_OPEN_SESSION, 0);
  EXPECT_FALSE(game_->inSession);
  EXPECT_EQ(g_GameController.nextScene, 0);
}

}  // namespace
