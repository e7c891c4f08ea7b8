// The race manager's rules on physics-only riders: laps and positions, the
// final lap, the network clock, collisions, the computer riders' speeds,
// pit stops, respawn points and classification.
#include "race/race_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/race.h"
#include "platform/win32/crt.h"
#include "riders/player_rider.h"
#include "tests/race/race_doubles.h"
#include "tests/render_glide/glide_fixture.h"
#include "tests/riders/physics_fixture.h"
#include "world/track.h"

namespace {

using kelvtest::PhysicsRider;

class RaceManagerTest : public kelvtest::GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    kelvtest::ResetPhysicsGlobals();
    saved_ = {g_RiderCount, g_RaceType, g_GameMode, g_FrameTime, g_MissileMode, g_BrakingAid};
    g_RiderCount = 20;
    g_RaceType = 3;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_FrameTime = 0.016f;
    g_RaceLengthMinutes = 5;
    InstallEventServices(&event_);
    crt::srand(1);
  }
  void TearDown() override {
    InstallEventServices(nullptr);
    InstallNetGame(nullptr);
    g_RiderCount = saved_.riders;
    g_RaceType = saved_.raceType;
    g_GameMode = saved_.gameMode;
    g_FrameTime = saved_.frameTime;
    g_MissileMode = saved_.missile;
    g_BrakingAid = saved_.aid;
    kelvtest::ResetPhysicsGlobals();
    GlideTest::TearDown();
  }

  // `count` riders on the track at the start of their first lap, standing
  // two metres apart across it, all racing.
  void MakeRiders(std::uint32_t count, RaceManager& m, std::uint32_t nodes = 100) {
    g_RiderCount = count;
    m.SetNodeCount(nodes);
    m.resultCount = static_cast<std::uint8_t>(count);
    ASSERT_TRUE(m.AllocateLapTimes());
    for (std::uint32_t i = 0; i < count; ++i) {
      auto r = std::make_unique<PhysicsRider>();
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->Reset();
      r->Place(2.0f * static_cast<float>(i), 0.6f, 0.0f, 0.0f);
      r->state = RIDER_RACING;
      r->started = 1;
      ASSERT_TRUE(m.RegisterRider(r.get(), i == 0 ? 1 : 2));
      riders_.push_back(std::move(r));
    }
  }

  // Moves rider i to node `node` and runs one clock step.
  void Step(RaceManager& m, std::uint32_t i, std::uint16_t node, float frame = 0.016f) {
    riders_[i]->physics.sectionHint = node;
    m.StepClock(2, frame);
  }

  // Puts rider i at `node` without a step (its distance kept).
  void Park(std::uint32_t i, std::int32_t distance, std::uint16_t node) {
    riders_[i]->progress = distance;
    riders_[i]->lastNode = node;
    riders_[i]->physics.sectionHint = node;
  }

  struct Saved {
    std::uint32_t riders;
    std::uint8_t raceType;
    std::uint8_t gameMode;
    float frameTime;
    std::uint8_t missile;
    std::uint8_t aid;
  } saved_{};
  kelvtest::RecordingEvent event_;
  std::vector<std::unique_ptr<PhysicsRider>> riders_;
};

TEST(RaceTimeTest, SetFromMillisecondsAndHundredths) {
  struct Case {
    std::uint32_t ms;
    std::uint16_t th, h, s, m, hr;
  } cases[] = {{0, 0, 0, 0, 0, 0}, {61234, 4, 23, 1, 1, 0}, {3600000 + 59999, 9, 99, 59, 0, 1}};
  for (const Case& c : cases) {
    const RaceTime t = RaceTimeFromMs(c.ms);
    EXPECT_EQ(t.totalMs, c.ms);
    EXPECT_EQ(t.thousandths, c.th);
    EXPECT_EQ(t.hundredths, c.h);
    EXPECT_EQ(t.seconds, c.s);
    EXPECT_EQ(t.minutes, c.m);
    EXPECT_EQ(t.hours, c.hr);
  }
  const RaceTime h = RaceTimeFromHundredths(6123);
  EXPECT_EQ(h.totalMs, 61230u);
  EXPECT_EQ(h.minutes, 1u);
  EXPECT_EQ(h.seconds, 1u);
  EXPECT_EQ(h.hundredths, 23u);
}

