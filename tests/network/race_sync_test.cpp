// Racing together over the layer's virtual network, with the clock and the
// frame time in the test's hands: the rider-state and condition clocks, the
// host's relay, the start and end handshakes, the final order, the results
// as both sides keep them, and host migration in both orders of its events.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/scene/scene.h"
#include "network/net_game.h"
#include "network/net_game_internal.h"
#include "platform/win32/timer.h"
#include "race/race_manager.h"
#include "riders/ai_rider.h"
#include "riders/net_state.h"
#include "riders/rider.h"
#include "tests/network/net_game_fixture.h"

namespace {

using kelvtest::Bytes;
using kelvtest::Peer;
using kelvtest::TypeOf;

constexpr DWORD kStartMs = 100000;

// A registered rider that the tests place by hand.
class StillRider : public Rider {
 public:
  bool Update(unsigned, int) override { return true; }
  void ComputeControls() override {}
  void SetupAi() override {}
};

RaceTime Time(std::uint32_t ms) {
  RaceTime t;
  t.Add(ms);
  return t;
}

class RaceSyncTest : public kelvtest::NetGameTest {
 protected:
  void SetUp() override {
    NetGameTest::SetUp();
    platform::UseTestTime(kStartMs);
    g_FrameTime = 0.01f;
    g_RaceType = RACE_TYPE_MOTO_1;
    for (int s = 0; s < 20; ++s) {
      g_SingleRace.raceTimes[s] = RaceTime();
      g_SingleRace.bestLaps[s] = RaceTime();
      g_SingleRace.lapsRidden[s] = 0.0f;
      g_SingleRace.outOfRace[s] = 0;
      g_SingleRace.motoPositions[s][0] = g_SingleRace.motoPositions[s][1] = 0;
    }
  }
  void TearDown() override {
    game_->SetRaceManager(nullptr);
    for (StillRider*& r : riders_) {
      delete r;
      r = nullptr;
    }
    platform::UseRealTime();
    g_RaceType = RACE_TYPE_NONE;
    NetGameTest::TearDown();
  }

  // A rider in slot `slot` at race position `place`.
  StillRider* RiderIn(int slot, std::uint8_t place, bool out = false) {
    riders_[slot] = new StillRider();
    riders_[slot]->racePosition = place;
    riders_[slot]->out = out ? 1 : 0;
    game_->riders[slot] = riders_[slot];
    return riders_[slot];
  }
  void Record(int slot, std::uint32_t finishMs, float laps, bool out = false) {
    g_SingleRace.raceTimes[slot] = Time(finishMs);
    g_SingleRace.bestLaps[slot] = Time(finishMs / 4);
    g_SingleRace.lapsRidden[slot] = laps;
    g_SingleRace.outOfRace[slot] = out ? 1 : 0;
  }
  static std::uint8_t& Position(int slot) { return g_SingleRace.motoPositions[slot][0]; }

  // A frame of `ms` milliseconds as the race steps the network clocks.
  bool TimerFrame(DWORD ms, float frameTime = 0.01f) {
    platform::AdvanceTime(ms);
    game_->UpdateTimers(frameTime);
    return game_->periodTick != 0;
  }

  // The game hosting with one peer joined in slot 1.
  void HostWithPeer(Peer* peer) {
    Host();
    ASSERT_TRUE(peer->Join([this] { Frame(); }));
    ASSERT_TRUE(Until([] { return g_NetPlayerCount == 2; }));
    peer->Drain();
  }
  // The types `peer` received, pumping the game meanwhile.
  std::vector<std::uint32_t> Received(Peer* peer, DPID player = 0) {
    std::vector<std::uint32_t> types;
    for (int i = 0; i < 40; ++i) {
      Frame();
      for (const auto& m : peer->Drain(player)) types.push_back(TypeOf(m));
    }
    return types;
  }

