// The player's rider: its controls from the keyboard and the joystick, the
// aids and the steering model, the gear requests, the tyre marks, the
// missile and the force feedback.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "riders/player_rider.h"
#include "riders/rider_hud.h"
#include "tests/riders/physics_fixture.h"
#include "tests/riders/player_doubles.h"

namespace {

using kelvtest::FakeEffect;
using kelvtest::FakeInputDevice;

// What the test's control callbacks report.
struct Pressed {
  float accelerate = 0.0f;
  float brake = 0.0f;
  float left = 0.0f;
  float right = 0.0f;
  float gearUp = 0.0f;
  float gearDown = 0.0f;
  int polls = 0;
};
Pressed g_Pressed;

const ControlCallbacks kTestControls = {
    [] { ++g_Pressed.polls; },         [] { return g_Pressed.accelerate; }, [] { return g_Pressed.brake; },
    [] { return g_Pressed.left; },     [] { return g_Pressed.right; },      [] { return g_Pressed.gearUp; },
    [] { return g_Pressed.gearDown; },
};

class PlayerRiderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kelvtest::ResetPhysicsGlobals();
    saved_.frameTime = g_FrameTime;
    saved_.device = g_InputDevice;
    std::memcpy(saved_.bound, g_BoundControls, sizeof saved_.bound);
    g_FrameTime = 0.02f;
    g_Pressed = Pressed{};
    g_RaceType = 0;
  }
  void TearDown() override {
    g_FrameTime = saved_.frameTime;
    g_InputDevice = saved_.device;
    std::memcpy(g_BoundControls, saved_.bound, sizeof saved_.bound);
    for (IDirectInputEffect*& e : g_ForceEffects) e = nullptr;
    g_JoystickInput = g_ForceFeedback = 0;
    g_OptionFFEnable = 1;
    g_BrakingAid = g_LandingAid = 0;
    g_MissileMode = 0;
    g_RiderRace = nullptr;
    std::memset(g_KeyboardState, 0, sizeof g_KeyboardState);
    std::memset(g_JoystickState, 0, sizeof g_JoystickState);
    kelvtest::ResetPhysicsGlobals();
  }

  // A player racing upright along +z on the ground at `speed`, its controls
  // the test's.
  std::unique_ptr<PlayerRider> Racer(float speed = 10.0f) {
    auto r = std::make_unique<PlayerRider>();
    r->controls = kTestControls;
    r->state = RIDER_RACING;
    RiderPhysics& p = r->physics;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) p.axes[i][j] = i == j ? 1.0f : 0.0f;
    p.forwardSpeed = speed;
    p.velocity = Vector3(0.0f, 0.0f, speed);
    p.position = Vector3(0.0f, 0.5f, 10.0f);
    p.frontWheel.world = Vector3(0.0f, 0.0f, 10.7f);
    p.rearWheel.world = Vector3(0.0f, 0.0f, 9.3f);
    p.frontWheel.velocity = p.rearWheel.velocity = p.velocity;
    return r;
  }

  void BindJoystick(ControlBinding action, InputObjectKind kind, std::uint32_t offset) {
    g_BoundControls[action].kind = kind;
    g_BoundControls[action].offset = offset;
  }

  struct Saved {
    float frameTime;
    IDirectInputDevice2A* device;
    InputObjectInfo bound[CONTROL_BINDING_COUNT];
  } saved_{};
};

TEST_F(PlayerRiderTest, AccelerateWithBrakeBrakesOnly) {
  auto r = Racer();
  g_Pressed.accelerate = 1.0f;
  g_Pressed.brake = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.throttle, 0.0f);
  EXPECT_EQ(r->physics.brake, 1.0f);
  EXPECT_EQ(g_Pressed.polls, 1);
  g_Pressed.brake = 0.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.throttle, 1.0f);
}

TEST_F(PlayerRiderTest, KeyboardKeysReadBitSevenOfTheirByte) {
  FakeInputDevice device;
  device.state.assign(256, 0);
  device.state[DIK_A] = 0x80;
  device.state[DIK_LEFT] = 0x7F;  // not bit 7
  g_InputDevice = &device;
  BindJoystick(CONTROL_ACCELERATE, INPUT_OBJECT_KEY, DIK_A);
  BindJoystick(CONTROL_LEFT, INPUT_OBJECT_KEY, DIK_LEFT);
  // A bound offset past the 256 keys reads as released.
  BindJoystick(CONTROL_BRAKE, INPUT_OBJECT_KEY, 256);
  PollKeyboard();
  EXPECT_EQ(KeyboardAccel(), 1.0f);
  EXPECT_EQ(KeyboardLeft(), 0.0f);
  EXPECT_EQ(KeyboardBrake(), 0.0f);

  // A lost keyboard is acquired again and the buffer kept.
  device.lost = true;
  device.state[DIK_A] = 0;
  PollKeyboard();
  EXPECT_EQ(device.acquires, 1);
  EXPECT_EQ(KeyboardAccel(), 1.0f);
}

