#include "engine/camera.h"

#include <cmath>

Camera g_Camera;

Camera::Camera() {
  view = g_IdentityMatrix;
  view.m[13] = -2.0f;
  SetFov(0.6981317f);
}

void Camera::SetFov(float fov) {
  fieldOfView = fov;
  for (float& e : projection.m) e = 0.0f;
  float f = 1.0f / std::tan(fov);
  projection.m[0] = f;
  projection.m[5] = f;
  projection.m[10] = farPlane / (farPlane - nearPlane);
  projection.m[11] = 1.0f;
  projection.m[14] = -farPlane * nearPlane / (farPlane - nearPlane);
}

void Camera::LookAt(const Vector3& target) {
  Vector3 d = target - position;
  const float length = std::sqrt(LengthSquared(d));
  if (!(length > 0.0f)) return;
  d = d / length;
  viewDirection = d;
  Vector3 r(0.0f, 1.0f, 0.0f);
  // Straight up or down the reference would be parallel to the view.
  if (d.y == 1.0f || d.y == -1.0f) r = Vector3(0.1f, 1.0f, 0.0f);
  Vector3 up = r - Dot(r, d) * d;
  up = up / std::sqrt(LengthSquared(up));
  Vector3 right = Cross(up, d);
  float* e = view.m;
  e[0] = right.x;
  e[1] = up.x;
  e[2] = d.x;
  e[3] = 0.0f;
  e[4] = right.y;
  e[5] = up.y;
  e[6] = d.y;
  e[7] = 0.0f;
  e[8] = right.z;
  e[9] = up.z;
  e[10] = d.z;
  e[11] = 0.0f;
  e[12] = -Dot(right, position);
  e[13] = -Dot(up, position);
  e[14] = -Dot(d, position);
  e[15] = 1.0f;
}