TEST_F(RaceManagerTest, NodeSequencesGiveDistancesAndLaps) {
  struct Case {
    const char* name;
    std::vector<std::uint16_t> nodes;  // from node 0, distance 0
    std::int32_t distance;
    std::uint32_t lap;
  } cases[] = {
      {"standing", {0, 0, 0}, 0, 1},
      {"forward", {1, 3, 8}, 8, 1},
      {"backwards over the line", {99, 97}, -3, 1},
      {"back over the line and forward again", {99, 98, 99, 0, 1}, 1, 1},
      {"a whole lap", {20, 40, 60, 80, 95, 99, 0, 2}, 102, 2},
      {"a jump that is no crossing", {5, 97}, 197, 2},
      {"a backward jump that is no crossing", {20, 40, 60, 80, 95, 99, 0, 5, 50, 5, 90}, 190, 2},
  };
  for (const Case& c : cases) {
    RaceManager m;
    riders_.clear();
    MakeRiders(1, m);
    for (std::uint16_t n : c.nodes) Step(m, 0, n);
    EXPECT_EQ(riders_[0]->progress, c.distance) << c.name;
    EXPECT_EQ(riders_[0]->lap, c.lap) << c.name;
  }
}

TEST_F(RaceManagerTest, ALapWritesTheCrossingAndTheBestLap) {
  RaceManager m;
  MakeRiders(2, m);
  Park(0, 99, 99);
  Park(1, 98, 98);
  Step(m, 1, 99);  // rider 1 follows, level with nothing
  riders_[0]->lapDistance = 500.0f;
  Step(m, 0, 0);
  EXPECT_EQ(riders_[0]->lap, 2u);
  EXPECT_EQ(m.lapTimes->rows[0].order[0], 1u);
  EXPECT_EQ(m.lapTimes->rows[0].crossing[0].totalMs, m.clock.totalMs);
  EXPECT_EQ(riders_[0]->bestLap.totalMs, 32u);
  EXPECT_EQ(riders_[0]->lapTime.totalMs, 0u);
  EXPECT_EQ(m.fastestLapHolder, 0u);
  EXPECT_EQ(m.fastestLapSet, 1u);
  EXPECT_EQ(riders_[0]->racePosition, 1u);
  EXPECT_EQ(riders_[1]->racePosition, 2u);
  // A lap under a second gives no speed rather than a division by zero.
  EXPECT_EQ(m.fastestLapSpeedKmh, 0.0f);
  // No row: lap 1, or past the table.
  EXPECT_EQ(m.lapTimes->LastCrossing(1, 0).totalMs, 0u);
  EXPECT_EQ(m.lapTimes->LastCrossing(102, 0).totalMs, 0u);
  EXPECT_EQ(m.lapTimes->LastCrossing(2, 0).totalMs, m.clock.totalMs);
}

TEST_F(RaceManagerTest, EqualDistancesOrderAlongTheSection) {
  auto track = kelvtest::FlatCourse(20);
  RaceManager m;
  MakeRiders(3, m);
  m.SetTrack(track.get());
  m.nodeCount = 100;
  for (int i = 0; i < 3; ++i) Park(i, 5, 5);
  riders_[0]->physics.position = Vector3(0.0f, 0.0f, 10.0f);
  riders_[1]->physics.position = Vector3(1.0f, 0.0f, 11.0f);
  riders_[2]->physics.position = Vector3(-1.0f, 0.0f, 10.0f);  // level with rider 0
  m.StepClock(2, 0.016f);
  EXPECT_EQ(riders_[1]->racePosition, 1u);
  EXPECT_EQ(riders_[0]->racePosition, 2u);
  EXPECT_EQ(riders_[2]->racePosition, 2u);
}

TEST_F(RaceManagerTest, TheLeaderFixesTheFinalLapOfAMoto) {
  struct Case {
    std::uint8_t raceType;
    std::uint32_t secondFinal;  // rider 1's final lap after it crosses first
    std::uint32_t leaderFinal;
    std::uint32_t secondAfter;  // rider 1's after the leader crosses
  } cases[] = {{3, 0, 3, 2}, {1, 1, 3, 1}};
  for (const Case& c : cases) {
    g_RaceType = c.raceType;
    g_RaceLengthMinutes = 1;
    RaceManager m;
    riders_.clear();
    MakeRiders(2, m);
    m.clock = RaceTimeFromMs(60000);
    // Rider 0 leads on its third lap; rider 1 ends its first lap.
    Park(0, 250, 50);
    riders_[0]->lap = 3;
    Park(1, 99, 99);
    Step(m, 1, 0);
    EXPECT_EQ(riders_[1]->lap, 2u);
    EXPECT_EQ(riders_[1]->racePosition, 2u);
    EXPECT_EQ(riders_[1]->finalLap, c.secondFinal) << int(c.raceType);
    EXPECT_EQ(riders_[0]->finalLap, 0u);
    Park(0, 299, 99);
    Step(m, 0, 0);
    EXPECT_EQ(riders_[0]->finalLap, c.leaderFinal) << int(c.raceType);
    EXPECT_EQ(riders_[1]->finalLap, c.secondAfter) << int(c.raceType);
    EXPECT_EQ(m.finalLapStarted, c.raceType == 3 ? 1u : 0u);
  }
}