  StillRider* riders_[20] = {};
};

TEST_F(RaceSyncTest, ALongFrameGivesOneTickAndCarriesTheRemainder) {
  game_->UpdateStartSync();
  ASSERT_EQ(game_->lastTimeMs, kStartMs) << "the start handshake starts the clock";
  EXPECT_FALSE(TimerFrame(1100)) << "the frame in which the time accrues has no tick";
  std::vector<bool> ticks;
  for (int i = 0; i < 7; ++i) ticks.push_back(TimerFrame(0));
  EXPECT_EQ(ticks, (std::vector<bool>{true, true, true, true, true, false, false}))
      << "1.1 s gives five whole periods, one a frame, and keeps 0.1 s";
  EXPECT_NEAR(game_->snapshotClock, 0.1f, 1e-4f);
}

TEST_F(RaceSyncTest, StateClockRunsOnRealTimeAndTheConditionCycleOnTheFrameTime) {
  game_->UpdateStartSync();
  int ticks = 0;
  // 100 frames of 20 ms that the frame time calls 0.31 s each.
  for (int i = 0; i < 100; ++i) ticks += TimerFrame(20, 0.31f) ? 1 : 0;
  EXPECT_GE(ticks, 9);
  EXPECT_LE(ticks, 10) << "2 s of real time";
  // 97 frames bring the cycle to 30.07 s; the 98th wraps it to exactly 0.
  game_->factorsClock = 0.0f;
  for (int i = 0; i < 97; ++i) TimerFrame(0, 0.31f);
  EXPECT_GT(game_->factorsClock, 30.0f);
  TimerFrame(0, 0.31f);
  EXPECT_EQ(game_->factorsClock, 0.0f);
  TimerFrame(0, 0.31f);
  EXPECT_NE(game_->factorsClock, 0.0f);
}

TEST_F(RaceSyncTest, AClockNotStartedCountsFromItsFirstFrame) {
  game_->lastTimeMs = 0;
  EXPECT_FALSE(TimerFrame(0));
  for (int i = 0; i < 19; ++i) EXPECT_FALSE(TimerFrame(10)) << i;
}

TEST_F(RaceSyncTest, StatesKeepTheirRateWhileTheOthersStillRace) {
  ThreePlayers();
  game_->isHost = 1;
  game_->UpdateStartSync();
  int ticks = 0;
  for (int i = 0; i < 100; ++i) {
    ASSERT_FALSE(game_->UpdateRaceEnd(20));
    ticks += TimerFrame(20) ? 1 : 0;
  }
  EXPECT_GE(ticks, 9);
  EXPECT_LE(ticks, 10) << "2 s of the end handshake";
}

TEST_F(RaceSyncTest, StartHandshakeSendsEachMessageOnceAndInOrder) {
  Peer peer;
  HostWithPeer(&peer);
  RaceManager manager;
  game_->SetRaceManager(&manager);
  ASSERT_EQ(manager.hud.introHelp, 0) << "a network race starts with the help off";

  EXPECT_FALSE(game_->UpdateStartSync());
  EXPECT_EQ(game_->endWait, 5.0f);
  peer.Send(g_NetServerPlayerId, Bytes(EncodeNetSignal(NET_MSG_READY)));
  bool ready = false;
  for (int i = 0; i < 200 && !ready; ++i) {
    ready = game_->UpdateStartSync();
    platform::AdvanceTestNetwork(5);
  }
  ASSERT_TRUE(ready);
  EXPECT_TRUE(game_->UpdateStartSync()) << "it stays ready";

  peer.Send(g_NetServerPlayerId, Bytes(EncodeNetSignal(NET_MSG_INTRO_DONE)));
  ASSERT_TRUE(Until([&] { return game_->introDoneCount == 1; }));
  EXPECT_EQ(manager.hud.introHelp, 1) << "the host switches its own help on";
  game_->SendSignal(NET_MSG_START_RACE);
  EXPECT_EQ(game_->startReceived, 1);

  EXPECT_EQ(Received(&peer),
            (std::vector<std::uint32_t>{NET_MSG_ALL_READY, NET_MSG_ALL_INTRO_DONE, NET_MSG_START_RACE}));
}

TEST_F(RaceSyncTest, ClientSwitchesItsIntroHelpOnWhenEveryIntroIsDone) {
  ThreePlayers();
  game_->hostPlayerId = 200;
  RaceManager manager;
  game_->SetRaceManager(&manager);
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_ALL_INTRO_DONE)));
  EXPECT_EQ(manager.hud.introHelp, 1);
}

