// The rider physics over many frames: settling, accelerating through the
// gears, braking, turning, falling and getting up, uneven frame times,
// long randomised runs, and replays that repeat bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/track_fixture.h"

namespace {

using kelvtest::PhysicsRider;
using kelvtest::ScriptedControls;

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Every frame's invariants: nothing undefined in the state, a unit
// orientation, the revs within the gear's range on the ground.
void CheckInvariants(const Rider& r, int frame) {
  const RiderPhysics& p = r.physics;
  ASSERT_TRUE(Finite(p.position) && Finite(p.velocity) && Finite(p.angularVelocity)) << frame;
  ASSERT_TRUE(std::isfinite(p.revs) && std::isfinite(p.lean) && std::isfinite(p.rearWheel.spinRate)) << frame;
  ASSERT_TRUE(Finite(p.crashBodyPoint) && Finite(p.crashBodyVelocity)) << frame;
  ASSERT_LT(std::fabs(p.orientation.Norm() - 1.0f), 1e-3f) << frame;
  if (p.gear > 0 && !p.clutchIn && p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f) {
    ASSERT_LE(p.revs, p.maxRevs * 1.0001f) << frame;
  }
}

class RiderScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFrame_ = g_FrameTime;
    savedType_ = g_RaceType;
    savedLength_ = g_RaceLengthRecord;
    g_FrameTime = 0.016f;
    g_RaceType = 3;
    kelvtest::ResetPhysicsGlobals();
    crt::srand(7);
  }
  void TearDown() override {
    g_FrameTime = savedFrame_;
    g_RaceType = savedType_;
    g_RaceLengthRecord = savedLength_;
    kelvtest::ResetPhysicsGlobals();
    g_OptionParticle = 1;
  }

  // A rider reset onto the course at z, racing.
  void Start(PhysicsRider* r, Track* track, float z, float y = 0.5f) {
    r->SetTrack(track);
    r->Reset();
    r->state = RIDER_RACING;
    const auto s = static_cast<std::uint16_t>(z / 5.0f);
    r->physics.sectionHint = s;
    for (ContactPoint* c : {&r->physics.chassisPoint, static_cast<ContactPoint*>(&r->physics.frontWheel),
                            static_cast<ContactPoint*>(&r->physics.rearWheel)}) {
      c->sectionHint = s;
    }
    r->Place(0.0f, y, z, 0.0f);
  }

  void Run(PhysicsRider* r, int frames, const RiderStepKind& kind = RiderStepKind{}) {
    for (int f = 0; f < frames; ++f) {
      r->RunFrameStep(16, kind);
      CheckInvariants(*r, f);
      if (HasFatalFailure()) return;
    }
  }

 private:
  float savedFrame_ = 0.0f;
  std::uint8_t savedType_ = 0;
  RaceLengthRecord savedLength_ = {};
};

TEST_F(RiderScenarioTest, ABikeDroppedHalfAMetreSettlesOnItsWheels) {
  auto track = kelvtest::FlatCourse(20);
  PhysicsRider r;
  Start(&r, track.get(), 30.0f, 1.0f);
  Run(&r, 250);
  const RiderPhysics& p = r.physics;
  EXPECT_EQ(p.crashed, 0);
  // The tyres' springs carry the bike a little below its unloaded height.
  EXPECT_GT(p.position.y, 0.3f);
  EXPECT_LT(p.position.y, 0.5f);
  EXPECT_LT(std::sqrt(LengthSquared(p.velocity)), 0.1f);
  EXPECT_GT(p.axes[1][1], 0.99f);
  EXPECT_GE(p.contactCount, 2);
}