TEST_F(RaceManagerTest, AClientsClockFollowsTheHostWithTheLapTimes) {
  kelvtest::RecordingNetGame net;
  InstallNetGame(&net);
  g_GameMode = GAME_MODE_MULTIPLAYER;
  RaceManager m;
  MakeRiders(2, m);
  // 16 ms frames: the host sends its clock once 15 s have gathered.
  net.isHost = 1;
  for (int f = 0; f < 940; ++f) m.StepClock(2, 0.016f);
  ASSERT_EQ(net.clocks.size(), 1u);
  EXPECT_EQ(net.clocks[0], 15008u);
  // A client's clock jumps to the host's; the running lap times move with it.
  net.isHost = 0;
  const std::uint32_t before = riders_[0]->lapTime.totalMs;
  EXPECT_EQ(before, m.clock.totalMs);
  m.SetHostClock(m.clock.totalMs + 16 + 750);
  m.StepClock(2, 0.016f);
  EXPECT_EQ(m.clock.totalMs, before + 16 + 750);
  EXPECT_EQ(riders_[0]->lapTime.totalMs, m.clock.totalMs);
  EXPECT_EQ(riders_[1]->lapTime.totalMs, m.clock.totalMs);
  EXPECT_EQ(riders_[0]->lapTime.seconds, m.clock.seconds);
  EXPECT_EQ(m.hostClockPending, 0u);
}

TEST_F(RaceManagerTest, ANetworkFinishIsReportedOnceAndAgainForANewHost) {
  kelvtest::RecordingNetGame net;
  InstallNetGame(&net);
  g_GameMode = GAME_MODE_MULTIPLAYER;
  RaceManager m;
  MakeRiders(2, m);
  net.localPlayerId = 11;
  net.serverPlayerId = 22;
  riders_[0]->out = 0;
  riders_[0]->finalLap = 1;
  riders_[0]->lap = 5;
  g_RaceLengthMinutes = 0;
  m.StepClock(2, 0.016f);
  m.StepClock(2, 0.016f);
  ASSERT_EQ(net.values.size(), 1u);
  EXPECT_EQ(net.values[0].type, NET_MSG_RIDER_FINISHED);
  EXPECT_EQ(net.values[0].value, 0u);
  ASSERT_EQ(net.results.size(), 1u);
  EXPECT_EQ(net.results[0].from, 11u);
  EXPECT_EQ(net.results[0].to, 22u);
  ASSERT_EQ(event_.written.size(), 1u);
  EXPECT_EQ(event_.written[0].slot, 0u);
  net.serverChanged = 1;
  riders_[0]->out = 1;
  m.StepClock(2, 0.016f);
  ASSERT_EQ(net.values.size(), 2u);
  EXPECT_EQ(net.values[1].value, 1u);
  EXPECT_EQ(net.results.size(), 1u);  // a retired rider sends no result
  EXPECT_EQ(net.serverChanged, 0u);
}

TEST_F(RaceManagerTest, RegistrationErrors) {
  RaceManager m;
  g_RiderCount = 2;
  PhysicsRider a, b, c;
  EXPECT_TRUE(m.RegisterRider(&a, 1));
  EXPECT_TRUE(m.RegisterRider(&b, 2));
  EXPECT_FALSE(m.RegisterRider(&c, 2));
  EXPECT_FALSE(m.RegisterRider(&c, 3));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Internal error 2:4296.", "Internal error 2:4304."}));
}