TEST_F(RaceSyncTest, HostRelaysEveryStateInOneSnapshotAndItsConditionsEveryCycle) {
  Peer peer;
  HostWithPeer(&peer);
  const DPID host = DirectPlayNetGame::SlotId(0);
  AiRider remote;
  game_->riders[1] = &remote;

  // The peer's state arrives; the host's own goes into slot 0 on the tick.
  NetRiderStateMessage state;
  state.state.position = {327, -33, 3276};
  state.state.onTrack = 1;
  peer.dp->SendEx(peer.id, g_NetServerPlayerId, 0, Bytes(EncodeNetRiderState(state)).data(), 20, 0, 0, nullptr,
                  nullptr);
  ASSERT_TRUE(Until([&] { return game_->snapshot.states[1].updateCount == 1; }));
  NetRiderState mine;
  mine.position = Vector3(10.0f, 1.0f, -5.0f);
  mine.onTrack = 1;
  game_->SendRiderState(NET_MSG_RIDER_STATE, EncodeRiderState(mine));

  game_->periodTick = 1;
  game_->SendSnapshotIfDue();
  EXPECT_EQ(game_->snapshot.states[0].updateCount, 0);
  EXPECT_EQ(game_->snapshot.states[1].updateCount, 0) << "counts start again after every snapshot";
  // The host's own remote rider of the peer heads for the peer's state.
  EXPECT_NEAR(remote.targetPosition.z, 3276 * 0.03051851f, 1e-4f);

  std::vector<std::vector<std::uint8_t>> got;
  ASSERT_TRUE(Until([&] {
    for (auto& m : peer.Drain()) got.push_back(m);
    return !got.empty();
  }));
  const auto snapshot = DecodeNetSnapshot(got[0]);
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->playerIds[0], host);
  EXPECT_EQ(snapshot->playerIds[1], peer.id);
  EXPECT_EQ(snapshot->states[0].updateCount, 1);
  EXPECT_EQ(snapshot->states[0].position[0], 327) << "10 m x 32.767, towards zero";
  EXPECT_EQ(snapshot->states[1].updateCount, 1);
  EXPECT_EQ(snapshot->states[1].position[2], 3276);
  EXPECT_EQ(snapshot->states[1].onTrack, 1) << "byte 17 is relayed";

  // Not a tick: nothing goes.
  game_->periodTick = 0;
  game_->SendSnapshotIfDue();

  // The conditions go only in the frame in which the cycle wrapped.
  const NetConditions worn = {0.9f, 0.8125f, 0.7f, 0.6f, 0.123456789f};
  SetNetConditions(0, worn);
  game_->factorsClock = 0.5f;
  game_->SendFactors();
  game_->factorsClock = 0.0f;
  game_->SendFactors();
  got.clear();
  for (int i = 0; i < 40; ++i) {
    Frame();
    for (auto& m : peer.Drain()) got.push_back(m);
  }
  ASSERT_EQ(got.size(), 1u);
  const auto factors = DecodeNetAllFactors(got[0]);
  ASSERT_TRUE(factors);
  EXPECT_EQ(factors->playerIds[0], host);
  for (std::size_t i = 0; i < NET_CONDITIONS; ++i) {
    EXPECT_EQ(std::memcmp(&factors->values[0][i], &worn[i], 4), 0) << "bit for bit, value " << i;
  }
}