TEST_F(RiderScenarioTest, FullThrottleClimbsThroughTheGearsAndTheBrakeStopsIt) {
  auto track = kelvtest::FlatCourse(400);
  PhysicsRider r;
  Start(&r, track.get(), 10.0f);
  bool braking = false;
  r.script = [&](std::uint32_t) { return braking ? ScriptedControls{0, 1, 0, 0} : ScriptedControls{1, 0, 0, 0}; };
  std::int16_t top = 0;
  for (int f = 0; f < 60 * 40 && top < 6; ++f) {
    r.RunFrameStep(16, RiderStepKind{});
    CheckInvariants(r, f);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(r.physics.crashed, 0) << f;
    ASSERT_GE(r.physics.gear, top - 1) << f;  // no gear skipped down
    if (r.physics.gear > top) top = r.physics.gear;
  }
  EXPECT_EQ(top, 6);
  EXPECT_GT(r.physics.forwardSpeed, 25.0f);
  braking = true;
  Run(&r, 60 * 15);
  EXPECT_EQ(r.physics.crashed, 0);
  EXPECT_LT(std::fabs(r.physics.forwardSpeed), 0.1f);
  EXPECT_EQ(r.physics.gear, 0);
}

TEST_F(RiderScenarioTest, ASteadyTurnLeansTowardsItsTarget) {
  auto track = kelvtest::FlatCourse(80, 200.0f);
  PhysicsRider r;
  Start(&r, track.get(), 100.0f);
  r.script = [](std::uint32_t f) {
    const bool turning = f >= 150;
    return ScriptedControls{turning ? 0.25f : 0.6f, 0, turning ? 0.3f : 0.0f, 0, turning ? 0.05f : 0.0f};
  };
  Run(&r, 600);
  const RiderPhysics& p = r.physics;
  ASSERT_EQ(p.crashed, 0);
  const float target = LeanLimitForSpeed(std::sqrt(LengthSquared(p.rearWheel.velocity))) * 0.3f;
  EXPECT_NEAR(p.lean, -target, 0.05f);
  EXPECT_GT(std::fabs(p.angularVelocity.y), 0.05f);  // it turns
}

TEST_F(RiderScenarioTest, ATippedBikeFallsAndIsPutBackWithinTenSeconds) {
  auto track = kelvtest::FlatCourse(20);
  PhysicsRider r;
  Start(&r, track.get(), 40.0f);
  // Rolled 80 degrees onto its side.
  Quaternion q(std::cos(0.6981317f), 0.0f, 0.0f, std::sin(0.6981317f));
  r.physics.orientation = q;
  q.ToMatrix(&r.matrix);
  r.matrix.m[13] = 0.5f;
  r.matrix.m[14] = 40.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.physics.axes[i][j] = r.matrix.m[i * 4 + j];
  float fellAt = -1.0f;
  float backAt = -1.0f;
  float t = 0.0f;
  for (int f = 0; f < 60 * 12 && backAt < 0.0f; ++f) {
    r.RunFrameStep(16, RiderStepKind{});
    CheckInvariants(r, f);
    ASSERT_FALSE(HasFatalFailure());
    t += 0.016f;
    if (fellAt < 0.0f && r.physics.crashed) fellAt = t;
    if (fellAt >= 0.0f && r.physics.justRecovered) backAt = t;
  }
  ASSERT_GE(fellAt, 0.0f);
  EXPECT_LT(fellAt, 0.1f);
  ASSERT_GE(backAt, 0.0f);
  EXPECT_GE(backAt - fellAt, 3.0f);
  EXPECT_LE(backAt - fellAt, 10.1f);
  EXPECT_GT(r.physics.axes[1][1], 0.99f);  // upright again
  EXPECT_EQ(r.physics.crashed, 0);
}

TEST_F(RiderScenarioTest, AlternatingOneAndFiftyMillisecondFramesStayBounded) {
  auto track = kelvtest::FlatCourse(200);
  PhysicsRider r;
  Start(&r, track.get(), 10.0f);
  r.script = [](std::uint32_t f) { return ScriptedControls{0.5f, 0, (f / 200) % 2 ? 0.1f : -0.1f, 0}; };
  for (int f = 0; f < 2000; ++f) {
    g_FrameTime = f % 2 ? 0.05f : 0.001f;
    r.RunFrameStep(f % 2 ? 50 : 1, RiderStepKind{});
    CheckInvariants(r, f);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_LT(std::sqrt(LengthSquared(r.physics.velocity)), 60.0f) << f;
    ASSERT_GT(r.physics.position.y, -1.0f) << f;
    ASSERT_LT(r.physics.position.y, 10.0f) << f;
  }
}

