// The network game on the layer's virtual network: hosting with a peer that
// joins, announces itself, clashes over a rider, talks and leaves; what each
// game message does to the slots, the conditions and the commands; leaving;
// the messages the pump must drop; and the lobby's modem text and list.
#include "network/net_game.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "engine/text_database.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "platform/dplay/dplay_test.h"
#include "riders/rider_physics.h"
#include "tests/network/net_game_fixture.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/dataset.h"
#include "tools/tdb.h"

namespace {

using kelvtest::Bytes;
using kelvtest::NetGameTest;
using kelvtest::Peer;
using kelvtest::Recorded;
using kelvtest::TypeOf;

TEST_F(NetGameTest, APeerJoinsClashesOverARiderTalksAndLeaves) {
  Host();
  EXPECT_TRUE(game_->isHost);
  EXPECT_NE(g_NetServerPlayerId, 0u);
  EXPECT_NE(DirectPlayNetGame::SlotId(0), 0u);
  // The host rides rider 3.
  g_PlayersList.entries[0].chosenRider = 3;

  Peer peer;
  ASSERT_TRUE(peer.Join([this] { Frame(); }));
  ASSERT_TRUE(Until([] { return g_NetPlayerCount == 2; }));
  EXPECT_EQ(g_PlayersList.entries[1].netPlayerId, peer.id);
  EXPECT_STREQ(game_->GetPlayerText(1), "PEER");
  EXPECT_EQ(game_->snapshot.playerIds[1], peer.id);
  EXPECT_EQ(game_->snapshot.states[1].orientation[0], 127) << "a unit rotation, never all zero";
  EXPECT_EQ(game_->allFactors.values[1][0], 1.0f);

  std::vector<std::uint32_t> greeted;
  ASSERT_TRUE(Until([&] {
    for (const auto& m : peer.Drain()) greeted.push_back(TypeOf(m));
    return greeted.size() >= 3;
  }));
  // The host's hello, the event, and the host's own rider choice.
  EXPECT_EQ(greeted, (std::vector<std::uint32_t>{NET_MSG_HELLO, NET_MSG_RACE_SETUP, NET_MSG_PLAYER_INFO}));

  // The peer wants the host's rider: it is given the first slot's number
  // without a chosen rider, and everybody is told.
  NetPlayerInfo info;
  info.playerId = peer.id;
  std::strcpy(info.name, "Peer");
  info.riderNumber = 3;
  peer.Send(g_NetServerPlayerId, Bytes(EncodeNetPlayerInfo(info)));
  std::vector<std::vector<std::uint8_t>> answers;
  ASSERT_TRUE(Until([&] {
    for (auto& m : peer.Drain()) answers.push_back(m);
    return !answers.empty();
  }));
  const auto told = DecodeNetPlayerInfo(answers[0]);
  ASSERT_TRUE(told);
  EXPECT_EQ(told->playerId, peer.id);
  EXPECT_EQ(told->riderNumber, 1) << "slot 1 is the first without a chosen rider";
  EXPECT_EQ(g_PlayersList.entries[1].chosenRider, 1);
  EXPECT_TRUE(controller_.Saw(CMD_SHOW_RIDER_CHOICE));
  EXPECT_TRUE(controller_.Saw(CMD_REFRESH_PLAYER_NAME));

  g_SceneNumber = 16;
  NetPlayerText text;
  std::strcpy(text.text, "ready when you are");
  peer.Send(DirectPlayNetGame::SlotId(0), Bytes(EncodeNetPlayerText(text)));
  ASSERT_TRUE(Until([&] { return game_->slotTexts[1][0] != '\0'; }));
  EXPECT_STREQ(game_->slotTexts[1], "ready when you are");
  EXPECT_TRUE(controller_.Saw(CMD_NET_SHOW_PLAYERS));

  controller_.commands.clear();
  peer.dp->DestroyPlayer(peer.id);
  peer.dp->Close();
  ASSERT_TRUE(Until([] { return g_NetPlayerCount == 1; }));
  for (int i = 0; i < 50; ++i) Frame();
  EXPECT_EQ(g_NetPlayerCount, 1) << "the host's second copy of the message changes nothing";
  EXPECT_EQ(controller_.Count(CMD_NET_PLAYER_COUNT), 1);
  EXPECT_EQ(g_PlayersList.entries[1].netPlayerId, 0u);
  EXPECT_EQ(g_PlayersList.entries[1].chosenRider, -1);
  EXPECT_STREQ(game_->slotTexts[1], "");
  EXPECT_EQ(game_->snapshot.playerIds[1], 0u);
}

TEST_F(NetGameTest, SelfSentMessagesAndTheHostsOwnToItsServerAreDropped) {
  Host();
  g_SceneNumber = 16;
  const DPID local = DirectPlayNetGame::SlotId(0);
  NetPlayerText text;
  std::strcpy(text.text, "echo");
  auto bytes = Bytes(EncodeNetPlayerText(text));
  g_DirectPlay->Send(local, local, DPSEND_GUARANTEED, bytes.data(), static_cast<DWORD>(bytes.size()));
  g_DirectPlay->Send(local, g_NetServerPlayerId, DPSEND_GUARANTEED, bytes.data(), static_cast<DWORD>(bytes.size()));
  auto ready = Bytes(EncodeNetSignal(NET_MSG_READY));
  g_DirectPlay->Send(local, g_NetServerPlayerId, DPSEND_GUARANTEED, ready.data(), static_cast<DWORD>(ready.size()));
  for (int i = 0; i < 20; ++i) Frame();
  EXPECT_STREQ(game_->slotTexts[0], "");
  EXPECT_EQ(game_->readyCount, 0);
  EXPECT_FALSE(controller_.Saw(CMD_NET_SHOW_PLAYERS));
  DWORD left = 1;
  g_DirectPlay->GetMessageCount(g_NetServerPlayerId, &left);
  EXPECT_EQ(left, 0u) << "read and dropped, not left waiting";
}

TEST_F(NetGameTest, APumpHandlesAtMost255MessagesAFrame) {
  Host();
  Peer peer;
  ASSERT_TRUE(peer.Join([this] { Frame(); }));
  ASSERT_TRUE(Until([] { return g_NetPlayerCount == 2; }));
  for (int i = 0; i < 300; ++i) peer.Send(g_NetServerPlayerId, Bytes(EncodeNetSignal(NET_MSG_HELLO)));
  DWORD queued = 0;
  for (int i = 0; i < 2000 && queued < 300; ++i) {
    g_DirectPlay->GetMessageCount(g_NetServerPlayerId, &queued);
    platform::AdvanceTestNetwork(5);
  }
  ASSERT_EQ(queued, 300u);
  game_->Receive();
  g_DirectPlay->GetMessageCount(g_NetServerPlayerId, &queued);
  EXPECT_EQ(queued, 45u);
  game_->Receive();
  g_DirectPlay->GetMessageCount(g_NetServerPlayerId, &queued);
  EXPECT_EQ(queued, 0u);
}

TEST_F(NetGameTest, LeavingForgetsTheSessionAndLeavingTwiceIsHarmless) {
  Host();
  g_PlayersList.entries[0].chosenRider = 4;
  std::strcpy(game_->slotTexts[0], "bye");
  g_NetConfirmed = g_NetRaceStartReceived = 1;
  EXPECT_TRUE(game_->Leave());
  EXPECT_EQ(g_NetConfirmed, 0);
  EXPECT_EQ(g_NetRaceStartReceived, 0);
  EXPECT_FALSE(game_->inSession);
  EXPECT_FALSE(game_->isHost);
  EXPECT_EQ(g_NetServerPlayerId, 0u);
  EXPECT_EQ(DirectPlayNetGame::SlotId(0), 0u);
  EXPECT_EQ(g_PlayersList.entries[0].chosenRider, -1);
  EXPECT_STREQ(game_->slotTexts[0], "");
  EXPECT_EQ(g_NetPlayerCount, 1);
  EXPECT_TRUE(game_->Leave());
  EXPECT_EQ(g_NetPlayerCount, 1);
}

TEST_F(NetGameTest, HostingStartsAloneAfterAListing) {
  g_NetPlayerCount = 4;
  g_PlayersList.entries[2].netPlayerId = 77;
  Host();
  EXPECT_EQ(g_NetPlayerCount, 1);
  EXPECT_EQ(g_PlayersList.entries[2].netPlayerId, 0u);
}

TEST_F(NetGameTest, AListingReplacesThePlayersOfTheSessionListedBefore) {
  g_PlayersList.entries[5].netPlayerId = 55;
  std::strcpy(g_NetPlayerNames[5].shortName, "GONE");
  g_NetSessionCount = 0;
  game_->EnumPlayers(0, false);
  EXPECT_EQ(g_PlayersList.entries[5].netPlayerId, 0u);
  EXPECT_STREQ(game_->GetPlayerText(5), "");
}

TEST_F(NetGameTest, HostingWithoutANameFails) {
  game_->SelectConnectionKind(NET_KIND_TCPIP);
  ASSERT_TRUE(game_->BuildAddress());
  ASSERT_TRUE(game_->InitializeConnection());
  game_->sessionName[0] = '\0';
  EXPECT_FALSE(game_->HostSession());
  EXPECT_FALSE(game_->inSession);
}

TEST_F(NetGameTest, JoiningANamelessListedSessionIsRefused) {
  g_NetSessionCount = 1;
  g_NetSessions[0] = NetSessionEntry{};
  game_->sessionIndex = 0;
  EXPECT_FALSE(game_->JoinSession());
  EXPECT_EQ(DirectPlayNetGame::SlotId(0), 0u);
  g_NetSessionCount = 0;
}

TEST_F(NetGameTest, SelectionMovesTheEventOnlyWhenItExistsButAlwaysTheChooser) {
  g_SceneNumber = 4;
  struct Case {
    std::uint16_t index;
    std::int16_t current;
  };
  for (const Case c : {Case{2, 2}, Case{0x0101, 1}, Case{7, 1}}) {
    controller_.commands.clear();
    Handle(100, Bytes(EncodeNetSelection({c.index, 5})));
    EXPECT_EQ(g_SingleRace.current, c.current) << c.index;
    EXPECT_EQ(controller_.commands,
              (std::vector<Recorded>{{CMD_CHOOSER_GO_TO_PAGE, 0, 5}, {CMD_SHOW_EVENT, 0, 0}}));
  }
}

TEST_F(NetGameTest, PeerValuesOutsideTheirRangesAreIgnored) {
  ThreePlayers();
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  NetPlayerInfo info;
  info.playerId = 200;
  info.riderNumber = 20;
  NetRaceSetup setup;
  setup.skill = 3;
  const Case cases[] = {
      {"weather 4", Bytes(EncodeNetValue(NET_MSG_EVENT_OPTION, 4))},
      {"rider 20", Bytes(EncodeNetPlayerInfo(info))},
      {"short message", [&] {
         info.riderNumber = 2;
         auto b = Bytes(EncodeNetPlayerInfo(info));
         b.pop_back();
         return b;
       }()},
      {"unknown type", Bytes(EncodeNetValue(0x100A, 1))},
  };
  for (const Case& c : cases) {
    controller_.commands.clear();
    Handle(200, c.bytes);
    EXPECT_TRUE(controller_.commands.empty()) << c.what;
  }
  Handle(100, Bytes(EncodeNetRaceSetup(setup)));
  EXPECT_FALSE(controller_.Saw(CMD_SET_SKILL)) << "skill 3";
  EXPECT_TRUE(controller_.Saw(CMD_LOAD_EVENT_DATA));
  controller_.commands.clear();
  setup.skill = 2;
  Handle(100, Bytes(EncodeNetRaceSetup(setup)));
  EXPECT_EQ(controller_.commands.front(), (Recorded{CMD_SET_SKILL, 2, 0}));
}

TEST_F(NetGameTest, ClientHandlersSetTheirFlagsAndSlots) {
  ThreePlayers();
  game_->hostPlayerId = 200;
  Handle(100, Bytes(EncodeNetSignal(NET_MSG_CONFIRM)));
  EXPECT_EQ(g_NetConfirmed, 1);
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_ALL_READY)));
  EXPECT_EQ(game_->allReady, 1);
  Handle(100, Bytes(EncodeNetValue(NET_MSG_EVENT_OPTION, 2)));
  EXPECT_EQ(controller_.commands.back(), (Recorded{CMD_SET_WEATHER, 2, 0}));

  std::strcpy(game_->slotTexts[2], "old line");
  NetRaceStart start;
  start.eventIndex = 2;
  start.weather = 1;
  start.playerIds = {300, 100, 200, 0, 0, 0, 0};
  start.gridPositions = {0, 1, 2, 0, 0, 0, 0};
  Handle(100, Bytes(EncodeNetRaceStart(start)));
  EXPECT_EQ(g_NetRaceStartReceived, 1);
  EXPECT_EQ(g_SingleRace.current, 2);
  EXPECT_EQ(g_SingleRace.entries[0].weather, 1);
  EXPECT_EQ(g_PlayersList.entries[0].gridPosition, 1) << "slot 0 holds player 100";
  EXPECT_EQ(g_PlayersList.entries[1].gridPosition, 2);
  EXPECT_EQ(g_PlayersList.entries[2].gridPosition, 0);
  EXPECT_STREQ(game_->slotTexts[2], "");

  // A player the client did not know: greeted, seated and counted.
  NetPlayerInfo info;
  info.playerId = 400;
  std::strcpy(info.name, "Newcomer");
  info.riderNumber = 6;
  Handle(100, Bytes(EncodeNetPlayerInfo(info)));
  EXPECT_EQ(g_PlayersList.entries[3].netPlayerId, 400u);
  EXPECT_EQ(g_PlayersList.entries[3].chosenRider, 6);
  EXPECT_STREQ(g_PlayersList.entries[3].name, "Newcomer");
  EXPECT_EQ(g_NetPlayerCount, 4);
}