TEST_F(RaceSyncTest, AClientReportsToTheServerAndAgainAfterTheServerChanged) {
  // The peer plays the host: the game reports to the peer's player.
  Peer peer;
  HostWithPeer(&peer);
  game_->isHost = 0;
  g_NetServerPlayerId = game_->serverPlayerId = peer.id;

  // Its first frame in the starting state reports; the following ones do not.
  game_->ReportToServer(NET_MSG_READY, true);
  game_->ReportToServer(NET_MSG_READY, false);
  EXPECT_EQ(Received(&peer), (std::vector<std::uint32_t>{NET_MSG_READY}));

  // The server moves to another player: the next frame reports there, once.
  const DPID moved = peer.NewPlayer(NET_SERVER_NAME);
  peer.Send(DirectPlayNetGame::SlotId(0), Bytes(EncodeNetValue(NET_MSG_NEW_SERVER, moved)));
  ASSERT_TRUE(Until([&] { return game_->serverChanged == 1; }));
  EXPECT_EQ(game_->serverPlayerId, moved);
  game_->ReportToServer(NET_MSG_READY, false);
  game_->ReportToServer(NET_MSG_READY, false);
  EXPECT_EQ(game_->serverChanged, 0);
  EXPECT_EQ(Received(&peer, moved), (std::vector<std::uint32_t>{NET_MSG_READY}));
  EXPECT_TRUE(Received(&peer).empty());
}

TEST_F(RaceSyncTest, TheHostReportsToNobody) {
  ThreePlayers();
  game_->isHost = 1;
  game_->serverChanged = 1;
  game_->ReportToServer(NET_MSG_INTRO_DONE, true);
  EXPECT_EQ(game_->serverChanged, 1);
}

TEST_F(RaceSyncTest, FinalOrderPlacesFinishersByTimeThenRidersOutInSlotOrder) {
  ThreePlayers();
  g_PlayersList.entries[3].netPlayerId = 400;
  g_PlayersList.entries[4].netPlayerId = 500;
  g_NetPlayerCount = 5;
  game_->isHost = 1;
  // Slots 1 and 3 finish in the same time; slot 0 is faster but behind on
  // the track; slots 2 and 4 are out of the results.
  RiderIn(0, 3);
  RiderIn(1, 1);
  RiderIn(2, 4, true);
  RiderIn(3, 2);
  RiderIn(4, 5, true);
  Record(0, 61000, 3.75f);
  Record(1, 62000, 4.5f);
  Record(2, 0, 0.0f, true);
  Record(3, 62000, 4.0f);
  Record(4, 0, 0.0f, true);
  game_->ComputeFinalOrder();

  struct Expected {
    int slot;
    std::uint8_t position;
    std::uint8_t out;
    float laps;
    std::uint32_t finishMs;
  };
  const Expected expected[] = {
      {1, 1, 0, 4.0f, 62000},  // position 1 and the lower of the equal times
      {3, 2, 0, 4.0f, 62000},
      {0, 3, 0, 3.0f, 61000},  // faster, but third on the track
      {2, 4, 1, 0.0f, 0},      // out: below every finisher, in slot order
      {4, 5, 1, 0.0f, 0},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(Position(e.slot), e.position) << "slot " << e.slot;
    EXPECT_EQ(g_SingleRace.outOfRace[e.slot], e.out) << "slot " << e.slot;
    EXPECT_EQ(g_SingleRace.lapsRidden[e.slot], e.laps) << "slot " << e.slot;
    EXPECT_EQ(g_SingleRace.raceTimes[e.slot].totalMs, e.finishMs) << "slot " << e.slot;
  }
}