// Rider 0 heads along +z at 10 m/s, rider 1 stands `gap` ahead on the same
// line with its own velocity.
TEST_F(RaceManagerTest, ContactPushesOnlyRiderAOfAClosingPair) {
  struct Case {
    const char* name;
    float gap;
    float otherSpeed;
    bool pushed;
  } cases[] = {
      {"2.99 apart", 2.99f, 0.0f, true},
      {"3.0 apart", 3.0f, 0.0f, false},
      {"moving apart", 2.0f, 20.0f, false},
      {"equal velocities", 2.0f, 10.0f, false},
  };
  for (const Case& c : cases) {
    RaceManager m;
    riders_.clear();
    MakeRiders(2, m);
    Rider& a = *riders_[0];
    Rider& b = *riders_[1];
    a.Place(0.0f, 0.6f, 0.0f, 0.0f);
    b.Place(0.0f, 0.6f, c.gap, 0.0f);
    a.physics.velocity = Vector3(0.0f, 0.0f, 10.0f);
    b.physics.velocity = Vector3(0.0f, 0.0f, c.otherSpeed);
    // Rider a's front wheel reaches into b's box.
    a.physics.frontWheel.world = Vector3(0.0f, 0.6f, c.gap - 0.9f);
    a.physics.frontWheel.velocity = a.physics.velocity;
    a.physics.rearCollision = Vector3(5.0f, 5.0f, 5.0f);
    m.Collide(0, 1);
    const Vector3 f = a.physics.frontCollision;
    EXPECT_TRUE(std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.z)) << c.name;
    EXPECT_EQ(a.physics.rearCollision.x, 0.0f) << c.name;  // cleared first
    EXPECT_EQ(f.z < 0.0f, c.pushed) << c.name;
    EXPECT_EQ(b.physics.frontCollision.z, 0.0f) << c.name;
    if (c.pushed) {
      // Closing at 10 m/s straight through the contact: restitution 0.1, no
      // turning arm, J = 1.1 x 10 x mass / frame time, backwards.
      EXPECT_NEAR(f.z, -11.0f * a.physics.totalMass[0] / 0.016f, 1.0f) << c.name;
    }
  }
}

TEST_F(RaceManagerTest, TheMissileLocksOnTheNearestRiderAheadAndHits) {
  struct Target : RiderMissile {
    bool Load(const char*) override { return true; }
    void SetTrack(Track*) override {}
    bool Update(unsigned, int) override { return true; }
    bool IsActive() override { return flying; }
    std::uint32_t GetTarget() override { return target; }
    void Launch(const Vector3&, const Vector3&) override {}
    bool Draw() override { return true; }
    bool DrawTrail() override { return true; }
    void SetTarget(std::uint8_t slot) override { target = slot; }
    void SetTargetPosition(const Vector3& p) override { aim = p; }
    Vector3 GetPosition() override { return at; }
    Vector3 GetVelocity() override { return Vector3(0.0f, 0.0f, 30.0f); }
    void Explode() override {
      flying = false;
      ++explosions;
    }
    bool flying = false;
    std::uint32_t target = 0;
    Vector3 aim;
    Vector3 at;
    int explosions = 0;
  } missile;
  g_MissileMode = 1;
  RaceManager m;
  MakeRiders(4, m);
  m.SetMissile(&missile);
  riders_[0]->Place(0.0f, 0.6f, 0.0f, 0.0f);
  riders_[1]->Place(0.0f, 0.6f, -20.0f, 0.0f);  // behind
  riders_[2]->Place(3.0f, 0.6f, 120.0f, 0.0f);
  riders_[3]->Place(0.0f, 0.6f, 160.0f, 0.0f);  // beyond 150
  m.UpdateRiders(2);
  EXPECT_EQ(missile.target, 2u);
  EXPECT_EQ(missile.aim.z, 120.0f);
  riders_[2]->Place(0.0f, 0.6f, 155.0f, 0.0f);
  m.UpdateRiders(2);
  EXPECT_EQ(missile.target, g_RiderCount + 1);
  // Flying, 1.5 m from rider 3: the hit pushes it forward and up.
  missile.flying = true;
  missile.target = 3;
  missile.at = Vector3(0.0f, 0.6f, 158.5f);
  m.UpdateRiders(2);
  EXPECT_EQ(missile.explosions, 1);
  const Vector3 push = riders_[3]->physics.externalForce;
  EXPECT_FLOAT_EQ(push.z, 90000.0f);
  EXPECT_FLOAT_EQ(push.y, 60000.0f);
  // The next frame clears the push before the rider takes it up again.
  m.UpdateRiders(2);
  EXPECT_EQ(riders_[3]->physics.externalForce.z, 0.0f);
}

TEST(SpeedCurveTest, PiecewiseByAngle) {
  constexpr float kDeg = 0.017453292f;
  struct Case {
    float degrees;
    float speed;
  } cases[] = {{0.0f, 47.222225f}, {5.0f, 36.11111f}, {20.0f, 19.444445f}, {90.0f, 8.333334f}, {120.0f, 8.333334f}};
  for (const Case& c : cases) EXPECT_NEAR(SpeedCurve(c.degrees * kDeg), c.speed, 0.01f) << c.degrees;
}

