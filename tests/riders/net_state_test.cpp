// Network play of the riders: the rider-state record's bytes, the player's
// look-ahead that is sent and leaves no trace, its ground model, remote
// riders following synthetic record streams, and a player riding the
// synthetic course into a remote copy of itself.
#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "platform/win32/crt.h"
#include "riders/ai_rider.h"
#include "riders/net_state.h"
#include "riders/player_rider.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/allocation_counter.h"
#include "tests/world/track_fixture.h"
#include "tools/net_records.h"

namespace {

constexpr float kStandardGravity = 9.80665f;

// Keeps what the riders send; raises the period tick as a session would.
class RecordingNetGame : public NetGame {
 public:
  void SendRiderState(std::uint32_t type, NetRiderRecord record) override { sent.emplace_back(type, record); }
  void UpdateTimers(float elapsed) override {
    periodTick = 0;
    accumulated += elapsed;
    if (accumulated >= period) {
      accumulated -= period;
      periodTick = 1;
    }
  }
  std::vector<std::pair<std::uint32_t, NetRiderRecord>> sent;
  float accumulated = 0.0f;
};

NetRiderRecord Record(const kelvdata::RiderStateSpec& spec) {
  const kelvdata::Bytes b = kelvdata::BuildRiderState(spec);
  NetRiderRecord r{};
  EXPECT_EQ(b.size(), r.size());
  std::memcpy(r.data(), b.data(), r.size());
  return r;
}

// The record of a state at position `at` (m) with orientation q (unit).
NetRiderRecord StateRecord(Vector3 at, Quaternion q = Quaternion(1, 0, 0, 0), std::uint8_t fresh = 1,
                           std::uint8_t crashed = 0, std::uint8_t onTrack = 1) {
  kelvdata::RiderStateSpec s;
  s.freshCount = fresh;
  s.position = {static_cast<std::int16_t>(std::trunc(at.x * 32.767f)),
                static_cast<std::int16_t>(std::trunc(at.y * 32.767f)),
                static_cast<std::int16_t>(std::trunc(at.z * 32.767f))};
  s.orientation = {
      static_cast<std::int8_t>(std::trunc(q.w * 127.0f)), static_cast<std::int8_t>(std::trunc(q.x * 127.0f)),
      static_cast<std::int8_t>(std::trunc(q.y * 127.0f)), static_cast<std::int8_t>(std::trunc(q.z * 127.0f))};
  s.crashed = crashed;
  s.onTrack = onTrack;
  return Record(s);
}

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
float Distance(const Vector3& a, const Vector3& b) { return std::sqrt(LengthSquared(a - b)); }

TEST(RiderStateRecord, EncodesEachFieldAtItsOffset) {
  struct Case {
    const char* what;
    Vector3 position;
    Quaternion q;
    std::array<std::int16_t, 3> positionFields;
    std::array<std::int8_t, 4> quaternionFields;
  };
  const Case cases[] = {
      {"scales", {1.0f, -2.0f, 1000.0f}, {1.0f, 0.5f, -0.5f, 0.25f}, {32, -65, 32766}, {127, 63, -63, 31}},
      {"truncation towards zero",
       {0.06f, -0.06f, 0.0f},
       {0.0078f, -0.0158f, 0.999f, -0.999f},
       {1, -1, 0},
       {0, -2, 126, -126}},
      // A part of -1.0079 would make -128; it goes as -127.
      {"-128 becomes -127", {0, 0, 0}, {-1.0079f, 0, 0, -1.0f}, {0, 0, 0}, {-127, 0, 0, -127}},
      {"clamped, not wrapped",
       {2000.0f, -2000.0f, 1e9f},
       {1.02f, -3.0f, 0, 0},
       {32767, -32767, 32767},
       {127, -127, 0, 0}},
      {"NaN goes as 0", {NAN, 1.0f, 0}, {NAN, 0, 0, 1.0f}, {0, 32, 0}, {0, 0, 0, 127}},
  };
  for (const Case& c : cases) {
    NetRiderState s;
    s.position = c.position;
    s.orientation = c.q;
    s.crashed = 1;
    s.onTrack = 1;
    kelvdata::RiderStateSpec want;
    want.type = 0;
    want.freshCount = 0;
    want.position = c.positionFields;
    want.orientation = c.quaternionFields;
    want.crashed = 1;
    want.onTrack = 1;
    EXPECT_EQ(EncodeRiderState(s), Record(want)) << c.what;
  }
}

TEST(RiderStateRecord, DecodesWhatItEncodesWithinOneStep) {
  crt::srand(11);
  auto draw = [] { return static_cast<float>(crt::rand()) / 32767.0f * 2.0f - 1.0f; };
  for (int i = 0; i < 2000; ++i) {
    NetRiderState s;
    s.type = 0x1016;
    s.freshCount = static_cast<std::uint8_t>(i % 4);
    s.position = Vector3(draw() * 999.0f, draw() * 100.0f, draw() * 999.0f);
    Quaternion q(draw(), draw(), draw(), draw());
    const float n = q.Norm();
    s.orientation = n > 0.0f ? q / n : Quaternion(1, 0, 0, 0);
    s.crashed = static_cast<std::uint8_t>(i & 1);
    s.onTrack = static_cast<std::uint8_t>((i >> 1) & 1);
    const NetRiderState d = DecodeRiderState(EncodeRiderState(s));
    ASSERT_EQ(d.type, s.type);
    ASSERT_EQ(d.freshCount, s.freshCount);
    ASSERT_EQ(d.crashed, s.crashed);
    ASSERT_EQ(d.onTrack, s.onTrack);
    const float dp[3] = {s.position.x - d.position.x, s.position.y - d.position.y, s.position.z - d.position.z};
    for (float e : dp) ASSERT_LE(std::fabs(e), 1.0f / 32.767f) << i;
    const float dq[4] = {s.orientation.w - d.orientation.w, s.orientation.x - d.orientation.x,
                         s.orientation.y - d.orientation.y, s.orientation.z - d.orientation.z};
    for (float e : dq) ASSERT_LE(std::fabs(e), 1.0f / 127.0f + 1e-6f) << i;
  }
}

// Control callbacks that read the test's globals.
float g_Throttle = 0.0f;
float g_Steer = 0.0f;
const ControlCallbacks kTestControls = {
    [] {},
    [] { return g_Throttle; },
    [] { return 0.0f; },
    [] { return g_Steer < 0.0f ? -g_Steer : 0.0f; },
    [] { return g_Steer > 0.0f ? g_Steer : 0.0f; },
    [] { return 0.0f; },
    [] { return 0.0f; },
};

class NetStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFrame_ = g_FrameTime;
    savedMode_ = g_GameMode;
    savedType_ = g_RaceType;
    g_FrameTime = 0.016f;
    g_RaceType = 3;
    kelvtest::ResetPhysicsGlobals();
    crt::srand(5);
    g_Throttle = g_Steer = 0.0f;
    InstallNetGame(&net_);
    track_ = kelvtest::FlatCourse(40);
  }
  void TearDown() override {
    InstallNetGame(nullptr);
    g_FrameTime = savedFrame_;
    g_GameMode = savedMode_;
    g_RaceType = savedType_;
    kelvtest::ResetPhysicsGlobals();
    g_OptionParticle = 1;
  }

  // A reset rider standing on its wheels at (x, z) of the flat course.
  void Stand(Rider* r, float z = 40.0f, float x = 0.0f, float y = 0.5f) {
    kelvtest::MakePhysicsOnly(*r);
    r->SetTrack(track_.get());
    r->Reset();
    r->state = RIDER_RACING;
    const auto s = static_cast<std::uint16_t>(z / 5.0f);
    r->physics.sectionHint = s;
    for (ContactPoint* c : {&r->physics.chassisPoint, static_cast<ContactPoint*>(&r->physics.frontWheel),
                            static_cast<ContactPoint*>(&r->physics.rearWheel)}) {
      c->sectionHint = s;
    }
    r->Place(x, y, z, 0.0f);
    r->ProbeGround();
  }

  // A player settled on its wheels and riding straight at about `speed`.
  std::unique_ptr<PlayerRider> Rolling(float speed) {
    auto r = std::make_unique<PlayerRider>();
    r->controls = kTestControls;
    Stand(r.get(), 20.0f);
    for (int f = 0; f < 60; ++f) r->Update(16, RIDER_RACING);
    RiderPhysics& p = r->physics;
    p.velocity = Vector3(0.0f, 0.0f, speed);
    p.forwardSpeed = speed;
    p.rearWheel.spinRate = p.frontWheel.spinRate = speed / p.wheelRadius;
    // Off the standstill hold, on the throttle.
    p.brake = 0.0f;
    p.throttle = 1.0f;
    for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                            static_cast<ContactPoint*>(&p.rearWheel)}) {
      c->velocity = p.velocity;
    }
    return r;
  }

  NetRiderState LastSent() {
    EXPECT_FALSE(net_.sent.empty());
    if (net_.sent.empty()) return NetRiderState{};
    EXPECT_EQ(net_.sent.back().first, NET_MSG_RIDER_STATE);
    return DecodeRiderState(net_.sent.back().second);
  }

  RecordingNetGame net_;
  std::unique_ptr<Track> track_;

 private:
  float savedFrame_ = 0.0f;
  std::uint8_t savedMode_ = 0;
  std::uint8_t savedType_ = 0;
};