TEST_F(PlayerRiderTest, JoystickObjectsReadByKind) {
  FakeInputDevice device;
  DIJOYSTATE js{};
  js.lX = 5000;
  js.lY = -2500;
  js.rgdwPOV[0] = 0xFFFFFFFFu;  // centred
  js.rgdwPOV[1] = 9000;
  js.rgbButtons[3] = 0x80;
  device.state.resize(sizeof js);
  std::memcpy(device.state.data(), &js, sizeof js);
  g_InputDevice = &device;
  PollJoystick();

  struct Case {
    const char* name;
    ControlBinding action;
    InputObjectKind kind;
    std::uint32_t offset;
    float (*read)();
    float expected;
  };
  const Case cases[] = {
      {"X right", CONTROL_RIGHT, INPUT_OBJECT_AXIS, DIJOFS_X, JoystickRight, 0.5f},
      {"X left", CONTROL_LEFT, INPUT_OBJECT_AXIS, DIJOFS_X, JoystickLeft, 0.0f},
      {"Y forward", CONTROL_ACCELERATE, INPUT_OBJECT_AXIS, DIJOFS_Y, JoystickAccel, 0.25f},
      {"Y back", CONTROL_BRAKE, INPUT_OBJECT_AXIS, DIJOFS_Y, JoystickBrake, 0.0f},
      {"button down", CONTROL_GEAR_UP, INPUT_OBJECT_BUTTON, DIJOFS_BUTTON(3), JoystickGearUp, 1.0f},
      {"button up", CONTROL_GEAR_DOWN, INPUT_OBJECT_BUTTON, DIJOFS_BUTTON(2), JoystickGearDown, 0.0f},
      {"centred hat", CONTROL_ACCELERATE, INPUT_OBJECT_POV, DIJOFS_POV(0), JoystickAccel, 0.0f},
      {"hat right", CONTROL_RIGHT, INPUT_OBJECT_POV, DIJOFS_POV(1), JoystickRight, 1.0f},
      {"hat right as left", CONTROL_LEFT, INPUT_OBJECT_POV, DIJOFS_POV(1), JoystickLeft, 0.0f},
      {"a key", CONTROL_ACCELERATE, INPUT_OBJECT_KEY, DIJOFS_BUTTON(3), JoystickAccel, 0.0f},
      // Objects reaching past the 80-byte record.
      {"axis at 78", CONTROL_RIGHT, INPUT_OBJECT_AXIS, 78, JoystickRight, 0.0f},
      {"axis far off", CONTROL_RIGHT, INPUT_OBJECT_AXIS, 0xFFFFFFFEu, JoystickRight, 0.0f},
      {"button at 80", CONTROL_GEAR_UP, INPUT_OBJECT_BUTTON, 80, JoystickGearUp, 0.0f},
      {"hat at 77", CONTROL_ACCELERATE, INPUT_OBJECT_POV, 77, JoystickAccel, 0.0f},
  };
  for (const Case& c : cases) {
    BindJoystick(c.action, c.kind, c.offset);
    EXPECT_FLOAT_EQ(c.read(), c.expected) << c.name;
  }
}

TEST_F(PlayerRiderTest, AHalfDeflectedJoystickSteersAnEighth) {
  FakeInputDevice device;
  DIJOYSTATE js{};
  js.lX = 5000;
  device.state.resize(sizeof js);
  std::memcpy(device.state.data(), &js, sizeof js);
  g_InputDevice = &device;
  BindJoystick(CONTROL_RIGHT, INPUT_OBJECT_AXIS, DIJOFS_X);
  BindJoystick(CONTROL_LEFT, INPUT_OBJECT_AXIS, DIJOFS_X);
  g_JoystickInput = 1;
  auto r = Racer();
  r->controls = PlayerRider().controls;  // chosen by the constructor
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.steer, 0.125f);
}