TEST(SlowZoneTest, RainLengthensSomeZones) {
  struct Case {
    std::uint16_t event;
    bool rain;
    std::uint32_t node;
    bool slow;
  } cases[] = {{0, false, 48, false}, {0, true, 48, true},    {0, false, 52, true}, {3, false, 343, false},
               {3, true, 343, true},   {11, false, 337, true}, {4, true, 50, false}, {12, false, 50, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsSlowNode(c.event, c.rain, c.node), c.slow) << c.event << " " << c.node << " " << c.rain;
  }
}

class ComputerRiderTest : public RaceManagerTest {
 protected:
  // A straight course of 5 m sections and 6 m half width, rider 1 on node
  // 2 heading along it at `speed`.
  void Build(RaceManager& m, std::uint32_t count, float speed) {
    track_ = kelvtest::FlatCourse(60);
    MakeRiders(count, m);
    m.SetTrack(track_.get());
    for (std::uint32_t i = 0; i < count; ++i) riders_[i]->Place(-5.0f, 0.6f, -50.0f, 0.0f);
    Rider& r = *riders_[1];
    r.Place(0.0f, 0.6f, 12.0f, 0.0f);
    r.physics.sectionHint = 2;
    r.physics.forwardSpeed = speed;
    r.physics.velocity = Vector3(0.0f, 0.0f, speed);
  }
  std::unique_ptr<Track> track_;
};

TEST_F(ComputerRiderTest, SixRidersAheadHalveTheSpeedWithoutASwerve) {
  RaceManager m;
  Build(m, 8, 10.0f);
  // Six riders within 5 m ahead.
  for (int k = 0; k < 6; ++k) riders_[2 + k]->Place(k % 2 ? 1.0f : -1.0f, 0.6f, 14.0f + 0.5f * k, 0.0f);
  m.UpdateRiders(2);
  // Straight ahead: the curve's top speed, halved, at skill 0.
  EXPECT_NEAR(riders_[1]->targetSpeed, 47.222225f * 0.5f * 0.7f, 1e-3f);
  EXPECT_EQ(riders_[1]->physics.steer, 0.0f);
}

TEST_F(ComputerRiderTest, SlowZonesCutTheSpeedDryAndRain) {
  struct Case {
    std::uint16_t weather;
    float factor;
  } cases[] = {{0, 0.5f}, {1, 0.1f}};
  for (const Case& c : cases) {
    event_.entry = 10;  // nodes 73..76
    event_.weather = c.weather;
    RaceManager m;
    riders_.clear();
    Build(m, 2, 10.0f);
    riders_[1]->physics.sectionHint = 74;
    riders_[1]->Place(0.0f, 0.6f, 74.0f * 5.0f + 2.0f - 60.0f * 5.0f, 0.0f);
    riders_[1]->physics.sectionHint = 14;
    m.UpdateRiders(2);
    const float free = riders_[1]->targetSpeed;
    riders_[1]->physics.sectionHint = 74;
    // The aim node wraps to the same place on the 60-node course.
    m.nodeCount = 60;
    m.UpdateRiders(2);
    EXPECT_FALSE(m.IsSlowZone(14));
    EXPECT_TRUE(m.IsSlowZone(74));
    EXPECT_NEAR(riders_[1]->targetSpeed, free * c.factor, 1e-3f) << c.weather;
  }
}

TEST_F(ComputerRiderTest, AFinishedRiderCoolsDown) {
  RaceManager m;
  Build(m, 2, 10.0f);
  riders_[1]->timeSinceFinish = 1.0f;
  riders_[1]->racePosition = 2;
  riders_[1]->physics.axes[2][0] = 0.3f;  // off the aim
  m.UpdateRiders(2);
  EXPECT_NEAR(riders_[1]->targetSpeed, 2.777778f, 1e-5f);
  EXPECT_EQ(riders_[1]->physics.steer, 0.0f);
}

TEST_F(ComputerRiderTest, ARiderToThePitsAimsBesideTheTrackAtWalkingPace) {
  RaceManager m;
  Build(m, 2, 10.0f);
  riders_[1]->started = 0;
  m.UpdateRiders(2);
  EXPECT_NEAR(riders_[1]->targetSpeed, 2.7777779f * 0.7f, 1e-5f);
  EXPECT_NE(riders_[1]->physics.steer, 0.0f);
}

// Pit stops: practice, ten minutes.
class PitStopTest : public RaceManagerTest {
 protected:
  void SetUp() override {
    RaceManagerTest::SetUp();
    g_RaceType = 1;
    g_RaceLengthMinutes = 10;
  }
  // Rider 1 fast (60 s laps), riders 2.. at 70 s, `beaten` of them slower
  // than rider 1 by more than 2 s.
  void Laps(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
      riders_[i]->lap = 3;
      riders_[i]->bestLap = RaceTimeFromMs(i == 1 ? 60000 : 61000);
      riders_[i]->lapsCompleted = 1;
    }
  }
};