TEST_F(NetStateTest, TwentyMetresASecondStraightAheadIsSentFourMetresOn) {
  auto r = Rolling(20.0f);
  r->physics.throttle = 1.0f;
  const Vector3 live = r->physics.position;
  r->SendNetState();
  ASSERT_EQ(net_.sent.size(), 1u);
  const NetRiderState s = LastSent();
  EXPECT_EQ(s.freshCount, 0);
  EXPECT_EQ(s.type, 0u) << "the session fills the type";
  EXPECT_NEAR(s.position.z - live.z, 4.0f, 0.3f);
  EXPECT_NEAR(s.position.x, live.x, 0.1f);
  EXPECT_NEAR(s.orientation.w, 1.0f, 0.02f);
  EXPECT_EQ(s.crashed, 0);
  EXPECT_EQ(s.onTrack, 1);
  const NetRiderRecord& bytes = net_.sent.back().second;
  EXPECT_EQ(bytes[5] | bytes[18] | bytes[19], 0);
}

// The record is made from the prediction and the live rider is unchanged
// to the bit: the whole physics block, the matrices, the crash tables, the
// five conditions, the frame time and the generator.
TEST_F(NetStateTest, ASendLeavesNoTrace) {
  struct Case {
    const char* what;
    float speed;
    bool skid;        // sliding sideways fast: a crash within the period
    bool offTheEdge;  // high up, crossing the right border outwards fast
    bool damage;
    std::uint8_t crashedSent;
    std::uint8_t onTrackSent;
  };
  const Case cases[] = {
      {"riding straight", 20.0f, false, false, false, 0, 1},
      {"riding with damage on", 25.0f, false, false, true, 0, 1},
      {"a skid into a crash", 10.0f, true, false, true, 1, 1},
      {"flying off the course", 10.0f, false, true, false, 1, 1},
  };
  for (const Case& c : cases) {
    net_.sent.clear();
    g_OptionDamages = c.damage ? 1 : 0;
    for (int i = 0; i < 20; ++i) g_ConditionEngine[i] = g_ConditionGearbox[i] = 0.5f;
    auto r = Rolling(c.speed);
    RiderPhysics& p = r->physics;
    g_Throttle = 1.0f;
    p.throttle = 1.0f;
    if (c.skid) {
      p.velocity.x = 21.0f;
      for (ContactPoint* pt : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                               static_cast<ContactPoint*>(&p.rearWheel)}) {
        pt->velocity = p.velocity;
      }
    }
    if (c.offTheEdge) {
      // Above the right border: the far side of x = 6 lies outside.
      p.position = p.position + Vector3(5.5f, 3.0f, 0.0f);
      r->matrix.m[12] = p.position.x;
      r->matrix.m[13] = p.position.y;
      for (ContactPoint* pt : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                               static_cast<ContactPoint*>(&p.rearWheel)}) {
        pt->world = pt->world + Vector3(5.5f, 3.0f, 0.0f);
        pt->velocity = pt->velocity + Vector3(8.0f, 0.0f, 0.0f);
      }
      p.velocity = p.velocity + Vector3(8.0f, 0.0f, 0.0f);
    }
    crt::srand(99);
    const RiderPhysics before = p;
    const Matrix4 matrix = r->matrix;
    Matrix4 poses[Rider::PART_POSE_COUNT];
    for (int i = 0; i < Rider::PART_POSE_COUNT; ++i) poses[i] = r->partPoses[i];
    std::vector<Matrix4> crash(r->jointCrash.get(), r->jointCrash.get() + 11);
    std::vector<float> rates(r->jointTables[JOINT_RATE1].get(), r->jointTables[JOINT_RATE1].get() + 11);
    const float conditions[5] = {g_ConditionSuspension[0], g_ConditionWheels[0], g_ConditionEngine[0],
                                 g_ConditionBrakes[0], g_ConditionGearbox[0]};
    const std::uint8_t gearChanged = r->gearChanged;
    const float frameTime = g_FrameTime;
    const std::uint64_t hash = kelvtest::PhysicsHash(*r);

    r->SendNetState();

    const NetRiderState s = LastSent();
    EXPECT_EQ(s.crashed, c.crashedSent) << c.what;
    EXPECT_EQ(s.onTrack, c.onTrackSent) << c.what;
    EXPECT_EQ(std::memcmp(&before, &r->physics, sizeof before), 0) << c.what;
    EXPECT_EQ(kelvtest::PhysicsHash(*r), hash) << c.what;
    EXPECT_EQ(std::memcmp(&matrix, &r->matrix, sizeof matrix), 0) << c.what;
    EXPECT_EQ(std::memcmp(poses, r->partPoses, sizeof poses), 0) << c.what;
    EXPECT_EQ(std::memcmp(crash.data(), r->jointCrash.get(), 11 * sizeof(Matrix4)), 0) << c.what;
    EXPECT_EQ(std::memcmp(rates.data(), r->jointTables[JOINT_RATE1].get(), 11 * sizeof(float)), 0) << c.what;
    const float after[5] = {g_ConditionSuspension[0], g_ConditionWheels[0], g_ConditionEngine[0],
                            g_ConditionBrakes[0], g_ConditionGearbox[0]};
    EXPECT_EQ(std::memcmp(conditions, after, sizeof after), 0) << c.what;
    EXPECT_EQ(r->gearChanged, gearChanged) << c.what;
    EXPECT_EQ(g_FrameTime, frameTime) << c.what;
    crt::srand(99);
    const int first = crt::rand();
    crt::srand(99);
    r->SendNetState();
    EXPECT_EQ(crt::rand(), first) << c.what << ": the generator is where it was";
    EXPECT_EQ(p.crashed, 0) << c.what << ": the live rider rides on";
    if (c.offTheEdge) {
      // The prediction itself leaves the track: the byte sent is the one
      // from before it.
      g_FrameTime = 0.2f / 6.0f;
      for (int i = 0; i < 6; ++i) r->PredictStep();
      EXPECT_EQ(p.onTrack, 0) << c.what;
      EXPECT_EQ(p.crashed, 1) << c.what;
      g_FrameTime = frameTime;
    }
  }
}