TEST_F(PlayerRiderTest, TheCallbacksAreChosenWhenTheRiderIsBuilt) {
  g_JoystickInput = 0;
  PlayerRider keyboard;
  g_JoystickInput = 1;
  EXPECT_EQ(keyboard.controls.poll, &PollKeyboard);
  EXPECT_EQ(keyboard.controls.right, &KeyboardRight);
  PlayerRider joystick;
  EXPECT_EQ(joystick.controls.poll, &PollJoystick);
  EXPECT_EQ(joystick.controls.gearDown, &JoystickGearDown);
}

TEST_F(PlayerRiderTest, TheAidsAndTheStandstillHold) {
  struct Case {
    const char* name;
    bool brakingAid;
    bool landingAid;
    float speed;
    float target;
    float height;       // of both wheels above the ground
    float accelerate;
    float throttle;
    float brake;
  };
  // The course's ground tilts its normal forward: nose down gives throttle.
  const Case cases[] = {
      {"braking aid at +10 m/s", true, false, 20.0f, 10.0f, 0.0f, 1.0f, 0.0f, 0.36f},
      {"braking aid within 20 km/h", true, false, 15.0f, 10.0f, 0.0f, 1.0f, 0.0f, 0.0f},
      {"braking aid below target", true, false, 9.0f, 10.0f, 0.0f, 1.0f, 1.0f, 0.0f},
      {"braking aid airborne", true, false, 20.0f, 10.0f, 1.0f, 1.0f, 1.0f, 0.0f},
      {"no aid", false, false, 20.0f, 10.0f, 0.0f, 1.0f, 1.0f, 0.0f},
      {"landing aid nose level", false, true, 20.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f},
      {"standstill hold", false, false, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f},
      {"throttle releases the hold", false, false, 1.0f, 0.0f, 0.0f, 0.1f, 0.1f, 0.0f},
  };
  for (const Case& c : cases) {
    auto r = Racer(c.speed);
    g_BrakingAid = c.brakingAid;
    g_LandingAid = c.landingAid;
    r->targetSpeed = c.target;
    r->physics.frontWheel.world.y = r->physics.rearWheel.world.y = c.height;
    g_Pressed.accelerate = c.accelerate;
    r->ComputeControls();
    EXPECT_FLOAT_EQ(r->physics.throttle, c.throttle) << c.name;
    EXPECT_FLOAT_EQ(r->physics.brake, c.brake) << c.name;
  }
}

TEST_F(PlayerRiderTest, TheLandingAidLevelsTheBikeToTheGround) {
  auto track = kelvtest::FlatCourse(4);
  for (TrackSurface& s : track->sections[2].surfaces) {
    s.nx = 0.0f;
    s.ny = 0.8f;
    s.nz = 0.6f;  // the ground falls away ahead
  }
  auto r = Racer(20.0f);
  r->SetTrack(track.get());
  r->physics.onTrack = 1;
  r->physics.sectionHint = 2;
  r->physics.frontWheel.world.y = r->physics.rearWheel.world.y = 2.0f;
  g_LandingAid = 1;
  r->ComputeControls();
  // Level bike, forward axis . normal = 0.6: brake 1.2 clamped.
  EXPECT_EQ(r->physics.throttle, 0.0f);
  EXPECT_EQ(r->physics.brake, 1.0f);
  // Nose pointing down into a flat landing: throttle.
  r->physics.sectionHint = 0;
  r->physics.axes[2][1] = -0.2f;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.throttle, 0.4f);
  EXPECT_EQ(r->physics.brake, 0.0f);
}

TEST_F(PlayerRiderTest, SteeringIsCubedAndTheLockShrinksWithSpeed) {
  struct Case {
    float speed;
    float lockDegrees;
  };
  const Case cases[] = {{0.0f, 40.0f}, {11.111112f, 32.0f}, {16.666668f, 16.0f}, {33.333336f, 8.0f}};
  for (const Case& c : cases) {
    auto r = Racer(c.speed);
    g_Pressed.right = 1.0f;
    g_Pressed.accelerate = 1.0f;
    for (int i = 0; i < 100; ++i) r->ComputeControls();
    EXPECT_EQ(r->physics.steer, 1.0f);
    EXPECT_NEAR(r->physics.handlebarAngle * 57.29578f, c.lockDegrees, 0.01f) << c.speed;
  }
  auto r = Racer(0.0f);
  g_Pressed.right = 0.0f;
  g_Pressed.left = 0.5f;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.steer, -0.125f);
  // 90 degrees a second towards the steer, held within the lock of 5 degrees.
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, -0.02f * 1.5707964f);
  for (int i = 0; i < 4; ++i) r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, -0.6981317f * 0.125f);
  // Released: back at 90 degrees a second down to 2 degrees, then by x5 a second.
  g_Pressed.left = 0.0f;
  r->physics.handlebarAngle = 0.1f;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, 0.1f - 0.02f * 1.5707964f);
  r->physics.handlebarAngle = 0.03f;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, 0.03f - 0.02f * 0.03f * 5.0f);
}