// Random controls and frame times from fixed seeds, with damage on: no
// invariant breaks and no condition ever rises.
TEST_F(RiderScenarioTest, LongRandomisedRunsKeepTheInvariants) {
  g_OptionDamages = 1;
  auto track = kelvtest::FlatCourse(400);
  for (unsigned seed : {1u, 2u, 3u}) {
    kelvtest::ResetPhysicsGlobals();
    g_OptionDamages = 1;
    crt::srand(seed);
    PhysicsRider r;
    Start(&r, track.get(), 10.0f);
    ScriptedControls held;
    r.script = [&](std::uint32_t f) {
      if (f % 30 == 0) {
        held.throttle = static_cast<float>(crt::rand() % 5) * 0.25f;
        held.brake = crt::rand() % 4 == 0 ? 1.0f : 0.0f;
        held.steer = static_cast<float>(crt::rand() % 21 - 10) * 0.1f;
      }
      return held;
    };
    float before[5][1];
    for (int f = 0; f < 5000; ++f) {
      const float* conditions[5] = {&g_ConditionSuspension[0], &g_ConditionWheels[0], &g_ConditionEngine[0],
                                    &g_ConditionBrakes[0], &g_ConditionGearbox[0]};
      for (int i = 0; i < 5; ++i) before[i][0] = *conditions[i];
      g_FrameTime = 0.001f + static_cast<float>(crt::rand() % 50) * 0.001f;
      r.RunFrameStep(16, RiderStepKind{});
      CheckInvariants(r, f);
      ASSERT_FALSE(HasFatalFailure()) << seed;
      for (int i = 0; i < 5; ++i) ASSERT_LE(*conditions[i], before[i][0]) << seed << " " << f << " " << i;
      // Beyond the course's ends there is no ground: start again.
      if (r.physics.position.z > 1900.0f || r.physics.position.z < 5.0f) Start(&r, track.get(), 10.0f);
    }
  }
}

// Records the frame times and controls of a run and plays them back after a
// reset through the replay hooks.
std::uint64_t RecordAndReplay(Track* track, std::uint64_t* recordedHash, RiderScenarioTest*) {
  struct Frame {
    float dt;
    float controls[3];
  };
  std::vector<Frame> frames;
  crt::srand(11);
  PhysicsRider r;
  r.SetTrack(track);
  auto start = [&] {
    r.Reset();
    r.state = RIDER_RACING;
    r.physics.sectionHint = 2;
    r.Place(0.0f, 0.5f, 10.0f, 0.0f);
  };
  start();
  r.script = [&](std::uint32_t f) {
    ScriptedControls c;
    c.throttle = (f / 100) % 3 == 2 ? 0.0f : 0.8f;
    c.brake = (f / 100) % 3 == 2 ? 0.6f : 0.0f;
    c.steer = std::sin(static_cast<float>(f) * 0.01f) * 0.2f;
    return c;
  };
  for (std::uint32_t f = 0; f < 2000; ++f) {
    g_FrameTime = 0.012f + static_cast<float>(f % 7) * 0.002f;
    r.RunFrameStep(16, RiderStepKind{});
    Frame fr;
    fr.dt = g_FrameTime;
    r.GetReplayControls(fr.controls);
    frames.push_back(fr);
  }
  *recordedHash = kelvtest::PhysicsHash(r);

  crt::srand(11);
  start();
  r.BeginReplay();
  r.script = [&](std::uint32_t f) {
    const float* c = r.replayControls;
    (void)f;
    return ScriptedControls{c[0] > 0.0f ? c[0] : 0.0f, c[0] < 0.0f ? -c[0] : 0.0f, c[1], c[2]};
  };
  for (const Frame& fr : frames) {
    g_FrameTime = fr.dt;
    r.SetReplayControls(fr.controls);
    r.RunFrameStep(16, RiderStepKind{});
  }
  r.EndReplay();
  return kelvtest::PhysicsHash(r);
}

