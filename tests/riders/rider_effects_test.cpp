// When a rider restarts the members of its dust, smoke and dirt rings.
#include <gtest/gtest.h>

#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "riders/rider.h"

namespace {

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderEffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_FrameTime;
    g_FrameTime = 0.02f;
    crt::srand(5);
    RiderPhysics& p = rider_.physics;
    p.axes[0][0] = p.axes[1][1] = p.axes[2][2] = 1.0f;
    p.wheelRadius = 0.35f;
  }
  void TearDown() override {
    g_FrameTime = saved_;
    g_ConditionEngine[0] = 1.0f;
  }

  TestRider rider_;

 private:
  float saved_ = 0.0f;
};

TEST_F(RiderEffectsTest, ThrottleDustNeedsAGearAndNoClutch) {
  struct Case {
    std::int16_t gear;
    std::uint8_t clutch;
    std::uint16_t puffs;
  };
  const Case cases[] = {{0, 0, 0}, {1, 1, 0}, {1, 0, 1}};
  for (const Case& c : cases) {
    TestRider rider;
    rider.physics.throttle = 1.0f;
    rider.physics.gear = c.gear;
    rider.physics.clutchIn = c.clutch;
    rider.EmitGroundDust();
    EXPECT_EQ(rider.ringNext[0], c.puffs) << c.gear << " " << int{c.clutch};
  }
}

TEST_F(RiderEffectsTest, ACrashOverEveryThresholdRestartsFourPuffs) {
  RiderPhysics& p = rider_.physics;
  p.crashed = 1;
  p.rearLoad = p.frontLoad = p.chassisLoad = 21.0f / 0.02f;
  p.crashBodyLoad = 6.0f / 0.02f;
  rider_.EmitGroundDust();
  EXPECT_EQ(rider_.ringNext[0], 4);
  EXPECT_FLOAT_EQ(rider_.groundDust[3].lifetime, 2.0f);
  EXPECT_EQ(rider_.groundDust[3].age, 0.0f);
}

TEST_F(RiderEffectsTest, ExhaustFiresFivePuffsOnAboutTwoFramesInFive) {
  rider_.physics.throttle = 1.0f;
  rider_.physics.chassisPoint.velocity = Vector3(0.0f, 0.0f, 10.0f);
  rider_.physics.forwardSpeed = 10.0f;
  int fired = 0;
  for (int frame = 0; frame < 1000; ++frame) {
    const std::uint16_t before = rider_.ringNext[2];
    rider_.EmitExhaustSmoke();
    if (rider_.ringNext[2] != before) {
      ++fired;
      EXPECT_EQ((rider_.ringNext[2] + 20 - before) % 20, 5);
    }
  }
  EXPECT_NEAR(fired, 400, 60);
  // Spaced 0.1 apart along the chassis velocity, from the exhaust point.
  EXPECT_FLOAT_EQ(rider_.exhaustSmoke[0].matrix.m[14], -0.8f);
  EXPECT_FLOAT_EQ(rider_.exhaustSmoke[1].matrix.m[14], -0.7f);
  EXPECT_FLOAT_EQ(rider_.exhaustSmoke[0].lifetime, 0.2f);
}

TEST_F(RiderEffectsTest, EngineSmokeOnlyBelowHalfCondition) {
  g_ConditionEngine[0] = 0.6f;
  for (int i = 0; i < 200; ++i) rider_.EmitEngineSmoke();
  EXPECT_EQ(rider_.ringNext[1], 0);
  // At 0.4 about 28 % of the frames smoke while the ring has old puffs.
  g_ConditionEngine[0] = 0.4f;
  for (int i = 0; i < 100; ++i) rider_.EmitEngineSmoke();
  EXPECT_GT(rider_.ringNext[1], 14);
  EXPECT_LT(rider_.ringNext[1], 42);
}

TEST_F(RiderEffectsTest, DirtBySlideRainAndBrake) {
  struct Case {
    std::uint16_t weather;
    float brake;
    std::uint16_t clods;
  };
  // The wheel spins 3 m/s faster than the ground: s = 1, so 2 clods at
  // dt = 0.02.
  const Case cases[] = {{0, 0.0f, 2}, {1, 0.0f, 4}, {0, 0.5f, 0}};
  for (const Case& c : cases) {
    TestRider rider;
    rider.physics.axes[0][0] = rider.physics.axes[1][1] = rider.physics.axes[2][2] = 1.0f;
    rider.physics.wheelRadius = 0.5f;
    rider.physics.rearWheel.spinRate = 26.0f;
    rider.physics.forwardSpeed = 10.0f;  // 0.5 x 26 = 13 m/s at the tyre: 3 faster
    rider.weather = c.weather;
    rider.physics.brake = c.brake;
    rider.EmitDirt();
    EXPECT_EQ(rider.ringNext[3], c.clods) << c.weather << " " << c.brake;
  }
}

TEST_F(RiderEffectsTest, RingsWrapToTheirFirstMember) {
  rider_.ringNext[3] = 199;
  rider_.physics.rearWheel.spinRate = 100.0f;
  rider_.EmitDirt();
  EXPECT_LT(rider_.ringNext[3], 199);
}

}  // namespace