TEST_F(RaceSyncTest, HostEndsFiveSecondsAfterTheLastReportAndAtOnceWhenAllAreOut) {
  ThreePlayers();
  game_->isHost = 1;
  RiderIn(0, 1);
  Record(0, 60000, 3.0f);
  g_FrameTime = 1.0f;
  game_->UpdateStartSync();
  game_->allReady = game_->readyCount = game_->introDoneCount = game_->startReceived = 1;

  EXPECT_FALSE(game_->UpdateRaceEnd(1000));
  EXPECT_EQ(game_->allReady + game_->readyCount + game_->introDoneCount + game_->startReceived, 0)
      << "the start state is cleared";
  EXPECT_EQ(game_->endWait, 0.0f) << "one report is still missing";
  Handle(200, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  EXPECT_FALSE(game_->UpdateRaceEnd(1000));
  Handle(300, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  for (int s = 1; s <= 4; ++s) EXPECT_FALSE(game_->UpdateRaceEnd(1000)) << s << " s after the last report";
  EXPECT_TRUE(game_->UpdateRaceEnd(1000));
  EXPECT_EQ(Position(0), 1);
  EXPECT_EQ(Position(1), 2);
  EXPECT_EQ(Position(2), 3);
  EXPECT_EQ(game_->riders[0], nullptr) << "the race's riders are let go";

  // A late result changes nothing once the results are done.
  NetResultMessage late;
  late.playerId = 200;
  late.position = 1;
  Handle(200, Bytes(EncodeNetResult(late)));
  EXPECT_EQ(Position(1), 2);

  // Alone, the first call finishes: the start handshake left 5 s waited.
  g_NetPlayerCount = 1;
  game_->UpdateStartSync();
  EXPECT_TRUE(game_->UpdateRaceEnd(1000));
}

// The host's rider is the last one out: the race marks it out in the frame's
// end check and writes its record in the next frame's race step. The order
// waits for that record; made before it, the host's rider had no place and
// its late record took the place of another.
class HostOutLastTest : public RaceSyncTest {
 protected:
  void SetUp() override {
    RaceSyncTest::SetUp();
    ThreePlayers();
    game_->isHost = 1;
    RiderIn(0, 1, true);
    RiderIn(1, 2, true);
    RiderIn(2, 3, true);
    Record(0, 0, 0.0f);
    game_->UpdateStartSync();
    Handle(200, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
    Handle(300, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  }
  void ExpectEveryoneOutInSlotOrder() {
    for (int slot = 0; slot < 3; ++slot) {
      EXPECT_EQ(Position(slot), slot + 1) << "slot " << slot;
      EXPECT_EQ(g_SingleRace.outOfRace[slot], 1) << "slot " << slot;
    }
  }
};

TEST_F(HostOutLastTest, IsPlacedOnceItsOwnRecordIsWritten) {
  g_FrameTime = 0.02f;
  EXPECT_FALSE(game_->UpdateRaceEnd(20)) << "the host's own record is not written yet";
  Record(0, 0, 0.0f, true);
  Position(0) = 1;
  EXPECT_TRUE(game_->UpdateRaceEnd(20));
  ExpectEveryoneOutInSlotOrder();
}

// Should the race never write the host's own record, the end would wait for
// it forever and no machine would see the results.
TEST_F(HostOutLastTest, GoesOnAsIfItsOwnRecordWereWrittenAfterFiveSeconds) {
  g_FrameTime = 0.5f;
  for (int frame = 1; frame < 10; ++frame) {
    EXPECT_FALSE(game_->UpdateRaceEnd(500)) << frame * 0.5f << " s without the host's own record";
  }
  EXPECT_TRUE(game_->UpdateRaceEnd(500)) << "5 s";
  ExpectEveryoneOutInSlotOrder();

  // The next race waits its own five seconds.
  for (int slot = 0; slot < 3; ++slot) game_->riders[slot] = riders_[slot];
  Record(0, 0, 0.0f);
  game_->UpdateStartSync();
  Handle(200, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  Handle(300, Bytes(EncodeNetValue(NET_MSG_RIDER_FINISHED, 1)));
  EXPECT_FALSE(game_->UpdateRaceEnd(500));
}

TEST_F(RaceSyncTest, ClientEndsWhenTheResultsAreDone) {
  ThreePlayers();
  game_->hostPlayerId = 200;
  game_->UpdateStartSync();
  EXPECT_FALSE(game_->UpdateRaceEnd(10));
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_RESULTS_DONE)));
  EXPECT_TRUE(game_->UpdateRaceEnd(10));
}

TEST_F(RaceSyncTest, ResultsAreEqualOnBothSides) {
  Peer peer;
  HostWithPeer(&peer);
  const DPID host = DirectPlayNetGame::SlotId(0);
  RiderIn(0, 2);
  RiderIn(1, 1);
  Record(0, 75321, 5.5f);
  Record(1, 74009, 6.25f);
  g_SingleRace.bestLaps[1] = Time(12345);
  game_->ComputeFinalOrder();
  game_->SendResults();

  std::vector<std::vector<std::uint8_t>> got;
  ASSERT_TRUE(Until([&] {
    for (auto& m : peer.Drain()) got.push_back(m);
    return got.size() >= 3;
  }));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(TypeOf(got[0]), NET_MSG_RESULT);
  EXPECT_EQ(TypeOf(got[1]), NET_MSG_RESULT);
  EXPECT_EQ(TypeOf(got[2]), NET_MSG_RESULTS_DONE);

  // The host's records, by player id.
  struct Kept {
    DPID id;
    NetEventRecord record;
  };
  const Kept onHost[] = {{host, ReadNetEventRecord(0, false)}, {peer.id, ReadNetEventRecord(1, false)}};

  // The peer's side: a client whose slot 0 is the peer and slot 1 the host.
  ASSERT_TRUE(game_->Leave());
  for (int s = 0; s < 20; ++s) Record(s, 0, 0.0f);
  for (int s = 0; s < 20; ++s) g_SingleRace.motoPositions[s][0] = 0;
  g_PlayersList.entries[0].netPlayerId = peer.id;
  g_PlayersList.entries[1].netPlayerId = host;
  g_NetPlayerCount = 2;
  game_->hostPlayerId = host;
  for (const auto& m : got) game_->HandleGameMessage(m, host, peer.id);
  EXPECT_EQ(game_->resultsDone, 1);
  for (const Kept& k : onHost) {
    const NetEventRecord r = ReadNetEventRecord(DirectPlayNetGame::SlotOf(k.id), false);
    EXPECT_EQ(r.position, k.record.position) << k.id;
    EXPECT_EQ(std::memcmp(&r.finishTime, &k.record.finishTime, sizeof r.finishTime), 0) << k.id;
    EXPECT_EQ(std::memcmp(&r.bestLap, &k.record.bestLap, sizeof r.bestLap), 0) << k.id;
    EXPECT_EQ(r.laps, k.record.laps) << k.id;
    EXPECT_EQ(r.out, k.record.out) << k.id;
  }
  EXPECT_EQ(Position(0), 1) << "the peer won, and is slot 0 here";
  EXPECT_EQ(Position(1), 2);
}

// Host A, then this machine, then peer B: when A goes, this machine is next
// in line and takes over.
class MigrationTest : public RaceSyncTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MigrationTest, NewHostAnnouncesItsServerOnceInEitherOrderOfTheEvents) {
  platform::SetDirectPlayTestSwitches({.hostBeforeDestroy = GetParam()});
  Peer a;
  ASSERT_TRUE(a.Host("Dirt Cup"));
  pumped_.push_back(&a);
  platform::DirectPlayNetwork n = platform::GetDirectPlayNetwork();
  n.port = platform::DirectPlayBoundPort(a.dp);
  platform::SetDirectPlayNetwork(n);
  game_->SelectConnectionKind(NET_KIND_TCPIP);
  ASSERT_TRUE(game_->BuildAddress());
  ASSERT_TRUE(game_->InitializeConnection());
  ASSERT_TRUE(Until([&] {
    g_NetSessionCount = 0;
    game_->EnumSessions();
    return g_NetSessionCount == 1;
  }));
  g_NetPlayerCount = 1;
  game_->EnumPlayers(0, false);
  ASSERT_EQ(g_NetServerPlayerId, a.server);
  // The join as the game makes it, with turns for the hosting peer between
  // the tries (the game's own call repeats them without a break).
  DPSESSIONDESC2 d = g_NetSessions[0].desc;
  HRESULT opened = DPERR_CONNECTING;
  for (int i = 0; i < 5000 && opened == DPERR_CONNECTING; ++i) {
    opened = g_DirectPlay->Open(&d, DPOPEN_JOIN | DPOPEN_RETURNSTATUS);
    a.Pump();
  }
  ASSERT_EQ(opened, DP_OK);
  ASSERT_TRUE(game_->CreateLocalPlayer(NET_NEW_PLAYER_NAME));
  game_->inSession = 1;
  Peer b;
  ASSERT_TRUE(b.Join([this] { Frame(); }));
  ASSERT_TRUE(Until([] { return g_NetPlayerCount == 3; }));
  for (int i = 0; i < 20; ++i) Frame();
  b.Drain();
  const int slotB = DirectPlayNetGame::SlotOf(b.id);
  ASSERT_GE(slotB, 1);

  // Mid-race: B's rider crashed off the track, worn; a report was counted.
  StillRider* rb = RiderIn(slotB, 1);
  rb->physics.position = Vector3(-12.5f, 3.0f, 100.0f);
  rb->physics.crashed = 1;
  rb->physics.onTrack = 1;
  g_ConditionEngine[slotB] = 0.25f;
  game_->readyCount = 2;
  game_->endWait = 1.0f;

  pumped_.clear();
  a.dp->Close();
  std::vector<std::vector<std::uint8_t>> atB;
  for (int i = 0; i < 200; ++i) {
    Frame();
    for (auto& m : b.Drain()) atB.push_back(m);
  }
  EXPECT_EQ(g_NetBecameHost, 1);
  EXPECT_EQ(game_->isHost, 1);
  EXPECT_EQ(game_->migrationHalfSeen, 0);
  EXPECT_EQ(g_NetPlayerCount, 2);
  ASSERT_EQ(atB.size(), 1u);
  const auto announced = DecodeNetValue(atB[0]);
  ASSERT_TRUE(announced);
  EXPECT_EQ(announced->type, NET_MSG_NEW_SERVER);
  EXPECT_EQ(announced->value, g_NetServerPlayerId);
  EXPECT_NE(g_NetServerPlayerId, a.server);

  EXPECT_EQ(game_->readyCount, 0);
  EXPECT_EQ(game_->endWait, 5.0f);
  const NetRiderStateFields& s = game_->snapshot.states[slotB];
  EXPECT_EQ(game_->snapshot.playerIds[slotB], b.id);
  EXPECT_EQ(s.position[0], -409) << "-12.5 m x 32.767, towards zero";
  EXPECT_EQ(s.position[2], 3276);
  EXPECT_EQ(s.orientation[0], 127);
  EXPECT_EQ(s.crashed, 1);
  EXPECT_EQ(s.onTrack, 1) << "byte 17 is rebuilt too";
  EXPECT_EQ(game_->allFactors.values[slotB][0], 0.25f);
  EXPECT_EQ(game_->snapshot.playerIds[0], DirectPlayNetGame::SlotId(0));

  // B's report now reaches the new server player and is counted.
  b.Send(g_NetServerPlayerId, Bytes(EncodeNetSignal(NET_MSG_READY)));
  ASSERT_TRUE(Until([&] { return game_->readyCount == 1; }));
}

INSTANTIATE_TEST_SUITE_P(BothOrders, MigrationTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "HostFirst" : "DestroyFirst";
                         });

