// The physical state of a rider-and-bike, declared here as one plain block
// that the physics fills in and that drawing, pose, sound, effects and HUD
// read.
#pragma once

#include <cstdint>

#include "engine/maths.h"

// One of a rider's three ground contact points.
struct ContactPoint {
  Vector3 local = Vector3(0.0f, 0.0f, 0.0f);  // body axes, relative to the position
  Vector3 world = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  float mass[3] = {};  // per skill class
  std::uint16_t sectionHint = 0;
  std::uint16_t triangleHint = 0;
  float groundHeight = 0.0f;
};

struct WheelContact : ContactPoint {
  float spinRate = 0.0f;   // rad/s
  float spinAngle = 0.0f;  // rad
};

// The bike's condition per rider slot: 1.0 new, 0 broken.
extern float g_ConditionSuspension[20];
extern float g_ConditionWheels[20];
extern float g_ConditionEngine[20];
extern float g_ConditionBrakes[20];
extern float g_ConditionGearbox[20];

struct RiderPhysics {
  std::uint8_t onTrack = 0;
  std::uint8_t crashOnTrack = 0;
  Vector3 position = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  float totalMass[3] = {};
  float inertia[3] = {};
  std::uint16_t sectionHint = 0;
  std::uint16_t stuckSection = 0;
  std::uint16_t triangleHint = 0;
  ContactPoint chassisPoint;
  WheelContact frontWheel;
  WheelContact rearWheel;
  float lean = 0.0f;  // rad
  float forwardSpeed = 0.0f;  // m/s, signed
  float leanRate = 0.0f;
  std::uint8_t contactCount = 0;
  float wheelRadius = 0.0f;
  Vector3 chassisCollision = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 frontCollision = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 rearCollision = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 externalForce = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 angularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  float wheelSpinDelta = 0.0f;
  Quaternion orientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  float axes[3][3] = {};  // rows: right, up, forward
  Vector3 accelHistory[3] = {};  // sample 0 newest
  Vector3 angularAccelHistory[3] = {};
  Vector3 rotationHistory[3] = {};
  Vector3 velocityHistory[3] = {};
  float frameTimes[2] = {};
  std::uint8_t crashed = 0;
  float crashTime = 0.0f;
  float stuckTime = 0.0f;
  float throttle = 0.0f;  // 0..1
  float brake = 0.0f;     // 0..1
  float steer = 0.0f;     // -1..1
  float shiftInput = 0.0f;
  float previousShiftInput = 0.0f;
  std::uint8_t clutchIn = 0;
  std::int16_t gear = 0;  // 0 neutral, 1..6
  float gearSpin[3][7] = {};
  float maxRevs = 0.0f;
  float revs = 0.0f;  // rad/s
  float driveForce = 0.0f;
  float engineFactor = 0.0f;
  // Loads of the ground step, N, and the crash body's point, velocity and
  // load.
  float frontLoad = 0.0f;
  float rearLoad = 0.0f;
  float chassisLoad = 0.0f;
  Vector3 crashBodyPoint = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 crashBodyVelocity = Vector3(0.0f, 0.0f, 0.0f);
  float crashBodyLoad = 0.0f;
  float handlebarAngle = 0.0f;  // rad, positive to the right, at most 0.6981317 either way
};