TEST_F(NetStateTest, ASendAllocatesNothing) {
  auto r = Rolling(15.0f);
  net_.sent.reserve(4);
  r->SendNetState();
  kelvtest::StartCountingAllocations();
  r->SendNetState();
  r->SendNetState();
  EXPECT_EQ(kelvtest::StopCountingAllocations(), 0);
  EXPECT_EQ(net_.sent.size(), 3u);
}

TEST_F(NetStateTest, APlayerSendsOnlyInTheTickOfANetworkRace) {
  struct Case {
    std::uint8_t mode;
    std::uint8_t tick;
    int state;
    std::size_t sends;
  };
  const Case cases[] = {{GAME_MODE_MULTIPLAYER, 1, RIDER_RACING, 1}, {GAME_MODE_MULTIPLAYER, 1, RIDER_WAITING, 1},
                        {GAME_MODE_MULTIPLAYER, 0, RIDER_RACING, 0}, {GAME_MODE_SINGLE_RACE, 1, RIDER_RACING, 0}};
  for (const Case& c : cases) {
    auto r = Rolling(10.0f);
    net_.sent.clear();
    g_GameMode = c.mode;
    net_.periodTick = c.tick;
    r->Update(16, c.state);
    EXPECT_EQ(net_.sent.size(), c.sends) << int{c.mode} << " " << int{c.tick} << " " << c.state;
  }
}