TEST_F(RiderScenarioTest, AReplayRepeatsTheRaceBitForBit) {
  auto track = kelvtest::FlatCourse(300);
  std::uint64_t recorded = 0;
  const std::uint64_t replayed = RecordAndReplay(track.get(), &recorded, this);
  EXPECT_EQ(replayed, recorded);
  std::uint64_t again = 0;
  EXPECT_EQ(RecordAndReplay(track.get(), &again, this), replayed);
  EXPECT_EQ(again, recorded);
}

class RiderCourseTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    savedFrame_ = g_FrameTime;
    kelvtest::ResetPhysicsGlobals();
  }
  void TearDown() override {
    g_FrameTime = savedFrame_;
    kelvtest::ResetPhysicsGlobals();
    g_OptionParticle = 1;
    TrackTest::TearDown();
  }

 private:
  float savedFrame_ = 0.0f;
};

// A computer-style rider following the synthetic course's centre line over
// the hill and the kicker, damage on.
TEST_F(RiderCourseTest, RidesTheSyntheticCourse) {
  OpenTrackArchive(kelvdata::CourseMembers());
  Track track;
  ASSERT_TRUE(track.Load(kelvdata::COURSE_TRACK));
  // The physics takes the triangles' normals as pointing up.
  for (int s = 0; s < track.sectionCount; ++s) {
    for (const TrackSurface& t : track.sections[s].surfaces) ASSERT_GT(t.ny, 0.0f) << s;
  }
  g_OptionDamages = 1;
  g_FrameTime = 0.016f;
  crt::srand(3);
  PhysicsRider r;
  r.SetTrack(&track);
  r.Reset();
  r.state = RIDER_RACING;
  const TrackNode& n = track.nodes[10];
  r.physics.sectionHint = 10;
  const Vector3 d = track.sections[10].direction;
  float heading = std::acos(d.z);
  if (d.x < 0.0f) heading = 6.2831855f - heading;
  r.Place(n.centre.x, n.groundHeight + 0.6f, n.centre.z, heading);
  r.script = [&](std::uint32_t) {
    // Steer towards the node two sections ahead.
    const TrackNode& ahead = track.nodes[(r.physics.sectionHint + 2) % track.sectionCount];
    const Vector3 to = ahead.centre - r.physics.position;
    const float side = to.x * r.physics.axes[0][0] + to.z * r.physics.axes[0][2];
    ScriptedControls c;
    c.throttle = 0.6f;
    c.steer = std::fmax(-0.4f, std::fmin(0.4f, side * 0.2f));
    c.handlebar = c.steer * 0.25f;
    return c;
  };
  int crashes = 0;
  std::uint8_t wasCrashed = 0;
  for (int f = 0; f < 3000; ++f) {
    r.RunFrameStep(16, RiderStepKind{});
    CheckInvariants(r, f);
    ASSERT_FALSE(HasFatalFailure());
    if (r.physics.crashed && !wasCrashed) ++crashes;
    wasCrashed = r.physics.crashed;
  }
  EXPECT_GT(r.raceDistance, 100.0f);
  // Round the bends it stays on the course.
  EXPECT_EQ(r.physics.onTrack, 1);
  const TrackNode& here = track.nodes[r.physics.sectionHint];
  EXPECT_LT(std::sqrt(LengthSquared(Vector3(r.physics.position.x - here.centre.x, 0.0f,
                                            r.physics.position.z - here.centre.z))),
            15.0f);
  RecordProperty("crashes", crashes);
}

}  // namespace