TEST_F(RaceSyncTest, TheRacesHostOnlyMessagesAreTakenFromTheHostAlone) {
  ThreePlayers();
  RaceManager manager;
  game_->SetRaceManager(&manager);
  g_NetServerPlayerId = game_->serverPlayerId = 900;
  NetResultMessage result;
  result.playerId = 300;
  result.position = 4;
  const std::vector<std::uint8_t> messages[] = {
      Bytes(EncodeNetSignal(NET_MSG_ALL_READY)),   Bytes(EncodeNetSignal(NET_MSG_ALL_INTRO_DONE)),
      Bytes(EncodeNetSignal(NET_MSG_START_RACE)),  Bytes(EncodeNetValue(NET_MSG_RACE_CLOCK, 0xFFFFFFFF)),
      Bytes(EncodeNetSignal(NET_MSG_LAST_LAP)),    Bytes(EncodeNetResult(result)),
      Bytes(EncodeNetSignal(NET_MSG_RESULTS_DONE)),
  };
  auto nothingMoved = [&] {
    return game_->allReady == 0 && manager.hud.introHelp == 0 && game_->startReceived == 0 &&
           manager.hostClockPending == 0 && manager.finalLapStarted == 0 && Position(2) == 0 &&
           game_->resultsDone == 0;
  };
  // A client, from a player that neither started the race nor serves it.
  game_->hostPlayerId = 200;
  for (const auto& m : messages) Handle(300, m);
  EXPECT_TRUE(nothingMoved());
  // The host, from anyone but its own relay (a client's result still counts).
  game_->isHost = 1;
  for (const auto& m : messages) Handle(200, m);
  EXPECT_EQ(game_->outCount, 1);
  EXPECT_EQ(Position(2), 4);
  Position(2) = 0;
  EXPECT_TRUE(nothingMoved());
  // The host itself, and its server player, are heard.
  game_->isHost = 0;
  Handle(900, Bytes(EncodeNetSignal(NET_MSG_START_RACE)));
  Handle(200, Bytes(EncodeNetSignal(NET_MSG_ALL_READY)));
  EXPECT_EQ(game_->startReceived, 1);
  EXPECT_EQ(game_->allReady, 1);
}