TEST_F(NetStateTest, ThePredictionHoldsTheBikeOnlyBelowThreeMetresASecond) {
  struct Case {
    float speed;
    bool stopped;
  };
  // The live step holds up to 4 m/s; the prediction only below 3.
  for (const Case& c : {Case{2.5f, true}, Case{3.5f, false}}) {
    auto r = Rolling(c.speed);
    r->physics.brake = 1.0f;
    r->physics.throttle = 0.0f;
    g_FrameTime = 0.2f / 6.0f;
    r->PredictStep();
    if (c.stopped) {
      EXPECT_NEAR(r->physics.forwardSpeed, 0.0f, 1e-6f) << c.speed;
    } else {
      EXPECT_GT(r->physics.forwardSpeed, 3.0f) << c.speed;
    }
  }
}

// Pitch is damped only while the rear wheel is less than 1 m up: the same
// flight at 0.9 m and at 2.5 m differs by exactly that damping.
TEST_F(NetStateTest, ABikeHighInTheAirIsNotPitchDamped) {
  float pitch[2] = {};
  const float heights[2] = {0.9f, 2.5f};
  g_FrameTime = 0.2f / 6.0f;
  for (int i = 0; i < 2; ++i) {
    auto r = Rolling(10.0f);
    RiderPhysics& p = r->physics;
    const float lift = heights[i] - (p.rearWheel.world.y - p.rearWheel.groundHeight);
    p.position.y += lift;
    r->matrix.m[13] = p.position.y;
    for (ContactPoint* c : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                            static_cast<ContactPoint*>(&p.rearWheel)}) {
      c->world.y += lift;
    }
    const Vector3 right(p.axes[0][0], p.axes[0][1], p.axes[0][2]);
    p.angularVelocity = 1.5f * right;
    r->PredictStep();
    pitch[i] = Dot(p.angularVelocity, right);
  }
  EXPECT_NEAR(pitch[1] - pitch[0], 3.0f * g_FrameTime * pitch[1], 0.02f);
  EXPECT_GT(pitch[1], pitch[0]);
}