TEST_F(PlayerRiderTest, AtTheStartOnlyThrottleAndSteerAreRead) {
  auto r = Racer(0.0f);
  r->state = RIDER_WAITING;
  r->physics.handlebarAngle = 0.2f;
  r->physics.shiftInput = 2.0f;
  g_Pressed.accelerate = 0.5f;
  g_Pressed.brake = 1.0f;
  g_Pressed.left = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.throttle, 0.5f);
  EXPECT_EQ(r->physics.brake, 0.0f);
  EXPECT_EQ(r->physics.steer, -1.0f);
  EXPECT_EQ(r->physics.shiftInput, 0.0f);
  EXPECT_EQ(r->physics.handlebarAngle, 0.2f);
}

TEST_F(PlayerRiderTest, ACrashedRiderSwingsTheBarsToTheSideOfItsLean) {
  auto r = Racer();
  r->physics.crashed = 1;
  r->physics.lean = -0.3f;
  g_Pressed.accelerate = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.throttle, 0.0f);
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, -0.6981317f * 0.02f);
  r->physics.handlebarAngle = 0.0f;
  r->physics.contactCount = 3;
  r->ComputeControls();
  EXPECT_FLOAT_EQ(r->physics.handlebarAngle, -0.6981317f * 0.02f * 3.0f);
}

TEST_F(PlayerRiderTest, AFinishedRiderInTheTopThreeRidesStraight) {
  for (std::uint8_t place : {1, 3, 4}) {
    auto r = Racer(20.0f);
    r->timeSinceFinish = 1.0f;
    r->racePosition = place;
    r->physics.handlebarAngle = 0.1f;
    g_Pressed.accelerate = 1.0f;
    g_Pressed.right = 1.0f;
    r->ComputeControls();
    EXPECT_EQ(r->physics.throttle, 0.0f) << int{place};
    EXPECT_FLOAT_EQ(r->physics.brake, 0.7f) << int{place};
    if (place < 4) {
      EXPECT_EQ(r->physics.steer, 0.0f);
      EXPECT_FLOAT_EQ(r->physics.handlebarAngle, 0.1f - 0.1f * 0.02f * 3.0f);
    } else {
      EXPECT_EQ(r->physics.steer, 1.0f);
      EXPECT_GT(r->physics.handlebarAngle, 0.1f);
    }
  }
}

TEST_F(PlayerRiderTest, AReplayDrivesThrottleBrakeSteerAndShift) {
  auto r = Racer();
  g_OptionManualShift = 1;
  r->BeginReplay();
  const float recorded[3] = {-0.25f, 0.5f, 1.0f};
  r->SetReplayControls(recorded);
  g_Pressed.accelerate = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(g_Pressed.polls, 0);
  EXPECT_EQ(r->physics.throttle, 0.0f);
  EXPECT_EQ(r->physics.brake, 0.25f);
  EXPECT_EQ(r->physics.steer, 0.5f);  // not cubed
  EXPECT_EQ(r->physics.shiftInput, r->replayControls[2]);
}

TEST_F(PlayerRiderTest, ManualShiftingTakesTwoPresses) {
  g_OptionManualShift = 1;
  auto r = Racer();
  g_Pressed.accelerate = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.shiftInput, 0.0f);
  // The first press of either gear key asks for the clutch.
  for (bool up : {true, false}) {
    r->physics.clutchIn = 0;
    g_Pressed.gearUp = up ? 1.0f : 0.0f;
    g_Pressed.gearDown = up ? 0.0f : 1.0f;
    r->ComputeControls();
    EXPECT_EQ(r->physics.shiftInput, 2.0f) << up;
  }
  // With the clutch in, the next press shifts by one.
  r->physics.clutchIn = 1;
  r->ComputeControls();
  EXPECT_EQ(r->physics.previousShiftInput, 2.0f);
  EXPECT_EQ(r->physics.shiftInput, -1.0f);
  g_Pressed.gearUp = 1.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.shiftInput, 1.0f);
  // Automatic gears: the shift input is left to the engine step.
  g_OptionManualShift = 0;
  r->physics.shiftInput = 0.0f;
  r->ComputeControls();
  EXPECT_EQ(r->physics.shiftInput, 0.0f);
}