// The game as a client of the peer, which holds three "##SERVER##" players
// that the game's layer knows of; the first is the current server.
class AnnouncementTest : public RaceSyncTest {
 protected:
  void SetUp() override {
    RaceSyncTest::SetUp();
    HostWithPeer(&peer_);
    for (DPID& id : servers_) id = peer_.NewPlayer(NET_SERVER_NAME);
    for (int i = 0; i < 20; ++i) Frame();
    game_->isHost = 0;
    g_NetServerPlayerId = game_->serverPlayerId = servers_[0];
  }
  void Announce(DPID id) { Handle(peer_.id, Bytes(EncodeNetValue(NET_MSG_NEW_SERVER, id))); }
  void DestroyServer(DPID id) {
    char name[] = "##SERVER##";
    DPMSG_DESTROYPLAYERORGROUP m{};
    m.dwType = DPSYS_DESTROYPLAYERORGROUP;
    m.dpId = id;
    m.dpnName.lpszLongNameA = name;
    m.dpnName.lpszShortNameA = name;
    std::vector<std::uint8_t> bytes(sizeof m);
    std::memcpy(bytes.data(), &m, sizeof m);
    game_->HandleSystemMessage(bytes, DirectPlayNetGame::SlotId(0));
  }

  Peer peer_;
  DPID servers_[3] = {};
};

