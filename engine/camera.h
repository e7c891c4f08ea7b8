// The race camera: the eye through which the 3D world is drawn and heard.
// The geometry pipeline combines its view and projection matrices; the race
// and the front end place and aim it. Placement by camera mode, the reset at
// the start of a race and the border push belong to the world module.
#pragma once

#include <cstdint>

#include "engine/maths.h"

class Track;

class Camera {
 public:
  Camera();

  // Half the horizontal opening angle, in radians; rebuilds the projection.
  void SetFov(float fieldOfView);
  // Aims from the position at `target`, which must differ from it.
  void LookAt(const Vector3& target);
  // Places the camera at the start of a race, 5 m above node 10 of the
  // track (defined by the world module; nothing without a track).
  void Reset();

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
};

extern Camera g_Camera;
