// The race camera: the eye through which the 3D world is drawn and heard.
// The geometry pipeline combines its view and projection matrices; the race
// and the front end place and aim it. Placement by camera mode, the reset at
// the start of a race and the border push belong to the world module.
#pragma once

#include <cstdint>

#include "engine/maths.h"

class Track;

// The race's camera mode number.
enum CameraMode : std::uint32_t {
  CAMERA_HELMET = 0,
  CAMERA_NEAR = 1,
  CAMERA_FAR = 2,
  CAMERA_MEDIUM = 3,
  CAMERA_TV = 4,
  CAMERA_SCRIPTED = 5,  // no placement: the race moves the camera itself
  CAMERA_LOW = 6,
  CAMERA_BIKE = 7,
  CAMERA_FIXED = 8,
};

// What the followed rider hands the camera each frame.
struct RiderCameraData {
  Matrix4 matrix;  // rows: side, up, forward axes and the position
  float heading;
  float pitch;
  float groundHeight;
  std::uint16_t sectionHint;
  std::uint16_t triangleHint;
  std::uint8_t crashed;
  std::uint8_t onTrack;  // on the section ground
  Vector3 head;          // where the helmet camera looks from
};

// The input of most placements: a target the race chooses per mode.
struct CameraInput {
  Vector3 target;
  RiderCameraData rider;
  std::uint32_t lookBack;  // the player holds the look-back key
};

// A trackside camera of the race.
struct TvCamera {
  Vector3 position;
  // The track nodes it covers; first >= last wraps over the start line.
  std::uint32_t firstNode;
  std::uint32_t lastNode;
  std::uint16_t sectionHint;
  std::uint16_t triangleHint;
  float fieldOfView;  // radians
  float zoomSize;     // kind 1: the size kept in view
  std::uint32_t kind;  // 0 fixed, 1 zooming, 2 sliding, 3 rising (along its section)
};

class Camera {
 public:
  Camera();

  // Half the horizontal opening angle, in radians; rebuilds the projection.
  void SetFov(float fieldOfView);
  // Aims from the position at `target`. A target at the position keeps the
  // previous view rather than dividing by zero.
  void LookAt(const Vector3& target);
  // Places the camera at the start of a race, 5 m above node 10 of the
  // track (defined by the world module; nothing without a track).
  void Reset();
  // Pushes the position back inside the current section's side boundaries;
  // true when it had to (the world module; false without a track).
  bool KeepInsideBorders();

  // Placements by camera mode, one per frame with g_FrameTime (the world
  // module). The race aims the camera afterwards.
  void UpdateHelmet(CameraInput in);
  void UpdateNear(CameraInput in);
  void UpdateFar(CameraInput in);
  void UpdateMedium(CameraInput in);
  void UpdateTv(RiderCameraData rider, const TvCamera* tv);
  void UpdateLow(CameraInput in);
  void UpdateBike(CameraInput in);
  void UpdateFixed(Vector3 point);
  // The loose flight about a rider off the ground (or crashed, in mode 0).
  void FlyLoose(CameraInput in);

  float farPlane = 500.0f;
  float nearPlane = 0.1f;
  float fieldOfView = 0.6981317f;
  // Elements [0][0], [1][1], [2][2], [2][3] and [3][2] are the projection
  // factors; every other element is 0.
  Matrix4 projection;
  // Columns 0..2: the right, up and forward axes; row 3 the translation.
  Matrix4 view;
  Track* track = nullptr;
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 position = Vector3(0.0f, 0.5f, 0.0f);
  Vector3 viewDirection = Vector3(0.0f, 0.0f, 0.0f);
  float distanceRate = 0.0f;
  std::uint16_t sectionHint = 10;
  std::uint16_t triangleHint = 6;
  std::uint8_t crashed = 0;
  float groundHeight = 0.0f;
  std::uint8_t snap = 0;
  // Look-back angles of modes 0 to 3 (0..pi), kept for the whole run.
  float lookBackAngle[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

extern Camera g_Camera;
