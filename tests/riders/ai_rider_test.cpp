// The computer opponents: the randomised set-up, throttle and brake from
// the race's target speed, the airborne look-ahead and the handlebar.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/services/event.h"
#include "engine/services/front_end.h"
#include "riders/ai_rider.h"
#include "riders/rider_setup.h"
#include "tests/support/null_front_end.h"
#include "tests/riders/physics_fixture.h"

namespace {

std::vector<int> g_Draws;
std::size_t g_NextDraw = 0;
int Scripted() { return g_NextDraw < g_Draws.size() ? g_Draws[g_NextDraw++] : 0; }

class PublishingFrontEnd : public kelvtest::NullFrontEnd {
 public:
  // The players list's set-up: every value 0.3.
  void PublishSetup(std::uint16_t slot) override {
    published.push_back(slot);
    kelvtest::FillSetup(slot, 0.3f);
  }
  std::vector<std::uint16_t> published;
};

class Event : public EventServices {
 public:
  std::uint16_t CurrentWeather() override { return 0; }
  bool NetworkGame() override { return false; }
  std::uint16_t CurrentEntry() override { return entry; }
  std::uint16_t entry = 0;
};

class AiRiderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kelvtest::ResetPhysicsGlobals();
    savedFrameTime_ = g_FrameTime;
    g_FrameTime = 0.02f;
    g_Draws.clear();
    g_NextDraw = 0;
    savedFrontEnd_ = g_FrontEnd;
    savedEvent_ = g_Event;
    g_FrontEnd = &frontEnd_;
    g_Event = &event_;
  }
  void TearDown() override {
    g_FrameTime = savedFrameTime_;
    g_FrontEnd = savedFrontEnd_;
    g_Event = savedEvent_;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    kelvtest::ResetPhysicsGlobals();
  }

  // An opponent racing upright along +z with both wheels on the ground.
  std::unique_ptr<AiRider> Racer(float speed, float target) {
    auto r = std::make_unique<AiRider>();
    r->generator = Scripted;
    r->state = RIDER_RACING;
    RiderPhysics& p = r->physics;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) p.axes[i][j] = i == j ? 1.0f : 0.0f;
    p.forwardSpeed = speed;
    r->targetSpeed = target;
    return r;
  }

  PublishingFrontEnd frontEnd_;
  Event event_;
  FrontEndServices* savedFrontEnd_ = nullptr;
  EventServices* savedEvent_ = nullptr;
  float savedFrameTime_ = 0.0f;
};

TEST_F(AiRiderTest, SetupAiPublishesThenRandomisesSixValues) {
  struct Case {
    const char* name;
    std::uint16_t weather;
    int r1;
    int r2;
    int r3;
    std::uint8_t mode;
    std::uint16_t entry;
    float v3;
    float v24;
    float v0;
  };
  const Case cases[] = {
      {"rain", 1, 32767, 32767, 0, GAME_MODE_SINGLE_RACE, 0, 1.0f, 0.6f, 0.4f},
      {"dry, r1 above 0.8", 0, 30000, 0, 32767, GAME_MODE_QUICK_RACE, 0, 0.0f, 0.4f, 0.6f},
      {"dry, r1 at most 0.8", 0, 26213, 16383, 32767, GAME_MODE_CHAMPIONSHIP, 10, 0.5f, 0.5f, 0.9f},
      {"entry 11", 0, 0, 0, 0, GAME_MODE_SINGLE_RACE, 11, 0.5f, 0.4f, 0.5f},
      {"network game keeps value 0", 0, 0, 0, 32767, GAME_MODE_MULTIPLAYER, 0, 0.5f, 0.4f, 0.3f},
  };
  for (const Case& c : cases) {
    frontEnd_.published.clear();
    g_Draws = {c.r1, c.r2, c.r3};
    g_NextDraw = 0;
    g_GameMode = c.mode;
    event_.entry = c.entry;
    AiRider r;
    r.generator = Scripted;
    r.weather = c.weather;
    r.SetIndex(7);
    r.SetupAi();
    EXPECT_EQ(frontEnd_.published, std::vector<std::uint16_t>{7}) << c.name;
    const RiderSetup& s = g_RiderSetups[7];
    EXPECT_FLOAT_EQ(SetupValue(s, 3), c.v3) << c.name;
    EXPECT_EQ(SetupValue(s, 2), 1.0f) << c.name;
    EXPECT_NEAR(SetupValue(s, 24), c.v24, 1e-4f) << c.name;
    EXPECT_EQ(SetupValue(s, 25), SetupValue(s, 24)) << c.name;
    EXPECT_EQ(SetupValue(s, 1), 0.0f) << c.name;
    EXPECT_NEAR(SetupValue(s, 0), c.v0, 1e-4f) << c.name;
    // The published values that are not randomised stay.
    EXPECT_EQ(SetupValue(s, 5), 0.3f) << c.name;
    EXPECT_EQ(g_NextDraw, 3u) << c.name;
  }
}