TEST_F(NetStateTest, PredictionGroundForces) {
  PlayerRider r;
  r.controls = kTestControls;
  Stand(&r, 40.0f);
  RiderPhysics& p = r.physics;
  const int k = 0;
  const float M = p.totalMass[k];
  auto put = [&](ContactPoint& c, float height, Vector3 v) {
    c.world.y = c.groundHeight + height;
    c.velocity = v;
  };
  auto forces = [&](Vector3* ch, Vector3* fr, Vector3* re) {
    *ch = *fr = *re = Vector3(0.0f, 0.0f, 0.0f);
    r.PredictGroundForces(ch, fr, re);
  };
  const Vector3 still(0.0f, 0.0f, 0.0f);
  Vector3 ch, fr, re;

  // In the air inside the borders: gravity only.
  g_FrameTime = 1.0f / 30.0f;
  put(p.chassisPoint, 0.5f, still);
  put(p.frontWheel, 0.5f, still);
  put(p.rearWheel, 0.5f, still);
  forces(&ch, &fr, &re);
  EXPECT_FLOAT_EQ(ch.y, -p.chassisPoint.mass[k] * kStandardGravity);
  EXPECT_FLOAT_EQ(fr.y, -p.frontWheel.mass[k] * kStandardGravity);
  EXPECT_FLOAT_EQ(re.y, -p.rearWheel.mass[k] * kStandardGravity);
  EXPECT_EQ(ch.x, 0.0f);
  EXPECT_EQ(re.z, 0.0f);

  // The chassis point at rest half a metre deep: a spring of 10000 x 0.6 is
  // applied as 2000; at 10 frames a second 0.1 m below its rest gives 5000 x 0.1.
  put(p.chassisPoint, -0.5f, still);
  forces(&ch, &fr, &re);
  EXPECT_NEAR(ch.y, 2000.0f - p.chassisPoint.mass[k] * kStandardGravity, 1e-2f);
  g_FrameTime = 0.1f;
  put(p.chassisPoint, 0.0f, still);
  forces(&ch, &fr, &re);
  EXPECT_NEAR(ch.y, 5000.0f * 0.1f - p.chassisPoint.mass[k] * kStandardGravity, 1e-2f);

  // Moving down at 2 m/s into the ground, the chassis point at the body's
  // reference point (D = dt / M): an impact of 2.4 M / dt, restitution 0.2.
  g_FrameTime = 1.0f / 30.0f;
  p.chassisPoint.world = Vector3(p.position.x, p.chassisPoint.groundHeight + 0.15f, p.position.z);
  p.position = p.chassisPoint.world;
  p.chassisPoint.velocity = Vector3(0.0f, -2.0f, 0.0f);
  forces(&ch, &fr, &re);
  EXPECT_NEAR(p.chassisLoad, 2.4f * M / g_FrameTime, 0.5f);
  EXPECT_FLOAT_EQ(p.restitution, 0.2f);

  // Border hits at 1 and 10 m/s: 1.82 / D and 10 / D, the bike pushed back.
  struct Hit {
    float speed;
    float impulse;
  };
  for (const Hit& h : {Hit{1.0f, 1.82f}, Hit{10.0f, 10.0f}}) {
    Stand(&r, 40.0f);
    put(p.frontWheel, 0.5f, still);
    put(p.rearWheel, 0.5f, still);
    p.chassisPoint.world = Vector3(6.2f, p.chassisPoint.groundHeight + 0.5f, p.position.z);
    p.position = p.chassisPoint.world;
    p.chassisPoint.velocity = Vector3(h.speed, 0.0f, 0.0f);
    forces(&ch, &fr, &re);
    EXPECT_NEAR(p.chassisBorderImpulse, h.impulse * M / g_FrameTime, 0.5f) << h.speed;
    EXPECT_NEAR(p.position.x, 6.0f, 1e-4f) << h.speed;
    EXPECT_EQ(p.onTrack, 1) << h.speed;
  }

  // Leaning 60 degrees multiplies the rear grip by 0.4; in neutral the grip
  // tops out at 1.
  Stand(&r, 40.0f);
  put(p.rearWheel, 0.0f, still);
  p.gear = 0;
  p.forwardSpeed = 0.0f;
  forces(&ch, &fr, &re);
  EXPECT_FLOAT_EQ(p.rearGrip, 1.0f);
  p.lean = 1.0471976f;
  forces(&ch, &fr, &re);
  EXPECT_NEAR(p.rearGrip, 0.4f, 1e-5f);
}

class RemoteRiderTest : public NetStateTest {
 protected:
  std::unique_ptr<AiRider> Remote(float z = 20.0f) {
    auto r = std::make_unique<AiRider>();
    Stand(r.get(), z);
    return r;
  }