TEST_F(PlayerRiderTest, HeldGearUpShiftsOnceThroughTheEngineStep) {
  g_OptionManualShift = 1;
  auto r = Racer(5.0f);
  r->physics.gear = 1;
  g_Pressed.accelerate = 1.0f;
  g_Pressed.gearUp = 1.0f;
  for (int i = 0; i < 10; ++i) {
    r->ComputeControls();
    r->UpdateEngine();
  }
  // The first press engaged the clutch; holding the key shifts nothing.
  EXPECT_EQ(r->physics.clutchIn, 1);
  EXPECT_EQ(r->physics.gear, 1);
  g_Pressed.gearUp = 0.0f;
  r->ComputeControls();
  r->UpdateEngine();
  g_Pressed.gearUp = 1.0f;
  r->ComputeControls();
  r->UpdateEngine();
  EXPECT_EQ(r->physics.gear, 2);
  EXPECT_EQ(r->physics.clutchIn, 0);
}

class TyreMarkTest : public PlayerRiderTest {
 protected:
  void SetUp() override {
    PlayerRiderTest::SetUp();
    track_ = kelvtest::FlatCourse(6);
  }
  std::unique_ptr<PlayerRider> Braking(float speed) {
    auto r = Racer(speed);
    r->SetTrack(track_.get());
    r->physics.onTrack = 1;
    r->physics.sectionHint = 2;
    r->physics.brake = 0.6f;
    return r;
  }
  std::unique_ptr<Track> track_;
};

TEST_F(TyreMarkTest, BrakingStraightLaysRearAndFrontMarks) {
  auto r = Braking(10.0f);
  r->LayTyreMarks();
  const TyreMark& rear = track_->ringA[track_->ringANext];
  const TyreMark& front = track_->ringB[track_->ringBNext];
  ASSERT_EQ(rear.section, 2u);
  ASSERT_EQ(front.section, 2u);
  // Half widths 0.04 - 10 x 0.000847 and 0.03 - 10 x 0.000635; the edges
  // slanted by 0.07 and 0.05 along the bike, moved on by 1/47.2 s.
  const float w = 0.04f - 10.0f * 0.0008470588f;
  EXPECT_NEAR(rear.corners[1].x - rear.corners[0].x, 2.0f * w, 1e-6f);
  EXPECT_NEAR(rear.corners[0].z, 9.3f + 10.0f * 0.021176468f - 0.07f, 1e-5f);
  EXPECT_NEAR(rear.corners[1].z, 9.3f + 10.0f * 0.021176468f + 0.07f, 1e-5f);
  const float wf = 0.03f - 10.0f * 0.00063529407f;
  EXPECT_NEAR(front.corners[1].x - front.corners[0].x, 2.0f * wf, 1e-6f);
  EXPECT_NEAR(front.corners[0].z, 10.7f + 10.0f * 0.021176468f - 0.05f, 1e-5f);
}

TEST_F(TyreMarkTest, WhenMarksAreLaid) {
  struct Case {
    const char* name;
    float brake;
    float sideways;
    float rearHeight;
    float frontHeight;
    bool rear;
    bool front;
  };
  const Case cases[] = {
      {"rolling straight", 0.5f, 0.0f, 0.0f, 0.0f, false, false},
      {"skidding sideways", 0.0f, 2.5f, 0.0f, 0.0f, true, true},
      {"skidding the other way", 0.0f, -2.5f, 0.0f, 0.0f, true, true},
      {"front wheel in the air", 0.6f, 0.0f, 0.0f, 0.25f, true, false},
      {"front wheel just touching", 0.6f, 0.0f, 0.0f, 0.2f, true, true},
      {"rear wheel in the air", 0.6f, 0.0f, 0.15f, 0.0f, false, false},
  };
  for (const Case& c : cases) {
    track_->ResetTyreMarks();
    auto r = Braking(10.0f);
    r->physics.brake = c.brake;
    r->physics.rearWheel.velocity.x = c.sideways;
    r->physics.rearWheel.world.y = c.rearHeight;
    r->physics.frontWheel.world.y = c.frontHeight;
    r->LayTyreMarks();
    EXPECT_EQ(track_->ringA[track_->ringANext].section != TyreMark::NEVER_LAID, c.rear) << c.name;
    EXPECT_EQ(track_->ringB[track_->ringBNext].section != TyreMark::NEVER_LAID, c.front) << c.name;
  }
}