TEST_F(PitStopTest, NoCallInOnTheOutLapOrNearTheEnd) {
  struct Case {
    const char* name;
    std::uint32_t lapsDone;
    std::uint32_t clockMs;
    bool calledIn;
  } cases[] = {
      {"out lap", 0, 100000, false},
      {"within 10 s of the end", 1, 591000, false},
      {"called in", 1, 100000, true},
  };
  for (const Case& c : cases) {
    RaceManager m;
    riders_.clear();
    MakeRiders(7, m);
    Laps(7);
    // Five riders slower by more than 2 s.
    for (int i = 2; i < 7; ++i) riders_[i]->bestLap = RaceTimeFromMs(65000);
    riders_[1]->lapsCompleted = c.lapsDone;
    m.clock = RaceTimeFromMs(c.clockMs);
    m.UpdatePitStops();
    EXPECT_EQ(riders_[1]->started == 0, c.calledIn) << c.name;
    if (c.calledIn) {
      EXPECT_FLOAT_EQ(riders_[1]->trackTime, 105.0f);
      // H = 495: half of it, no extra for exactly five.
      EXPECT_FLOAT_EQ(riders_[1]->entryTime, 105.0f + 247.5f);
      EXPECT_EQ(g_RiderSnapshots[1].flag, 0u);
      EXPECT_FLOAT_EQ(g_RiderSnapshots[1].entryTime, riders_[1]->entryTime);
    }
  }
}

TEST_F(PitStopTest, RidersBeatingThoseInThePitsBringThemOutEarly) {
  struct Case {
    int faster;
    float rejoin;  // t + A x 0.05 + (A/60 - A x 0.05) x (c - 3) / 6
  } cases[] = {{3, 200.0f + 400.0f * 0.05f}, {9, 200.0f + 400.0f / 60.0f}, {2, 500.0f}};
  for (const Case& c : cases) {
    RaceManager m;
    riders_.clear();
    MakeRiders(11, m);
    Laps(11);
    for (int i = 2; i < 11; ++i) {
      riders_[i]->bestLap = RaceTimeFromMs(i - 2 < c.faster ? 50000 : 70000);
    }
    riders_[1]->started = 0;
    riders_[1]->trackTime = 200.0f;
    riders_[1]->entryTime = 500.0f;
    m.clock = RaceTimeFromMs(200000 + 16);
    m.UpdatePitStops();
    EXPECT_EQ(riders_[1]->state, RIDER_OUT);
    EXPECT_NEAR(riders_[1]->entryTime, c.rejoin + (c.faster >= 3 ? 0.016f : 0.0f), 1e-3f) << c.faster;
  }
}

TEST_F(RaceManagerTest, RespawnPoints) {
  RaceManager m;
  MakeRiders(4, m);
  g_RaceType = 1;
  g_RaceLengthMinutes = 10;
  const Vector3 points[3] = {Vector3(0.0f, 1.0f, 0.0f), Vector3(3.0f, 1.0f, 0.0f), Vector3(6.0f, 1.0f, 0.0f)};
  ASSERT_TRUE(m.SetRespawnPoints(points, 3));
  Vector3 at;
  float heading = 1.0f;
  // Free: the last point first, facing along the first section.
  for (auto& r : riders_) r->Place(50.0f, 0.6f, 50.0f, 0.0f);
  ASSERT_TRUE(m.FindRespawnPoint(2, 1, &at, &heading));
  EXPECT_EQ(at.x, 6.0f);
  EXPECT_EQ(heading, 0.0f);
  // Riders 3 m behind a point, or 1.5 m past it, block it; a rider out of
  // the race does not.
  auto block = [&](std::uint8_t free) {
    const Vector3 spots[3] = {Vector3(0.5f, 0.6f, -3.0f), Vector3(3.0f, 0.6f, 1.5f), Vector3(6.0f, 0.6f, -7.5f)};
    int k = 0;
    for (std::uint8_t i = 0; i < 4; ++i) {
      if (i == free) continue;
      riders_[i]->Place(spots[k].x, spots[k].y, spots[k].z, 0.0f);
      ++k;
    }
    riders_[free]->Place(50.0f, 0.6f, 50.0f, 0.0f);
  };
  block(2);
  EXPECT_FALSE(m.FindRespawnPoint(2, 2, &at, &heading));
  riders_[3]->state = RIDER_OUT;
  ASSERT_TRUE(m.FindRespawnPoint(2, 2, &at, &heading));
  EXPECT_EQ(at.x, 6.0f);
  riders_[3]->state = RIDER_RACING;
  // The player takes the last point when every one is blocked.
  block(0);
  ASSERT_TRUE(m.FindRespawnPoint(2, 0, &at, &heading));
  EXPECT_EQ(at.x, 6.0f);
  // So does a computer rider on its first lap in the last 10 s.
  block(2);
  m.clock = RaceTimeFromMs(595000);
  EXPECT_FALSE(m.FindRespawnPoint(2, 2, &at, &heading));
  EXPECT_TRUE(m.FindRespawnPoint(1, 2, &at, &heading));
}