  // Frames of 16 ms for `seconds`; a snapshot every `interval` s from
  // `next` (null: none). Fails on anything undefined.
  void Ride(AiRider* r, float seconds, const std::function<NetRiderRecord(int)>& next, float interval = 0.2f) {
    g_FrameTime = 0.016f;
    float clock = 0.0f;
    int snapshot = 0;
    for (float t = 0.0f; t < seconds; t += g_FrameTime) {
      clock += g_FrameTime;
      if (next && clock >= interval) {
        clock -= interval;
        r->ApplyNetState(next(snapshot++));
      }
      r->UpdateRemote(RIDER_RACING);
      const RiderPhysics& p = r->physics;
      ASSERT_TRUE(Finite(p.position) && Finite(p.velocity) && Finite(p.angularVelocity)) << t;
      ASSERT_TRUE(std::isfinite(p.steer) && std::isfinite(p.revs) && std::isfinite(p.lean)) << t;
      ASSERT_TRUE(std::isfinite(p.frontLoad) && std::isfinite(p.rearLoad) && std::isfinite(p.chassisLoad)) << t;
      ASSERT_TRUE(std::isfinite(r->matrix.m[0]) && std::isfinite(r->matrix.m[12])) << t;
    }
  }
};

TEST_F(RemoteRiderTest, FreshStatesAreCoveredInTheTimeTheyStandFor) {
  struct Case {
    std::uint8_t fresh;
    float interval;  // s between snapshots
    float speed;     // steps of 2 m, each over fresh x 0.2 s
  };
  for (const Case& c : {Case{1, 0.2f, 10.0f}, Case{2, 0.4f, 5.0f}}) {
    auto r = Remote();
    const float z0 = r->physics.position.z;
    const float y = r->physics.position.y;
    Ride(
        r.get(), 4.0f,
        [&](int i) { return StateRecord(Vector3(0.0f, y, z0 + 2.0f * (i + 1)), {1, 0, 0, 0}, c.fresh); },
        c.interval);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NEAR(r->physics.velocity.z, c.speed, 0.15f * c.speed) << int{c.fresh};
    EXPECT_NEAR(r->physics.forwardSpeed, c.speed, 0.15f * c.speed) << int{c.fresh};
    EXPECT_GT(r->physics.gear, 0);
    EXPECT_GT(r->physics.revs, 0.0f);
    EXPECT_NEAR(r->physics.rearWheel.spinRate, r->physics.forwardSpeed / r->physics.wheelRadius, 1e-3f);
  }
}

TEST_F(RemoteRiderTest, WhenStatesStopTheRiderRunsOnPastTheTarget) {
  auto r = Remote();
  const float z0 = r->physics.position.z;
  const float y = r->physics.position.y;
  // A quarter turn about the vertical spread over the states.
  auto turn = [](int i) {
    const float a = 0.1f * static_cast<float>(i + 1) / 2.0f;
    return Quaternion(std::cos(a), 0.0f, std::sin(a), 0.0f);
  };
  int sent = 0;
  Ride(r.get(), 2.0f, [&](int i) {
    sent = i + 1;
    return StateRecord(Vector3(0.0f, y, z0 + 2.0f * (i + 1)), turn(i));
  });
  ASSERT_FALSE(HasFatalFailure());
  const Vector3 target = r->targetPosition;
  const Quaternion q = r->targetOrientation;
  Ride(r.get(), 0.6f, nullptr);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_GT(r->positionFraction, 1.5f);
  EXPECT_GT(r->physics.position.z, target.z + 2.0f);
  EXPECT_NEAR(r->physics.orientation.w, q.w, 1e-5f);
  EXPECT_NEAR(r->physics.orientation.y, q.y, 1e-5f);
  EXPECT_GT(sent, 5);
}

TEST_F(RemoteRiderTest, ASnapshotWithoutAFreshStateContinuesHalfTheLastStep) {
  auto r = Remote();
  const Vector3 p0 = r->physics.position;
  r->ApplyNetState(StateRecord(p0 + Vector3(0.0f, 0.0f, 2.0f)));
  const Vector3 step = r->targetPosition - r->startPosition;
  EXPECT_NEAR(step.z, 2.0f, 0.05f);
  Ride(r.get(), 0.1f, nullptr);
  const Vector3 shown = r->physics.position;
  r->ApplyNetState(StateRecord(p0 + Vector3(0.0f, 0.0f, 50.0f), {1, 0, 0, 0}, 0));
  EXPECT_NEAR(r->targetPosition.z, shown.z + 0.5f * step.z, 1e-4f);
  EXPECT_NEAR(r->stepDuration, 0.2f, 1e-6f);
}