TEST_F(TyreMarkTest, At47Point2MetresASecondTheRearMarkHasNoWidth) {
  auto r = Braking(47.2f);
  r->LayTyreMarks();
  const TyreMark& rear = track_->ringA[track_->ringANext];
  ASSERT_EQ(rear.section, 2u);
  // Under a tenth of a millimetre, against 6 cm at 10 m/s.
  EXPECT_NEAR(rear.corners[0].x, rear.corners[1].x, 1e-4f);
  // Faster, the edges swap sides.
  track_->ResetTyreMarks();
  auto faster = Braking(60.0f);
  faster->LayTyreMarks();
  EXPECT_LT(track_->ringA[track_->ringANext].corners[1].x, track_->ringA[track_->ringANext].corners[0].x);
}

TEST_F(PlayerRiderTest, ASecondMissileWhileOneFliesIsIgnored) {
  kelvtest::FakeRiderRace race;
  g_RiderRace = &race;
  auto r = Racer();
  ASSERT_NE(race.last, nullptr);
  kelvtest::FakeMissile& m = *race.last;
  r->physics.chassisPoint.world = Vector3(1.0f, 2.0f, 3.0f);
  r->FireMissile();
  r->FireMissile();
  EXPECT_EQ(m.launches, 1);
  EXPECT_EQ(m.launchPoint.z, 3.0f);
  EXPECT_EQ(m.launchVelocity.z, 10.0f);
  r->DrawMissile();
  r->DrawMissileTrail();
  EXPECT_EQ(m.draws, 1);
  // Exploded; no target locked: nothing is launched, the trail still drawn.
  m.flying = false;
  m.target = g_RiderCount + 1;
  r->FireMissile();
  r->DrawMissile();
  r->DrawMissileTrail();
  EXPECT_EQ(m.launches, 1);
  EXPECT_EQ(m.draws, 1);
  EXPECT_EQ(m.trailDraws, 2);
  // The track reaches the missile only in missile mode.
  auto track = kelvtest::FlatCourse(2);
  r->SetTrack(track.get());
  EXPECT_EQ(m.track, nullptr);
  g_MissileMode = 1;
  r->SetTrack(track.get());
  EXPECT_EQ(m.track, track.get());
}

TEST_F(PlayerRiderTest, StartStateByRaceType) {
  g_RaceLengthRecord.milliseconds = 300000;
  for (std::uint8_t type : {1, 2, 3, 4}) {
    g_RaceType = type;
    PlayerRider r;
    const bool timedRun = type == 1 || type == 2;
    EXPECT_EQ(r.started, timedRun ? 0 : 1) << int{type};
    EXPECT_EQ(r.state, timedRun ? RIDER_OUT : RIDER_WAITING) << int{type};
    EXPECT_EQ(r.trackTime, 300.0f);
    EXPECT_EQ(r.entryTime, 300.0f);
  }
}

// A physics-only player racing up the middle of a flat straight.
std::unique_ptr<PlayerRider> OnStraight(Track* track) {
  auto r = std::make_unique<PlayerRider>();
  kelvtest::MakePhysicsOnly(*r);
  r->controls = kTestControls;
  r->SetTrack(track);
  r->Reset();
  r->Place(0.0f, 0.6f, 20.0f, 0.0f);
  r->physics.sectionHint = 4;
  r->state = RIDER_RACING;
  return r;
}