TEST_F(NetGameTest, HostCountsReportsAndNeverGoesBelowZero) {
  ThreePlayers();
  game_->isHost = 1;
  game_->snapshot.playerIds = {100, 200, 300, 0, 0, 0, 0};
  game_->allFactors.playerIds = game_->snapshot.playerIds;

  Handle(200, Bytes(EncodeNetSignal(NET_MSG_READY)));
  EXPECT_EQ(game_->readyCount, 1);
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_RIDER_BACK)));
  EXPECT_EQ(game_->outCount, 0);
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_RIDER_OUT)));
  EXPECT_EQ(game_->outCount, 1);

  NetRiderStateMessage state;
  state.state.position = {10, 20, 30};
  Handle(300, Bytes(EncodeNetRiderState(state)));
  state.type = NET_MSG_RIDER_STATE_2;
  Handle(300, Bytes(EncodeNetRiderState(state)));
  EXPECT_EQ(game_->snapshot.states[2].position[1], 20);
  EXPECT_EQ(game_->snapshot.states[2].updateCount, 2);

  NetRiderFactors factors;
  factors.values = {0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
  Handle(300, Bytes(EncodeNetRiderFactors(factors)));
  EXPECT_EQ(g_ConditionEngine[2], 0.5f);
  EXPECT_EQ(g_ConditionBrakes[2], 0.8f) << "the clutch";
  EXPECT_EQ(game_->allFactors.values[2][4], 0.9f);
  factors.values[0] = 7.0f;
  Handle(300, Bytes(EncodeNetRiderFactors(factors)));
  EXPECT_EQ(g_ConditionEngine[2], 0.5f) << "a condition past 1.0 is ignored";

  controller_.commands.clear();
  Handle(300, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  EXPECT_EQ(controller_.commands, (std::vector<Recorded>{{CMD_NET_RIDER_OUT, 2, 1}}));
  EXPECT_EQ(game_->outCount, 2);

  // As a client: the host's conditions never touch this machine's own slot.
  game_->isHost = 0;
  game_->hostPlayerId = 200;
  NetAllFactors all;
  all.playerIds = {100, 200, 0, 0, 0, 0, 0};
  all.values[0] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
  all.values[1] = {0.2f, 0.2f, 0.2f, 0.2f, 0.2f};
  Handle(200, Bytes(EncodeNetAllFactors(all)));
  EXPECT_EQ(g_ConditionEngine[0], 1.0f);
  EXPECT_EQ(g_ConditionEngine[1], 0.2f);
}

TEST_F(NetGameTest, WithoutAModemTheModemTextIs995) {
  std::vector<kelvdata::BbfMember> ui = {{"GAMETXT0.TDB", kelvdata::BuildTdb(kelvdata::DataSetTexts(0))}};
  Put("DATA/UI.BBF", kelvdata::BuildBbf(ui));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(0)));
  game_->EnumModems();
  EXPECT_EQ(g_NetModemCount, 0);
  game_->StepSetting(NET_SETTING_MODEM, true);
  EXPECT_STREQ(game_->GetSettingText(NET_SETTING_MODEM), g_TextDatabase.Text(995));
  g_TextDatabase.Release();
  g_UiArchive.Close();
}

TEST_F(NetGameTest, EightSessionsScrollOnlyToTheSecond) {
  g_NetSessionCount = 8;
  for (int i = 0; i < 8; ++i) {
    g_NetSessions[i] = NetSessionEntry{};
    std::snprintf(g_NetSessions[i].name, sizeof g_NetSessions[i].name, "race %d", i);
  }
  for (int i = 0; i < 5; ++i) game_->ScrollSessionList(true);
  EXPECT_EQ(game_->FirstShownSession(), 1);
  EXPECT_STREQ(game_->GetSessionText(0), "RACE 1");
  EXPECT_STREQ(game_->GetSessionText(6), "RACE 7");
  game_->ScrollSessionList(false);
  game_->ScrollSessionList(false);
  EXPECT_EQ(game_->FirstShownSession(), 0);
  g_NetSessionCount = 0;
}

}  // namespace