TEST_F(AiRiderTest, ThrottleAndBrakeFromTheTargetSpeed) {
  struct Case {
    float speed;
    float throttle;
    float brake;
  };
  // Target 10 m/s: below it throttle, up to 20 km/h over it the bike coasts.
  const Case cases[] = {{9.0f, 0.36f, 0.0f},         {5.0f, 1.0f, 0.0f},   {10.0f, 0.0f, 0.0f},
                        {12.0f, 0.0f, 0.0f},         {15.5f, 0.0f, 0.0f},  {15.555557f, 0.0f, 0.40000004f},
                        {20.0f, 0.0f, 0.72f},        {30.0f, 0.0f, 1.0f}};
  for (const Case& c : cases) {
    auto r = Racer(c.speed, 10.0f);
    r->physics.steer = 0.3f;
    r->ComputeControls();
    EXPECT_FLOAT_EQ(r->physics.throttle, c.throttle) << c.speed;
    EXPECT_FLOAT_EQ(r->physics.brake, c.brake) << c.speed;
    EXPECT_EQ(r->physics.steer, 0.3f) << c.speed;  // the race manager's
  }
}

TEST_F(AiRiderTest, TheAirborneLookAheadWrapsBackwardsFromSectionZero) {
  auto track = kelvtest::FlatCourse(7);
  // Section 1's fourth triangle falls away ahead; everything else is flat.
  TrackSurface& s = track->sections[1].surfaces[3];
  s.nx = 0.0f;
  s.ny = 0.8f;
  s.nz = 0.6f;
  struct Case {
    const char* name;
    std::uint16_t section;
    float speed;
    std::uint16_t triangle;
    float brake;
  };
  const Case cases[] = {
      // 0 + trunc(-3.18) as an unsigned sum is 2^32 - 3, which is 1 modulo 7.
      {"backwards past 0", 0, -10.0f, 3, 0.12f},
      {"forwards past the end", 5, 10.0f, 3, 0.12f},
      // The hint counts more triangles than the section has: modulo 8.
      {"triangle hint past the section", 5, 10.0f, 11, 0.12f},
      {"another triangle", 5, 10.0f, 2, 0.0f},
      {"another section", 0, 10.0f, 3, 0.0f},
  };
  for (const Case& c : cases) {
    auto r = Racer(c.speed, 0.0f);
    r->SetTrack(track.get());
    r->physics.onTrack = 1;
    r->physics.sectionHint = c.section;
    r->physics.triangleHint = c.triangle;
    r->physics.frontWheel.world.y = 2.0f;
    r->ComputeControls();
    EXPECT_FLOAT_EQ(r->physics.brake, c.brake) << c.name;
    EXPECT_EQ(r->physics.throttle, 0.0f) << c.name;
  }
  // Nose down over flat ground: throttle 10 x the slope.
  auto r = Racer(10.0f, 0.0f);
  r->SetTrack(track.get());
  r->physics.onTrack = 1;
  r->physics.axes[2][1] = -0.05f;
  r->physics.rearWheel.world.y = 2.0f;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.throttle, 0.5f);
}