TEST_F(PlayerRiderTest, TheFinishRunsOnForSixSeconds) {
  auto track = kelvtest::FlatCourse(40);
  struct Case {
    const char* name;
    std::uint8_t raceType;
    std::uint32_t lap;
    bool finishing;
  };
  // Race time over, final lap 2: past it by more than 0 laps, or by more
  // than 2 in the motos.
  const Case cases[] = {{"on the final lap", 0, 2, false},
                        {"past the final lap", 0, 3, true},
                        {"moto, two past", 3, 4, false},
                        {"moto, three past", 4, 5, true}};
  for (const Case& c : cases) {
    g_RaceType = c.raceType;
    auto r = OnStraight(track.get());
    r->raceTime.totalMs = 5u * 60000u + 1u;
    r->finalLap = 2;
    r->lap = c.lap;
    r->Update(20, 2);
    EXPECT_EQ(r->timeSinceFinish, c.finishing ? 0.02f : 0.0f) << c.name;
  }
  g_RaceType = 0;
  auto r = OnStraight(track.get());
  r->out = 1;
  int frames = 0;
  while (r->state == RIDER_RACING && frames < 1000) {
    r->Update(20, 2);
    ++frames;
  }
  EXPECT_EQ(r->state, RIDER_OUT);
  EXPECT_NEAR(frames * 0.02f, 6.0f, 0.03f);
  // The race finished: it stays out; a race not yet finished takes it back.
  r->Update(20, 3);
  EXPECT_EQ(r->state, RIDER_OUT);
  r->timeSinceFinish = 2.0f;
  r->Update(20, 3);
  EXPECT_EQ(r->state, RIDER_RACING);
}

TEST_F(PlayerRiderTest, AFrameUpdatesTheMissileAndLaysMarks) {
  kelvtest::FakeRiderRace race;
  g_RiderRace = &race;
  auto track = kelvtest::FlatCourse(40);
  auto r = OnStraight(track.get());
  kelvtest::FakeMissile& m = *race.last;
  g_Pressed.brake = 1.0f;
  r->physics.velocity = Vector3(0.0f, 0.0f, 10.0f);
  for (int i = 0; i < 20; ++i) r->Update(20, 2);
  EXPECT_EQ(m.updates, 0);
  EXPECT_NE(track->ringA[track->ringANext].section, TyreMark::NEVER_LAID);
  g_MissileMode = 1;
  r->Update(20, 2);
  EXPECT_EQ(m.updates, 1);
  // Not on the grid.
  r->Update(20, 1);
  EXPECT_EQ(m.updates, 1);
  // The player keeps no stuck timer.
  EXPECT_EQ(r->physics.stuckTime, 0.0f);
}

class ForceFeedbackTest : public PlayerRiderTest {
 protected:
  void SetUp() override {
    PlayerRiderTest::SetUp();
    for (int i = 0; i < 6; ++i) g_ForceEffects[i] = &effects_[i];
    g_JoystickInput = g_ForceFeedback = 1;
    track_ = kelvtest::FlatCourse(6);
  }
  std::unique_ptr<PlayerRider> Rider() {
    auto r = Racer();
    r->SetTrack(track_.get());
    r->physics.onTrack = 1;
    for (ContactPoint* c : {&r->physics.chassisPoint, static_cast<ContactPoint*>(&r->physics.frontWheel),
                            static_cast<ContactPoint*>(&r->physics.rearWheel)}) {
      c->sectionHint = 2;
    }
    return r;
  }
  FakeEffect effects_[6];
  std::unique_ptr<Track> track_;
};