TEST_F(RemoteRiderTest, ImplausibleStatesStayFinite) {
  struct Case {
    const char* what;
    std::array<std::int8_t, 4> q;
    std::array<std::int16_t, 3> position;
    bool targetMoves;
    bool orientationUsed;
  };
  const Case cases[] = {
      {"zero quaternion", {0, 0, 0, 0}, {0, 16, 720}, false, false},
      {"over-norm quaternion", {127, 127, 127, 127}, {0, 16, 720}, false, false},
      {"short but usable quaternion", {64, 0, 0, 0}, {0, 16, 720}, true, true},
  };
  for (const Case& c : cases) {
    auto r = Remote();
    r->netStateSeen = 1;
    r->targetOrientation = Quaternion(0.0f, 0.0f, 1.0f, 0.0f);
    const Vector3 before = r->physics.position;
    kelvdata::RiderStateSpec s;
    s.orientation = c.q;
    s.position = c.position;
    for (int i = 0; i < 10; ++i) {
      r->ApplyNetState(Record(s));
      Ride(r.get(), 0.2f, nullptr);
      ASSERT_FALSE(HasFatalFailure()) << c.what;
    }
    EXPECT_EQ(Distance(r->physics.position, before) > 1.0f, c.targetMoves) << c.what;
    EXPECT_EQ(r->targetOrientation.w > 0.5f, c.orientationUsed) << c.what;
    EXPECT_NEAR(r->physics.orientation.Norm(), 1.0f, 1e-3f) << c.what;
  }
}

TEST_F(RemoteRiderTest, AStationaryRiderSteersStraight) {
  auto r = Remote();
  // The rider exactly where the record puts it: start and target coincide.
  kelvdata::RiderStateSpec spec;
  spec.position = {0, 16, 655};
  const NetRiderRecord record = Record(spec);
  const Vector3 here = DecodeRiderState(record).position;
  r->Place(here.x, here.y, here.z, 0.0f);
  Ride(r.get(), 3.0f, [&](int) { return record; });
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(r->physics.steer, 0.0f);
  // d = 0.01 m: the speed settles at 0.01 / 0.2 s.
  EXPECT_NEAR(r->interpolationSpeed, 0.05f, 0.005f);
  EXPECT_LT(Distance(r->physics.position, here), 0.05f);
}

TEST_F(RemoteRiderTest, ARecoveryOrAReturnToTheTrackJumpsToTheState) {
  struct Case {
    const char* what;
    std::uint8_t crashedHere;
    std::uint8_t onTrackHere;
  };
  for (const Case& c : {Case{"put back after a crash", 1, 1}, Case{"back on the track", 0, 0}}) {
    auto r = Remote();
    r->physics.crashed = c.crashedHere;
    r->physics.onTrack = c.onTrackHere;
    r->physics.velocity = Vector3(0.0f, 0.0f, 7.0f);
    const Vector3 there = r->physics.position + Vector3(1.0f, 0.0f, 12.0f);
    r->ApplyNetState(StateRecord(there, {1, 0, 0, 0}, 1, 0, 1));
    EXPECT_EQ(r->resyncPending, 1) << c.what;
    r->UpdateRemote(RIDER_RACING);
    EXPECT_LT(Distance(r->physics.position, there), 0.05f) << c.what;
    EXPECT_EQ(r->physics.velocity.z, 0.0f) << c.what;
    EXPECT_EQ(r->physics.onTrack, 1) << c.what;
    EXPECT_EQ(r->resyncPending, 0) << c.what;
  }
  // A crash received starts the crash pose and sets the flag.
  auto r = Remote();
  r->ApplyNetState(StateRecord(r->physics.position, {1, 0, 0, 0}, 1, 1, 1));
  EXPECT_EQ(r->physics.crashed, 1);
  EXPECT_EQ(r->resyncPending, 0);
}

// Past a border a remote rider leaves the track only with its rear wheel
// 1.2 m or more above the ground.
TEST_F(RemoteRiderTest, ARiderHighOverABorderLeavesTheTrack) {
  struct Case {
    float height;  // of the body's reference point
    std::uint8_t onTrack;
  };
  for (const Case& c : {Case{0.5f, 1}, Case{3.0f, 0}}) {
    auto r = Remote();
    r->Place(6.5f, c.height, 20.0f, 0.0f);
    r->ProbeGround();
    r->ApplyNetState(StateRecord(Vector3(6.5f, c.height, 20.0f)));
    r->UpdateRemote(RIDER_RACING);
    EXPECT_EQ(r->physics.onTrack, c.onTrack) << c.height;
  }
}

