// The player's six actions read from the keyboard or the joystick, and the
// control values made of them each frame: the aids, the standstill hold,
// the steering model and the manual gear requests.
#include <cstring>

#include "engine/input_devices.h"
#include "engine/scene/scene.h"
#include "riders/player_rider.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

std::uint8_t g_BrakingAid = 0;
std::uint8_t g_LandingAid = 0;
std::uint8_t g_KeyboardState[256] = {};
std::uint8_t g_JoystickState[80] = {};

namespace {

constexpr float kFullLock = 0.6981317f;  // 40 degrees

float KeyDown(ControlBinding action) {
  // A bound offset outside the 256 keys reads as released.
  const std::uint32_t offset = g_BoundControls[action].offset;
  if (offset >= sizeof g_KeyboardState) return 0.0f;
  return (g_KeyboardState[offset] & 0x80) ? 1.0f : 0.0f;
}

// Whether `width` bytes at `offset` lie inside the joystick record.
bool InRecord(std::uint32_t offset, std::uint32_t width) {
  return offset <= sizeof g_JoystickState && width <= sizeof g_JoystickState - offset;
}

// `negative`: the action reads the axis below its centre. `hat`: the hat
// value that means the action.
float JoystickAction(ControlBinding action, bool negative, std::uint32_t hat) {
  const InputObjectInfo& bound = g_BoundControls[action];
  switch (bound.kind) {
    case INPUT_OBJECT_AXIS: {
      if (!InRecord(bound.offset, 4)) return 0.0f;
      std::int32_t v = 0;
      std::memcpy(&v, g_JoystickState + bound.offset, sizeof v);
      if (negative) return v < 0 ? static_cast<float>(-static_cast<std::int64_t>(v)) * 0.0001f : 0.0f;
      return v > 0 ? static_cast<float>(v) * 0.0001f : 0.0f;
    }
    case INPUT_OBJECT_BUTTON:
      if (!InRecord(bound.offset, 1)) return 0.0f;
      return (g_JoystickState[bound.offset] & 0x80) ? 1.0f : 0.0f;
    case INPUT_OBJECT_POV: {
      if (!InRecord(bound.offset, 4)) return 0.0f;
      std::uint32_t v = 0;
      std::memcpy(&v, g_JoystickState + bound.offset, sizeof v);
      return v == hat ? 1.0f : 0.0f;
    }
    default:
      return 0.0f;
  }
}

float Cube(float v) { return v * v * v; }

float SignOf(float v) { return v < 0.0f ? -1.0f : 1.0f; }

// The handlebar's speed factor: less lock the faster the bike goes.
float LockFactor(float v) {
  if (v <= 11.111112f) return 1.0f - v * 0.017999997f;
  if (v <= 16.666668f) return 0.8f - (v - 11.111112f) * 0.07199999f;
  if (v <= 33.333336f) return 0.4f - (v - 16.666668f) * 0.011999999f;
  return 0.2f - (v - 33.333336f) * 0.0072f;
}

}  // namespace

void PollKeyboard() {
  if (g_InputDevice == nullptr) return;
  if (g_InputDevice->GetDeviceState(sizeof g_KeyboardState, g_KeyboardState) == DIERR_INPUTLOST) {
    g_InputDevice->Acquire();
  }
}

float KeyboardAccel() { return KeyDown(CONTROL_ACCELERATE); }
float KeyboardBrake() { return KeyDown(CONTROL_BRAKE); }
float KeyboardLeft() { return KeyDown(CONTROL_LEFT); }
float KeyboardRight() { return KeyDown(CONTROL_RIGHT); }
float KeyboardGearUp() { return KeyDown(CONTROL_GEAR_UP); }
float KeyboardGearDown() { return KeyDown(CONTROL_GEAR_DOWN); }

void PollJoystick() {
  if (g_InputDevice == nullptr) return;
  if (g_InputDevice->Poll() == DIERR_INPUTLOST) g_InputDevice->Acquire();
  if (g_InputDevice->GetDeviceState(sizeof g_JoystickState, g_JoystickState) == DIERR_INPUTLOST) {
    g_InputDevice->Acquire();
  }
}

float JoystickAccel() { return JoystickAction(CONTROL_ACCELERATE, true, 0); }
float JoystickBrake() { return JoystickAction(CONTROL_BRAKE, false, 18000); }
float JoystickLeft() { return JoystickAction(CONTROL_LEFT, true, 27000); }
float JoystickRight() { return JoystickAction(CONTROL_RIGHT, false, 9000); }
float JoystickGearUp() { return JoystickAction(CONTROL_GEAR_UP, true, 0); }
float JoystickGearDown() { return JoystickAction(CONTROL_GEAR_DOWN, false, 18000); }