TEST_F(RaceManagerTest, AShortGridAndBadPlacesAreKeptWithin) {
  RaceManager m;
  MakeRiders(20, m);
  Vector3 points[7];
  for (int i = 0; i < 7; ++i) points[i] = Vector3(static_cast<float>(i), 0.0f, 0.0f);
  ASSERT_TRUE(m.SetRespawnPoints(points, 7));
  EXPECT_EQ(m.respawnCount, 7u);
  Vector3 at;
  float heading = 0.0f;
  for (auto& r : riders_) r->Place(100.0f, 0.6f, 100.0f, 0.0f);
  ASSERT_TRUE(m.FindRespawnPoint(2, 3, &at, &heading));
  EXPECT_EQ(at.x, 6.0f);
  m.SetGridSlot(4, 2);
  m.SetGridSlot(4, 20);
  m.SetGridSlot(25, 3);
  g_RiderCount = 6;
  m.SetGridSlot(1, 6);
  const std::uint8_t* order = m.GetGridOrder();
  EXPECT_EQ(order[2], 4u);
  EXPECT_EQ(order[3], RaceManager::NO_GRID_SLOT);
  EXPECT_EQ(order[6], RaceManager::NO_GRID_SLOT);
}

TEST_F(RaceManagerTest, ARestoredLivePlayerKeepsItsPlaceAndRoundsItsDistance) {
  auto track = kelvtest::FlatCourse(100);
  RaceManager m;
  MakeRiders(2, m);
  for (auto& r : riders_) r->SetTrack(track.get());
  for (auto& r : riders_) {
    r->progress = 257;
    r->lap = 3;
    r->Place(1.0f, 0.6f, 30.0f, 0.0f);
    r->StoreSnapshot();
    g_RiderSnapshots[r->index].flag = 1;
    r->Place(9.0f, 0.6f, 90.0f, 0.0f);
  }
  riders_[0]->RestoreSnapshot(0);
  EXPECT_EQ(riders_[0]->progress, 200);
  EXPECT_EQ(riders_[0]->physics.position.z, 90.0f);
  EXPECT_EQ(riders_[0]->state, RIDER_RACING);
  riders_[1]->RestoreSnapshot(1);
  EXPECT_EQ(riders_[1]->progress, 257);
  EXPECT_EQ(riders_[1]->physics.position.z, 30.0f);
}

// Classification. Riders 0..n-1 have finished unless said otherwise.
TEST_F(RaceManagerTest, MotoClassificationOrdersCrossingsThenTheRestThenOutRiders) {
  g_RaceLengthMinutes = 0;
  RaceManager m;
  MakeRiders(6, m);
  m.clock = RaceTimeFromMs(300000);
  // Riders 1 and 3 crossed at the same time, 3 has the higher position
  // number; rider 2 crossed first; rider 4 still rides; rider 5 and 0 are out.
  const std::uint32_t crossings[6] = {0, 200000, 190000, 200000, 0, 0};
  const std::uint8_t positions[6] = {6, 2, 1, 2, 4, 5};
  for (int i = 0; i < 6; ++i) {
    Rider& r = *riders_[i];
    r.racePosition = positions[i];
    r.raceTime = m.clock;
    r.finalLap = 1;
    r.lap = (i >= 1 && i <= 3) ? 4 : 3;
    r.progress = (i >= 1 && i <= 3) ? 300 : 250 - 10 * i;
    r.bestLap = RaceTimeFromMs(60000 + 100 * i);
    m.lapTimes->rows[r.lap - 2].crossing[i] = RaceTimeFromMs(crossings[i]);
  }
  riders_[0]->out = 1;
  riders_[5]->out = 1;
  ASSERT_TRUE(riders_[1]->IsRaceOver());
  ASSERT_FALSE(riders_[4]->IsRaceOver());
  m.ClassifyMoto();
  const auto results = event_.ByPlace();
  ASSERT_EQ(results.size(), 6u);
  const std::uint8_t order[6] = {2, 1, 3, 4, 5, 0};
  for (int p = 0; p < 6; ++p) EXPECT_EQ(results[p].slot, order[p]) << p;
  EXPECT_EQ(results[0].raceTime.totalMs, 190000u);
  EXPECT_EQ(results[1].raceTime.totalMs, 200000u);
  EXPECT_EQ(results[2].raceTime.totalMs, 200000u);
  // Rider 4, 90 nodes behind at the last finisher's pace (300000 / 10 / 300
  // = 100 hundredths a node).
  EXPECT_EQ(results[3].raceTime.totalMs, 200000u + 90u * 1000u);
  EXPECT_EQ(results[4].raceTime.totalMs, 0u);
  EXPECT_EQ(results[5].raceTime.totalMs, 0u);
  EXPECT_EQ(results[0].column, 0u);
}