TEST_F(AnnouncementTest, AClientCompletesAMigrationWhicheverEventComesFirst) {
  // The usual order: the old server goes, then the new one is announced.
  DestroyServer(servers_[0]);
  EXPECT_EQ(game_->migrationHalfSeen, 1);
  Announce(servers_[1]);
  EXPECT_EQ(game_->migrationHalfSeen, 0);
  EXPECT_EQ(g_NetServerPlayerId, servers_[1]);
  EXPECT_EQ(game_->serverChanged, 1);

  // The announcement first: the old server's late destruction is no half.
  Announce(servers_[2]);
  DestroyServer(servers_[1]);
  EXPECT_EQ(game_->migrationHalfSeen, 0);
  EXPECT_EQ(g_NetServerPlayerId, servers_[2]);
}

TEST_F(AnnouncementTest, OnlyAClientFollowsAndOnlyToAServerPlayerOfTheSession) {
  struct Case {
    const char* what;
    std::uint8_t host;
    DPID announced;
  };
  const Case cases[] = {
      {"to the host", 1, servers_[1]},
      {"of nobody", 0, 0},
      {"of a player unknown to the session", 0, servers_[2] + 1000},
      {"of a player who is no server", 0, peer_.id},
  };
  for (const Case& c : cases) {
    game_->isHost = c.host;
    game_->serverChanged = 0;
    Announce(c.announced);
    EXPECT_EQ(g_NetServerPlayerId, servers_[0]) << c.what;
    EXPECT_EQ(game_->serverChanged, 0) << c.what;
  }
}

}  // namespace
