// The physical state of a rider-and-bike, declared here as one plain block
// that the physics fills in and that drawing, pose, sound, effects and HUD
// read.
#pragma once

#include <cstdint>

#include "engine/game_settings.h"
#include "engine/maths.h"
#include "world/track_section.h"

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

  // Engine and gearbox.
  float traction = 1.0f;
  float gearboxChaos = 0.5f;

  // Suspension: rest offsets, spring velocities and travels, front first;
  // the start copy of those six; the fork axis; the bump sequence.
  float frontRest = 0.0f;
  float rearRest = 0.0f;
  float frontSuspensionVelocity = 0.0f;
  float rearSuspensionVelocity = 0.0f;
  float frontTravel = 0.0f;
  float rearTravel = 0.0f;
  float startSuspension[6] = {};
  Vector3 forkAxis = Vector3(0.0f, 1.0f, 0.0f);
  float bumpChaos = 0.5f;
  float startRevs = 0.0f;

  // Ground forces: border impulses, grips, the last bounce factor and the
  // seconds of continuous border contact.
  float chassisBorderImpulse = 0.0f;
  float frontBorderImpulse = 0.0f;
  float rearBorderImpulse = 0.0f;
  float rearGrip = 1.0f;
  float frontGrip = 1.0f;
  float restitution = 0.0f;
  float borderTime = 0.0f;

  // The crash body (the fallen rider's own rigid body); its position,
  // velocity and impact are crashBodyPoint, crashBodyVelocity and
  // crashBodyLoad above.
  float crashBodyGround = 0.0f;
  std::uint16_t crashBodySection = 0;
  std::uint16_t crashBodyTriangle = 6;
  Vector3 crashBodyAngularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  Quaternion crashBodyOrientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  float crashBodyAxes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  float crashBodyMass = 70.0f;
  Matrix4 crashBodyMatrix = g_IdentityMatrix;
  Vector3 crashBodyBase = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 crashBodyNormal = Vector3(0.0f, 1.0f, 0.0f);
  std::uint8_t justRecovered = 0;
  float bodyClearance = 0.4f;
  std::uint32_t lyingSide = 0;  // 0 in the air, 1..4 the side it lies on
  float bodyChaos = 0.5f;

  // Ground queries made (getheight and GetSurface), for diagnostics.
  std::uint32_t groundQueries = 0;
};

// The lean limit of the steering target at rear-contact speed u (m/s).
float LeanLimitForSpeed(float u);
// Fills one skill class's row of gearSpin (top rear-wheel spin of gears
// 0..6) from set-up values 0 and 9.
void FillGearSpin(float row[7], float s0, float s9, int skillClass, float wheelRadius);

// The per-node joint tables of the fallen rider's skeleton, as indexes into
// Rider::jointTables.
enum JointTable : int {
  JOINT_ANGLE1 = 0,
  JOINT_ANGLE2 = 1,
  JOINT_RATE1 = 2,
  JOINT_RATE2 = 3,
  JOINT_LOW1 = 4,
  JOINT_HIGH1 = 5,
  JOINT_LOW2 = 6,
  JOINT_HIGH2 = 7,
};

// What the base update derives for the shadow: the ground frame under the
// bike, its anchors and the ground under the body.
struct RiderGroundFrame {
  Vector3 right = Vector3(1.0f, 0.0f, 0.0f);  // N x forward
  Vector3 normal = Vector3(0.0f, 1.0f, 0.0f);
  Vector3 forward = Vector3(0.0f, 0.0f, 1.0f);
  Vector3 anchors[2] = {};  // front and rear tyre contacts
  TrackSurface surface;
  float upY = 1.0f;     // |up axis y|
  float axes01 = 0.0f;  // axes element (0,1)
  std::uint16_t chassisSection = 0;
  std::uint16_t chassisTriangle = 0;
  float chassisGround = 0.0f;
  std::uint8_t riding = 1;  // not crashed
  TrackSurface bodySurface;
  float bodyHeight = 0.0f;
  std::uint16_t bodySection = 0;
  std::uint16_t bodyTriangle = 0;
  std::uint8_t partlyAirborne = 0;  // fewer than three points touch
  std::uint8_t second = 1;
};