TEST_F(RaceManagerTest, EstimatesComeStrictlyAfterThePlaceBefore) {
  RaceManager m;
  MakeRiders(3, m);
  riders_[0]->progress = 100;
  riders_[1]->progress = 100;  // level: no distance behind
  riders_[2]->progress = 140;  // ahead of the rider in front
  const RaceTime t = RaceTimeFromMs(123450);
  for (int k = 0; k < 50; ++k) {
    const RaceTime a = m.EstimateTimeBehind(t, 20, 0, 1);
    const RaceTime b = m.EstimateTimeBehind(t, 20, 0, 2);
    EXPECT_GE(a.totalMs, t.totalMs + 10);
    EXPECT_LE(a.totalMs, t.totalMs + 2000);
    EXPECT_GE(b.totalMs, t.totalMs + 10);
  }
  riders_[1]->progress = 90;
  EXPECT_EQ(m.EstimateTimeBehind(t, 20, 0, 1).totalMs, 123450u - 0u + 10u * 200u - 0u);
}

TEST_F(RaceManagerTest, GapsWithZeroDivisors) {
  RaceManager m;
  MakeRiders(2, m);
  m.clock = RaceTime();
  riders_[0]->progress = 10;
  riders_[1]->progress = 0;
  EXPECT_EQ(m.ComputeGap(0, 1).totalMs, 2000u);  // 10 nodes at 20 hundredths
  riders_[1]->progress = 10;
  riders_[0]->Place(0.0f, 0.6f, 5.0f, 0.0f);
  EXPECT_EQ(m.ComputeGap(0, 1).totalMs, 0u);
}

TEST_F(RaceManagerTest, SessionGivesEstimatesToComputerRidersWithoutALap) {
  g_RaceType = 1;
  RaceManager m;
  MakeRiders(5, m);
  m.clock = RaceTimeFromMs(600000);
  // Riders 2 and 4 set laps; 0, 1 and 3 did not.
  riders_[2]->lap = 3;
  riders_[2]->bestLap = RaceTimeFromMs(70000);
  riders_[4]->lap = 2;
  riders_[4]->bestLap = RaceTimeFromMs(65000);
  m.ClassifySession();
  const auto results = event_.ByPlace();
  ASSERT_EQ(results.size(), 5u);
  EXPECT_EQ(results[0].slot, 4u);
  EXPECT_EQ(results[1].slot, 2u);
  EXPECT_EQ(results[2].slot, 0u);
  EXPECT_EQ(results[2].bestLap.totalMs, 0u);  // the player is never given one
  EXPECT_EQ(results[3].slot, 1u);
  EXPECT_EQ(results[4].slot, 3u);
  EXPECT_GT(results[3].bestLap.totalMs, 70000u);
  EXPECT_LE(results[3].bestLap.totalMs, 72000u);
  EXPECT_GT(results[4].bestLap.totalMs, results[3].bestLap.totalMs);
  EXPECT_EQ(results[0].column, 1u);
}

TEST_F(RaceManagerTest, NobodyWithALapGetsWholeLapsAtTheEventsPace) {
  g_RaceType = 2;
  event_.pace = 6;
  RaceManager m;
  MakeRiders(3, m);
  m.ClassifySession();
  const auto results = event_.ByPlace();
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].slot, 0u);
  EXPECT_EQ(results[1].slot, 1u);
  EXPECT_EQ(results[2].slot, 2u);
  // 100 nodes x (6 + 4) x 5 hundredths = 50 s, plus 0.01..2 s; the next
  // rider 0.01..2 s after it.
  EXPECT_GT(results[1].bestLap.totalMs, 50000u);
  EXPECT_LE(results[1].bestLap.totalMs, 52000u);
  EXPECT_GT(results[2].bestLap.totalMs, results[1].bestLap.totalMs);
  EXPECT_LE(results[2].bestLap.totalMs, results[1].bestLap.totalMs + 2000u);
}

}  // namespace