TEST_F(ForceFeedbackTest, LevelsByMagnitude) {
  struct Case {
    float m;
    int ground;
    int chassis;
  };
  const Case cases[] = {{601.0f, 5, 5}, {600.0f, 4, 5}, {450.0f, 4, 5}, {300.0f, 3, 4},  {250.0f, 2, 4},
                        {125.0f, 1, 3}, {50.0f, 0, 2},  {10.0f, -1, 1}, {8.0f, -1, 0}, {2.0f, -1, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(ForceLevel(c.m, false), c.ground) << c.m;
    EXPECT_EQ(ForceLevel(c.m, true), c.chassis) << c.m;
  }
}

TEST_F(ForceFeedbackTest, AHardLandingPlaysLevelFourEachFrame) {
  auto r = Rider();
  r->physics.frontLoad = 450.0f / g_FrameTime;
  r->UpdateForceFeedback();
  r->UpdateForceFeedback();
  EXPECT_EQ(effects_[4].starts, 2);
  EXPECT_EQ(effects_[4].lastIterations, 1u);
  EXPECT_EQ(effects_[4].lastFlags, DIEP_DIRECTION);
  EXPECT_EQ(effects_[4].lastEffectFlags, DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS);
  EXPECT_EQ(effects_[4].lastAxes, (std::vector<DWORD>{DIJOFS_X, DIJOFS_Y}));
  for (int i : {0, 1, 2, 3, 5}) EXPECT_EQ(effects_[i].starts, 0) << i;
  EXPECT_EQ(r->effectPlaying[4], 1);
}

TEST_F(ForceFeedbackTest, DirectionsAreTruncated) {
  for (TrackSurface& s : track_->sections[2].surfaces) {
    s.nx = 0.2f;
    s.ny = 0.96f;
    s.nz = 0.2f;
  }
  auto r = Rider();
  r->physics.rearLoad = 300.0f / g_FrameTime;
  r->UpdateForceFeedback();
  ASSERT_EQ(effects_[3].directions.size(), 1u);
  EXPECT_EQ(effects_[3].directions[0], (FakeEffect::Direction{0, 0}));

  // Over the right-hand border: its plane's normal points back in, -x.
  effects_[3].directions.clear();
  r->physics.rearWheel.world.x = 7.0f;
  r->UpdateForceFeedback();
  EXPECT_EQ(effects_[3].directions, (std::vector<FakeEffect::Direction>{{0, 0}, {-1, 0}}));

  // A collision from the left at 200 N s: the chassis's level 3, (1, 0).
  r->physics.rearLoad = 0.0f;
  r->physics.chassisCollision = Vector3(200.0f / g_FrameTime, 0.0f, 0.0f);
  r->UpdateForceFeedback();
  ASSERT_EQ(effects_[3].directions.size(), 3u);
  EXPECT_EQ(effects_[3].directions[2], (FakeEffect::Direction{1, 0}));
}

TEST_F(ForceFeedbackTest, GearChangeJolts) {
  struct Case {
    const char* name;
    std::int16_t from;
    std::int16_t to;
    float shiftInput;
    bool played;
    FakeEffect::Direction direction;
  };
  const Case cases[] = {
      {"automatic up", 2, 3, 0.0f, true, {0, -1}},
      {"manual 1 to 2", 1, 2, 1.0f, true, {0, 1}},
      {"manual N to 1", 0, 1, 1.0f, true, {0, -1}},
      {"manual down", 3, 2, -1.0f, true, {0, -1}},
      {"into 6th", 5, 6, 1.0f, false, {0, 0}},
  };
  for (const Case& c : cases) {
    effects_[5] = FakeEffect();
    auto r = Rider();
    r->physics.gear = c.from;
    r->physics.shiftInput = c.shiftInput;
    ASSERT_TRUE(r->ShiftGear(c.to)) << c.name;
    r->GearChangeJolt();
    EXPECT_EQ(effects_[5].starts, c.played ? 1 : 0) << c.name;
    if (c.played) {
      ASSERT_EQ(effects_[5].directions.size(), 1u) << c.name;
      EXPECT_EQ(effects_[5].directions[0], c.direction) << c.name;
      EXPECT_EQ(r->gearChanged, 0) << c.name;
    }
  }
  // Without force feedback nothing plays and the flag stays.
  effects_[5] = FakeEffect();
  g_OptionFFEnable = 0;
  auto r = Rider();
  r->physics.gear = 1;
  ASSERT_TRUE(r->ShiftGear(2));
  r->GearChangeJolt();
  EXPECT_EQ(effects_[5].starts, 0);
  EXPECT_EQ(r->gearChanged, 1);
}

TEST_F(ForceFeedbackTest, AFailingDeviceEndsOnlyThatPlay) {
  auto r = Rider();
  effects_[2].setResult = DI_NOEFFECT;  // a success code other than 0 fails too
  EXPECT_FALSE(r->PlayForceEffect(2, 0.0f, 1.0f, true));
  EXPECT_EQ(effects_[2].starts, 0);
  EXPECT_EQ(r->effectPlaying[2], 0);
  effects_[1].startResult = DIERR_INPUTLOST;
  EXPECT_FALSE(r->PlayForceEffect(1, 0.0f, 1.0f, false));
  EXPECT_TRUE(effects_[1].directions.empty());
  EXPECT_EQ(r->effectPlaying[1], 0);
  // An empty slot plays nothing and reports no failure.
  EXPECT_TRUE(r->PlayForceEffect(7, 0.0f, 1.0f, true));
  EXPECT_TRUE(r->PlayForceEffect(0, 0.0f, 1.0f, true));
}

TEST_F(ForceFeedbackTest, TheDestructorStopsOnlyThePlayedSlots) {
  {
    auto r = Rider();
    r->PlayForceEffect(1, 0.0f, 1.0f, true);
    r->PlayForceEffect(4, 0.0f, 1.0f, true);
  }
  for (int i = 0; i < 6; ++i) EXPECT_EQ(effects_[i].stops, (i == 1 || i == 4) ? 1 : 0) << i;
}

}  // namespace