TEST_F(RemoteRiderTest, TurningAboutTheVerticalGivesAWorldYawRate) {
  auto r = Remote();
  const float rate = 0.8f;  // rad/s about +y
  r->physics.orientation = Quaternion(1, 0, 0, 0);
  r->startOrientation = Quaternion(1, 0, 0, 0);
  // A rotation that the physics would reach by turning at `rate` about +y.
  Rider& base = *r;
  const float step[3] = {0.0f, rate * 0.2f, 0.0f};
  base.RotateOrientation(step);
  r->targetOrientation = r->physics.orientation;
  r->physics.orientation = Quaternion(1, 0, 0, 0);
  // Already at the smoothed speed of that step: acos of the dot product
  // is half the turn.
  r->angularSpeed = std::acos(r->targetOrientation.w) / 0.2f;
  r->stepDuration = 0.2f;
  r->netStateSeen = 1;
  g_FrameTime = 0.016f;
  r->UpdateRemote(RIDER_RACING);
  EXPECT_NEAR(r->physics.angularVelocity.y, rate, 0.05f);
  EXPECT_NEAR(r->physics.angularVelocity.x, 0.0f, 1e-3f);
  EXPECT_NEAR(r->physics.angularVelocity.z, 0.0f, 1e-3f);
}

// The player rides the synthetic course for 30 s; each record it sends
// reaches a remote copy on the same course, as a snapshot with one fresh
// state. At every record the copy is within what the sender covers in two
// send periods.
class NetRaceTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    savedFrame_ = g_FrameTime;
    savedMode_ = g_GameMode;
    kelvtest::ResetPhysicsGlobals();
    InstallNetGame(&net_);
  }
  void TearDown() override {
    InstallNetGame(nullptr);
    g_FrameTime = savedFrame_;
    g_GameMode = savedMode_;
    kelvtest::ResetPhysicsGlobals();
    g_OptionParticle = 1;
    TrackTest::TearDown();
  }
  RecordingNetGame net_;

 private:
  float savedFrame_ = 0.0f;
  std::uint8_t savedMode_ = 0;
};

TEST_F(NetRaceTest, ARemoteCopyFollowsThePlayerRoundTheCourse) {
  OpenTrackArchive(kelvdata::CourseMembers());
  Track track;
  ASSERT_TRUE(track.Load(kelvdata::COURSE_TRACK));
  g_FrameTime = 0.016f;
  g_GameMode = GAME_MODE_MULTIPLAYER;
  crt::srand(3);
  const Vector3 d = track.sections[10].direction;
  float heading = std::acos(d.z);
  if (d.x < 0.0f) heading = 6.2831855f - heading;
  const TrackNode& n = track.nodes[10];
  auto place = [&](Rider& r) {
    kelvtest::MakePhysicsOnly(r);
    r.SetTrack(&track);
    r.Reset();
    r.state = RIDER_RACING;
    r.physics.sectionHint = 10;
    r.Place(n.centre.x, n.groundHeight + 0.6f, n.centre.z, heading);
  };
  PlayerRider player;
  player.controls = kTestControls;
  place(player);
  AiRider remote;
  remote.index = 1;
  place(remote);

  int records = 0;
  float worst = 0.0f;
  for (int f = 0; f < 30 * 1000 / 16; ++f) {
    const TrackNode& ahead = track.nodes[(player.physics.sectionHint + 2) % track.sectionCount];
    const Vector3 to = ahead.centre - player.physics.position;
    const float side = to.x * player.physics.axes[0][0] + to.z * player.physics.axes[0][2];
    g_Throttle = 0.6f;
    g_Steer = std::fmax(-0.4f, std::fmin(0.4f, side * 0.2f));
    net_.UpdateTimers(g_FrameTime);
    const std::size_t before = net_.sent.size();
    player.Update(16, RIDER_RACING);
    if (net_.sent.size() != before) {
      NetRiderRecord record = net_.sent.back().second;
      record[4] = 1;  // what the host counts for one fresh state
      remote.ApplyNetState(record);
      ++records;
      const float allowed = 2.0f * net_.period * std::fmax(std::sqrt(LengthSquared(player.physics.velocity)), 1.0f);
      const float gap = Distance(remote.physics.position, player.physics.position);
      worst = std::fmax(worst, gap / allowed);
      ASSERT_LE(gap, allowed) << "record " << records << " player " << player.physics.position.x << " "
                              << player.physics.position.y << " " << player.physics.position.z << " remote "
                              << remote.physics.position.x << " " << remote.physics.position.y << " "
                              << remote.physics.position.z << " sent " << DecodeRiderState(record).position.x << " "
                              << DecodeRiderState(record).position.z;
    }
    remote.UpdateRemote(RIDER_RACING);
    ASSERT_TRUE(Finite(remote.physics.position) && Finite(remote.physics.angularVelocity)) << f;
  }
  EXPECT_GE(records, 149);
  EXPECT_GT(player.raceDistance, 150.0f);
  RecordProperty("worst_gap_share", std::to_string(worst));
}

}  // namespace