TEST_F(AiRiderTest, TheHandlebar) {
  struct Case {
    const char* name;
    float speed;
    float steer;
    float angle;
    float expected;
  };
  const float step = 0.02f * 1.5707964f;
  const Case cases[] = {
      {"towards the steer", 5.0f, 1.0f, 0.0f, step},
      {"held within a small lock", 33.333336f, 0.1f, 0.0f, 0.1f * 0.6981317f * 0.2f},
      {"back to the centre", 5.0f, 0.0f, 0.1f, 0.1f - step},
      {"exponentially below 2 degrees", 5.0f, 0.0f, 0.03f, 0.03f - 0.03f * 5.0f * 0.02f},
      // Beyond 61.1 m/s the factor is negative; the lock is a size.
      {"very fast", 70.0f, 1.0f, 0.0f, step},
  };
  for (const Case& c : cases) {
    auto r = Racer(c.speed, c.speed);
    r->physics.steer = c.steer;
    r->physics.handlebarAngle = c.angle;
    r->ComputeControls();
    EXPECT_NEAR(r->physics.handlebarAngle, c.expected, 1e-6f) << c.name;
  }
}

TEST_F(AiRiderTest, ACrashedOpponentIgnoresItsTarget) {
  auto r = Racer(0.0f, 20.0f);
  r->physics.crashed = 1;
  r->physics.lean = 0.5f;
  r->physics.steer = -1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.throttle, 0.0f);
  EXPECT_EQ(r->physics.steer, 0.0f);
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, 0.6981317f * 0.02f);
}

TEST_F(AiRiderTest, OnTheGridItRevsAndTwitchesAtRandom) {
  struct Case {
    int throttleDraw;
    int steerDraw;
    float throttle;
    float steer;
  };
  const Case cases[] = {{1000, 100, 0.0f, -1.0f},
                        {2000, 500, 1.0f, 0.0f},
                        {5000, 800, 0.5f, 1.0f},
                        {5000, 1000, 0.5f, 0.25f}};
  for (const Case& c : cases) {
    auto r = Racer(0.0f, 0.0f);
    r->state = RIDER_WAITING;
    r->physics.throttle = 0.5f;
    r->physics.steer = 0.25f;
    r->physics.brake = 1.0f;
    r->physics.handlebarAngle = 0.2f;
    g_Draws = {c.throttleDraw, c.steerDraw};
    g_NextDraw = 0;
    r->ComputeControls();
    EXPECT_EQ(r->physics.throttle, c.throttle) << c.throttleDraw;
    EXPECT_EQ(r->physics.steer, c.steer) << c.steerDraw;
    EXPECT_EQ(r->physics.brake, 0.0f);
    EXPECT_EQ(r->physics.handlebarAngle, 0.2f);
  }
}

class CountingAi : public AiRider {
 public:
  void StopSounds() override { ++stops; }
  int stops = 0;
};

TEST_F(AiRiderTest, AFrameRunsTheStuckTimerAndTheFinish) {
  auto track = kelvtest::FlatCourse(40);
  CountingAi r;
  kelvtest::MakePhysicsOnly(r);
  r.generator = Scripted;
  r.SetTrack(track.get());
  r.Reset();
  r.Place(0.0f, 0.6f, 20.0f, 0.0f);
  r.physics.sectionHint = 4;
  r.targetSpeed = 0.0f;
  for (int i = 0; i < 50; ++i) r.Update(20, 2);
  // Standing in one section, not crashed.
  EXPECT_EQ(r.physics.stuckSection, r.physics.sectionHint);
  EXPECT_NEAR(r.physics.stuckTime, 1.0f, 0.03f);
  EXPECT_EQ(r.timeSinceFinish, 0.0f);

  // The missile's push goes into the force sum.
  r.physics.externalForce = Vector3(0.0f, 0.0f, 50000.0f);
  r.Update(20, 2);
  EXPECT_GT(r.physics.velocity.z, 1.0f);
  r.physics.externalForce = Vector3(0.0f, 0.0f, 0.0f);

  r.out = 1;
  int frames = 0;
  while (r.state == RIDER_RACING && frames < 1000) {
    r.Update(20, 2);
    ++frames;
  }
  EXPECT_EQ(r.state, RIDER_OUT);
  EXPECT_NEAR(frames * 0.02f, 6.0f, 0.03f);
  EXPECT_EQ(r.stops, 1);
}

}  // namespace