const ControlCallbacks g_KeyboardCallbacks = {PollKeyboard,  KeyboardAccel,  KeyboardBrake,   KeyboardLeft,
                                              KeyboardRight, KeyboardGearUp, KeyboardGearDown};
const ControlCallbacks g_JoystickCallbacks = {PollJoystick,  JoystickAccel,  JoystickBrake,   JoystickLeft,
                                              JoystickRight, JoystickGearUp, JoystickGearDown};

void PlayerRider::ComputeControls() {
  RiderPhysics& p = physics;
  const float dt = g_FrameTime;
  if (!replayDriven) controls.poll();
  auto steerInput = [&] {
    const float right = controls.right();
    return Cube(right != 0.0f ? right : -controls.left());
  };

  if (state == RIDER_WAITING) {
    p.throttle = controls.accelerate();
    p.brake = 0.0f;
    p.shiftInput = 0.0f;
    p.steer = steerInput();
    return;
  }

  if (p.crashed) {
    p.throttle = p.brake = p.steer = p.shiftInput = 0.0f;
    const float target = p.lean > 0.0f ? kFullLock : -kFullLock;
    float step = (target - p.handlebarAngle) * dt;
    if (p.contactCount == 3) step *= 3.0f;
    p.handlebarAngle = p.handlebarAngle + step;
    return;
  }

  const bool racing = !(timeSinceFinish > 0.0f) || out;
  if (racing) {
    if (replayDriven) {
      const float v = replayControls[0];
      if (v > 0.0f) {
        p.throttle = v;
        p.brake = 0.0f;
      } else {
        p.brake = -v;
        p.throttle = 0.0f;
      }
      p.steer = replayControls[1];
    } else {
      p.throttle = controls.accelerate();
      p.brake = controls.brake();
      if (p.brake != 0.0f) p.throttle = 0.0f;
      const bool frontDown = p.frontWheel.world.y - p.frontWheel.groundHeight <= 0.5f;
      const bool rearDown = p.rearWheel.world.y - p.rearWheel.groundHeight <= 0.5f;
      if (g_BrakingAid && p.forwardSpeed >= targetSpeed && frontDown && rearDown) {
        p.throttle = 0.0f;
        if (p.forwardSpeed - targetSpeed > 5.555556f) p.brake = Clamp01((p.forwardSpeed - targetSpeed) * 0.036f);
      }
      if (g_LandingAid && !frontDown && !rearDown) {
        const TrackSurface s = Surface(*this, p.position, p.sectionHint, p.triangleHint, p.onTrack != 0);
        const float d = Dot(Normal(s), Row(p.axes, 2));
        if (d < 0.0f) {
          p.brake = 0.0f;
          p.throttle = Clamp01(-2.0f * d);
        } else {
          p.throttle = 0.0f;
          p.brake = Clamp01(2.0f * d);
        }
      }
      if (std::fabs(p.throttle) < 0.1f && std::fabs(p.brake) < 0.1f && std::fabs(p.forwardSpeed) < 1.388889f) {
        p.throttle = 0.0f;
        p.brake = 1.0f;
      }
      p.steer = steerInput();
    }
  } else {
    p.throttle = 0.0f;
    p.brake = 0.7f;
    p.shiftInput = 0.0f;
    if (racePosition < 4) {
      p.steer = 0.0f;
      p.handlebarAngle = p.handlebarAngle - p.handlebarAngle * dt * 3.0f;
      return;
    }
    p.steer = replayDriven ? replayControls[1] : steerInput();
  }

  const float lock = std::fmin(std::fabs(LockFactor(p.forwardSpeed) * p.steer * kFullLock), kFullLock);
  if (lock >= 0.0017453292f) {
    p.handlebarAngle = Clamp(p.handlebarAngle + SignOf(p.steer) * dt * 1.5707964f, -lock, lock);
  } else if (std::fabs(p.handlebarAngle) >= 0.034906585f) {
    p.handlebarAngle = p.handlebarAngle - SignOf(p.handlebarAngle) * dt * 1.5707964f;
  } else {
    p.handlebarAngle = p.handlebarAngle - dt * p.handlebarAngle * 5.0f;
  }

  if (racing && g_OptionManualShift) {
    p.previousShiftInput = p.shiftInput;
    if (replayDriven) {
      p.shiftInput = replayControls[2];
    } else if (!p.clutchIn) {
      p.shiftInput = (controls.gearUp() != 0.0f || controls.gearDown() != 0.0f) ? 2.0f : 0.0f;
    } else {
      const float up = controls.gearUp();
      p.shiftInput = up != 0.0f ? up : -controls.gearDown();
    }
  }
}
